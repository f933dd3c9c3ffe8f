#pragma once
// A scripted fake of the converter driver: it records every call as text, answers the statuses a
// test scripts per call name, delivers queued bytes to reads and moves a virtual clock by the read
// time-out when a read cannot be filled.

#include <cstring>
#include <deque>
#include <functional>
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
    // Which descriptions open; all when unset.
    std::function<bool(const std::string& description)> present;
    // What the line answers to each write, given the bytes and the baud rate set; appended to
    // what reads deliver.
    std::function<std::string(const std::string& bytes, uint32_t baud)> responder;
    uint32_t baud = 0;
    // Bytes the line delivers once the virtual clock reaches their time.
    std::vector<std::pair<uint32_t, std::string>> later;

    void DeliverDue() {
        for (auto it = later.begin(); it != later.end();) {
            if (static_cast<int32_t>(clock_.TickCount() - it->first) >= 0) {
                incoming += it->second;
                it = later.erase(it);
            } else {
                ++it;
            }
        }
    }

    FtStatus OpenEx(const std::string& description, uint32_t flags, FtHandle& handle) override {
        Record("OpenEx(" + description + "," + std::to_string(flags) + ")");
        FtStatus status = Next("OpenEx");
        if (status == ft::kOk && present && !present(description)) {
            status = ft::kDeviceNotFound;
        }
        handle = status == ft::kOk ? 42 : 0;
        baud = 0;
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
    FtStatus SetBaudRate(FtHandle, uint32_t rate) override {
        Record("SetBaudRate(" + std::to_string(rate) + ")");
        baud = rate;
        return Next("SetBaudRate");
    }
    FtStatus Purge(FtHandle, uint32_t mask) override {
        Record("Purge(" + std::to_string(mask) + ")");
        if (mask & ft::kPurgeReceive) {
            incoming.clear();
        }
        return Next("Purge");
    }
    FtStatus ResetDevice(FtHandle) override {
        Record("ResetDevice");
        return Next("ResetDevice");
    }
    FtStatus Read(FtHandle, void* buffer, uint32_t size, uint32_t& received) override {
        Record("Read(" + std::to_string(size) + ")");
        const FtStatus status = Next("Read");
        DeliverDue();
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
        clock_.Advance(1);  // no write is instant on a real line
        uint32_t missing = 0;
        if (!shortWrites.empty()) {
            missing = std::min(size, shortWrites.front());
            shortWrites.pop_front();
        }
        count = status == ft::kOk ? size - missing : 0;
        written.append(static_cast<const char*>(data), count);
        if (responder && status == ft::kOk) {
            incoming += responder(std::string(static_cast<const char*>(data), count), baud);
        }
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
