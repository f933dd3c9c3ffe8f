#pragma once
// Diagnostic trace lines of the serial link. They are discarded unless a setting asks for them
// (the environment variable WAYLOAD_TRACE, or --trace on the command line): then they go to
// stderr with a time stamp, for diagnosing an instrument in the field.

#include <cstdint>
#include <span>
#include <string>

namespace wl {

class ITraceSink {
  public:
    virtual ~ITraceSink() = default;
    // `bytes` are the command bytes a line is about, where there are any.
    virtual void Trace(const std::u16string& line, std::span<const uint8_t> bytes) = 0;
};

class DiscardingTrace : public ITraceSink {
  public:
    void Trace(const std::u16string&, std::span<const uint8_t>) override {}
};

class StderrTrace : public ITraceSink {
  public:
    void Trace(const std::u16string& line, std::span<const uint8_t> bytes) override;
};

// The program's trace: writing to stderr when WAYLOAD_TRACE is set to anything but "" or "0",
// or after EnableTrace(); discarding otherwise.
ITraceSink& ProgramTrace();
void EnableTrace();

}  // namespace wl
