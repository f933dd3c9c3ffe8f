#include "instrument/tty_driver.h"

// The kernel's termios2 (any baud rate through BOTHER) and glibc's <termios.h> define the same
// names differently, so this file never includes <termios.h>: every line setting, flushes included,
// goes through ioctl() on the kernel's own structures.
#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

#include "instrument/tty_lookup.h"

namespace wl {
namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

// A speed the kernel reports this far from the one asked for means the adapter fell back to
// another rate (ftdi_sio answers 9600 for one its chip cannot divide down to).
constexpr uint32_t kBaudTolerancePercent = 3;

SteadyTime DeadlineAfter(uint32_t milliseconds) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

// Rounded up, so that a wait never ends before the deadline; 0 once it has passed.
int MillisecondsUntil(SteadyTime deadline) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= SteadyTime::duration::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

enum class Wait { kReady, kTimedOut, kHungUp };

// Sleeps in poll() until the descriptor is ready for `events`, the deadline passes, or the line
// hangs up (a pulled converter, a closed pseudo-terminal master).
Wait WaitFor(int fd, short events, SteadyTime deadline) {
    for (;;) {
        const int timeout = MillisecondsUntil(deadline);
        if (timeout == 0) {
            return Wait::kTimedOut;
        }
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, timeout);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Wait::kHungUp;
        }
        if (ready == 0) {
            continue;  // the deadline is checked again above
        }
        // Data still waiting beside a hang-up is taken first; the next read reports the error.
        return (watched.revents & events) != 0 ? Wait::kReady : Wait::kHungUp;
    }
}

bool GetLine(int fd, termios2& line) {
    return ::ioctl(fd, TCGETS2, &line) == 0;
}

bool SetLine(int fd, const termios2& line) {
    return ::ioctl(fd, TCSETS2, &line) == 0;
}

// Raw bytes both ways, 8N1, the modem lines ignored and no flow control.
bool MakeRaw(int fd) {
    termios2 line{};
    if (!GetLine(fd, line)) {
        return false;
    }
    line.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    line.c_oflag &= ~OPOST;
    line.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    // A read with nothing waiting answers EAGAIN at once and 0 only after a hang-up.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    return SetLine(fd, line);
}

// Writes a sysfs attribute as `echo` would; false when it is missing or refused.
bool WriteAttribute(const std::filesystem::path& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// The sysfs latency timer of an explicit port that turns out to be a kernel tty such as
// /dev/ttyUSB0; empty for anything else (a pseudo-terminal has none).
std::filesystem::path LatencyTimerOf(const std::filesystem::path& sysfsRoot,
                                     const std::filesystem::path& device) {
    std::error_code error;
    const std::string name = std::filesystem::canonical(device, error).filename().string();
    if (error || name.rfind("tty", 0) != 0) {
        return {};
    }
    return sysfsRoot / "class" / "tty" / name / "device" / "latency_timer";
}

FtStatus OpenFailure(int error) {
    return error == ENOENT || error == ENODEV || error == ENXIO ? ft::kDeviceNotFound
                                                                : ft::kDeviceNotOpened;
}

}  // namespace

TtyDriver::TtyDriver(std::filesystem::path sysfsRoot,
                     std::optional<std::filesystem::path> explicitPort,
                     std::filesystem::path devRoot)
    : sysfsRoot_(std::move(sysfsRoot)),
      explicitPort_(std::move(explicitPort)),
      devRoot_(std::move(devRoot)) {}

TtyDriver::~TtyDriver() {
    while (!ports_.empty()) {
        Close(ports_.begin()->first);
    }
}

TtyDriver::Port* TtyDriver::Find(FtHandle handle) {
    const auto it = ports_.find(handle);
    return it == ports_.end() ? nullptr : &it->second;
}

