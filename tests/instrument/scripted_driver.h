#pragma once
// A scripted fake of the converter driver: it records every call as text, answers the statuses a
// test scripts per call name, delivers queued bytes to reads and moves a virtual clock by the read
// time-out when a read cannot be filled.

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "instrument/ftdi_driver.h"
#include "tests/support/virtual_clock.h"

namespace wl::test {

class ScriptedDriver : public IFtdiDriver {
  public:
    explicit ScriptedDriver(VirtualClock& clock) : clock_(clock) {}

    std::vector<std::string> calls;
    // The virtual time of each call.
    std::vector<uint32_t> times;
    // Statuses to answer, per call name, in order; Ok once a queue is empty.
    std::map<std::string, std::deque<FtStatus>> statuses;
    // Bytes fewer than asked for, per write, in order.
    std::deque<uint32_t> shortWrites;
    std::string incoming;
    std::string written;
    uint32_t readTimeoutMs = 100;

    FtStatus OpenEx(const std::string& description, uint32_t flags, FtHandle& handle) override {
        Record("OpenEx(" + description + "," + std::to_string(flags) + ")");
        const FtStatus status = Next("OpenEx");
        handle = status == ft::kOk ? 42 : 0;
        return status;
    }
    FtStatus SetTimeouts(FtHandle, uint32_t readMs, uint32_t writeMs) override {
        Record("SetTimeouts(" + std::to_string(readMs) + "," + std::to_string(writeMs) + ")");
        return Next("SetTimeouts");
    }
    FtStatus SetLatencyTimer(FtHandle, uint8_t ms) override {
        Record("SetLatencyTimer(" + std::to_string(ms) + ")");
        return Next("SetLatencyTimer");
    }
    FtStatus SetDataCharacteristics(FtHandle, uint8_t bits, uint8_t stop, uint8_t parity) override {
        Record("SetDataCharacteristics(" + std::to_string(bits) + "," + std::to_string(stop) + "," +
               std::to_string(parity) + ")");
        return Next("SetDataCharacteristics");
    }
    FtStatus SetBaudRate(FtHandle, uint32_t baud) override {
        Record("SetBaudRate(" + std::to_string(baud) + ")");
        return Next("SetBaudRate");
    }
    FtStatus Purge(FtHandle, uint32_t mask) override {
        Record("Purge(" + std::to_string(mask) + ")");
        return Next("Purge");
    }
    FtStatus ResetDevice(FtHandle) override {
        Record("ResetDevice");
        return Next("ResetDevice");
    }
    FtStatus Read(FtHandle, void* buffer, uint32_t size, uint32_t& received) override {
        Record("Read(" + std::to_string(size) + ")");
        const FtStatus status = Next("Read");
        received = static_cast<uint32_t>(std::min<size_t>(size, incoming.size()));
        std::memcpy(buffer, incoming.data(), received);
        incoming.erase(0, received);
        if (received < size) {
            clock_.Advance(readTimeoutMs);
        }
        return status;
    }
    FtStatus Write(FtHandle, const void* data, uint32_t size, uint32_t& count) override {
        Record("Write(" + std::to_string(size) + ")");
        const FtStatus status = Next("Write");
        uint32_t missing = 0;
        if (!shortWrites.empty()) {
            missing = std::min(size, shortWrites.front());
            shortWrites.pop_front();
        }
        count = status == ft::kOk ? size - missing : 0;
        written.append(static_cast<const char*>(data), count);
        return status;
    }
    FtStatus Close(FtHandle) override {
        Record("Close");
        return Next("Close");
    }

  private:
    void Record(std::string call) {
        calls.push_back(std::move(call));
        times.push_back(clock_.TickCount());
    }
    FtStatus Next(const std::string& name) {
        auto& queue = statuses[name];
        if (queue.empty()) {
            return ft::kOk;
        }
        const FtStatus status = queue.front();
        queue.pop_front();
        return status;
    }

    VirtualClock& clock_;
};

}  // namespace wl::test
