#pragma once
// The fault shim (libwayload_fault_shim.so) makes the N-th intercepted file call fail with a chosen
// errno. Intercepted: open, open64, openat, openat64 (and their _FORTIFY_SOURCE forms), creat,
// creat64, the mkstemp family, write, pwrite, pwrite64, writev, ftruncate, ftruncate64, fsync,
// fdatasync, syncfs, close, rename, renameat, renameat2, link, linkat, unlink, unlinkat, rmdir,
// remove, mkdir and mkdirat. Calls on descriptors 0, 1 and 2 are neither counted nor failed.
//
// Preloaded (LD_PRELOAD) into a program, the environment drives it:
//   WAYLOAD_FAULT_AT=N         the N-th call fails (1-based); 0 only counts
//   WAYLOAD_FAULT_ERRNO=NAME   ENOSPC (default) or EIO
//   WAYLOAD_FAULT_LASTING=1    every call from the N-th on fails, as when the drive is pulled
//   WAYLOAD_FAULT_LOG=PATH     "calls K" and, when a call failed, "injected call N: KIND TARGET
//                              ERRNO", written when the call fails and again at exit
// Linked into a test program, these functions drive it; it counts only while armed.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Counts the calls from now on and fails call number `at` (1-based; 0 only counts) with `error`.
void wayload_fault_arm(long at, int error);
// The same, but every call from number `at` on fails: the drive is gone.
void wayload_fault_arm_lasting(long at, int error);
// Stops counting and returns the number of calls counted since arming.
long wayload_fault_disarm(void);
// 1 with the (first) failed call described ("call N: KIND TARGET ERRNO") when one was failed, else
// 0.
int wayload_fault_injected_call(char* description, size_t size);

#ifdef __cplusplus
}  // extern "C"
#endif