FtStatus TtyDriver::OpenEx(const std::string& description, uint32_t flags, FtHandle& handle) {
    handle = 0;
    lastRefusal_.reset();
    if (flags != ft::kOpenByDescription) {
        return ft::kInvalidParameter;
    }
    Port port;
    std::filesystem::path device;
    if (explicitPort_) {
        device = *explicitPort_;
        port.latencyTimer = LatencyTimerOf(sysfsRoot_, device);
    } else {
        const std::optional<TtyPort> found = FindTtyByProduct(sysfsRoot_, description, devRoot_);
        if (!found) {
            return ft::kDeviceNotFound;
        }
        device = found->device;
        port.latencyTimer = found->latencyTimer;
    }
    // Non-blocking for good: every wait happens in poll(), bounded by a time-out.
    port.fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (port.fd < 0) {
        const int error = errno;
        const FtStatus status = OpenFailure(error);
        if (status == ft::kDeviceNotOpened) {
            // There, but not ours to use: the user is told why, not "no instrument".
            lastRefusal_ = ConverterRefusal{device.string(), error};
        }
        return status;
    }
    // flock() first: it also shuts out a second open by root, whom TIOCEXCL does not stop, and
    // failing it leaves the holder's exclusive mode alone.
    if (::flock(port.fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(port.fd);
        lastRefusal_ = ConverterRefusal{device.string(), EBUSY};  // another program holds it
        return ft::kDeviceNotOpened;
    }
    if (::ioctl(port.fd, TIOCEXCL) != 0 || !MakeRaw(port.fd)) {
        const int error = errno;
        ::close(port.fd);
        lastRefusal_ = ConverterRefusal{device.string(), error};
        return ft::kDeviceNotOpened;
    }
    handle = nextHandle_++;
    ports_.emplace(handle, std::move(port));
    return ft::kOk;
}

FtStatus TtyDriver::SetTimeouts(FtHandle handle, uint32_t readMs, uint32_t writeMs) {
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    port->readTimeoutMs = readMs;
    port->writeTimeoutMs = writeMs;
    return ft::kOk;
}

FtStatus TtyDriver::SetLatencyTimer(FtHandle handle, uint8_t milliseconds) {
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    if (!port->latencyTimer.empty() &&
        WriteAttribute(port->latencyTimer, std::to_string(milliseconds) + "\n")) {
        return ft::kOk;
    }
    // Without a writable sysfs timer, ftdi_sio's low-latency flag is the next best thing.
    serial_struct serial{};
    if (::ioctl(port->fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(port->fd, TIOCSSERIAL, &serial);
    }
    // The timer only decides how soon short replies come through, never whether they do, so a
    // port with neither (a pseudo-terminal) succeeds as it is.
    return ft::kOk;
}

FtStatus TtyDriver::SetDataCharacteristics(FtHandle handle, uint8_t bits, uint8_t stopBits,
                                           uint8_t parity) {
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    termios2 line{};
    if (!GetLine(port->fd, line)) {
        return ft::kIoError;
    }
    line.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    switch (bits) {
        case 7:
            line.c_cflag |= CS7;
            break;
        case 8:
            line.c_cflag |= CS8;
            break;
        default:
            return ft::kInvalidParameter;
    }
    switch (stopBits) {
        case 0:  // one stop bit
            break;
        case 2:
            line.c_cflag |= CSTOPB;
            break;
        default:  // 1 would be one and a half, which a tty cannot do
            return ft::kInvalidParameter;
    }
    switch (parity) {
        case 0:  // none
            break;
        case 1:  // odd
            line.c_cflag |= PARENB | PARODD;
            break;
        case 2:  // even
            line.c_cflag |= PARENB;
            break;
        case 3:  // mark: the parity bit always 1
            line.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case 4:  // space: always 0
            line.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            return ft::kInvalidParameter;
    }
    return SetLine(port->fd, line) ? ft::kOk : ft::kIoError;
}

FtStatus TtyDriver::SetBaudRate(FtHandle handle, uint32_t baud) {
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    termios2 line{};
    if (baud == 0 || !GetLine(port->fd, line)) {
        return ft::kInvalidBaudRate;
    }
    // BOTHER for both directions: the speeds are the numbers themselves, not a Bnnn table entry.
    line.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = baud;
    line.c_ospeed = baud;
    if (!SetLine(port->fd, line) || !GetLine(port->fd, line)) {
        return ft::kInvalidBaudRate;
    }
    const uint64_t deviation = line.c_ospeed > baud ? line.c_ospeed - baud : baud - line.c_ospeed;
    return deviation * 100 <= uint64_t{baud} * kBaudTolerancePercent ? ft::kOk
                                                                     : ft::kInvalidBaudRate;
}

FtStatus TtyDriver::Purge(FtHandle handle, uint32_t mask) {
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    const bool receive = (mask & ft::kPurgeReceive) != 0;
    const bool transmit = (mask & ft::kPurgeTransmit) != 0;
    if (!receive && !transmit) {
        return ft::kOk;
    }
    const int queues = receive && transmit ? TCIOFLUSH : receive ? TCIFLUSH : TCOFLUSH;
    return ::ioctl(port->fd, TCFLSH, queues) == 0 ? ft::kOk : ft::kIoError;
}

FtStatus TtyDriver::ResetDevice(FtHandle handle) {
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    // A tty cannot reset the chip behind it; emptying both queues is what is left of a reset.
    ::ioctl(port->fd, TCFLSH, TCIOFLUSH);
    return ft::kOk;
}

FtStatus TtyDriver::Read(FtHandle handle, void* buffer, uint32_t size, uint32_t& received) {
    received = 0;
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    const SteadyTime deadline = DeadlineAfter(port->readTimeoutMs);
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (received < size) {
        const ssize_t count = ::read(port->fd, bytes + received, size - received);
        if (count > 0) {
            received += static_cast<uint32_t>(count);
            continue;
        }
        if (count == 0) {
            return ft::kIoError;  // end of file: the tty was hung up
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return ft::kIoError;
        }
        switch (WaitFor(port->fd, POLLIN, deadline)) {
            case Wait::kReady:
                break;
            case Wait::kTimedOut:
                return ft::kOk;
            case Wait::kHungUp:
                return ft::kIoError;
        }
    }
    return ft::kOk;
}

FtStatus TtyDriver::Write(FtHandle handle, const void* data, uint32_t size, uint32_t& written) {
    written = 0;
    Port* port = Find(handle);
    if (port == nullptr) {
        return ft::kInvalidHandle;
    }
    const SteadyTime deadline = DeadlineAfter(port->writeTimeoutMs);
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (written < size) {
        const ssize_t count = ::write(port->fd, bytes + written, size - written);
        if (count > 0) {
            written += static_cast<uint32_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno != EAGAIN) {
            return ft::kIoError;
        }
        switch (WaitFor(port->fd, POLLOUT, deadline)) {
            case Wait::kReady:
                break;
            case Wait::kTimedOut:
                return ft::kOk;
            case Wait::kHungUp:
                return ft::kIoError;
        }
    }
    return ft::kOk;
}

FtStatus TtyDriver::Close(FtHandle handle) {
    const auto it = ports_.find(handle);
    if (it == ports_.end()) {
        return ft::kInvalidHandle;
    }
    // A pseudo-terminal keeps its exclusive mode past the last close while its master lives, so it
    // is given up explicitly; closing the descriptor releases the lock.
    ::ioctl(it->second.fd, TIOCNXCL);
    ::close(it->second.fd);
    ports_.erase(it);
    return ft::kOk;
}

}  // namespace wl
