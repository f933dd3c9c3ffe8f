#include "instrument/trace.h"

#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "common/utf16.h"

namespace wl {
namespace {

bool enabledByCall = false;

bool TraceWanted() {
    if (enabledByCall) {
        return true;
    }
    const char* setting = std::getenv("WAYLOAD_TRACE");
    return setting != nullptr && std::string_view(setting) != "" &&
           std::string_view(setting) != "0";
}

}  // namespace

void StderrTrace::Trace(const std::u16string& line, std::span<const uint8_t> bytes) {
    timeval now{};
    ::gettimeofday(&now, nullptr);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    std::string text = Utf16ToUtf8(line);
    if (!bytes.empty()) {
        // Protocol words are ASCII; anything else is shown in hexadecimal.
        text += " [";
        for (uint8_t byte : bytes) {
            if (byte >= 0x20 && byte < 0x7F) {
                text += static_cast<char>(byte);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                text += hex;
            }
        }
        text += "]";
    }
    std::fprintf(stderr, "%02d:%02d:%02d.%03ld %s\n", local.tm_hour, local.tm_min, local.tm_sec,
                 static_cast<long>(now.tv_usec / 1000), text.c_str());
}

ITraceSink& ProgramTrace() {
    static DiscardingTrace discarding;
    static StderrTrace toStderr;
    if (TraceWanted()) {
        return toStderr;
    }
    return discarding;
}

void EnableTrace() {
    enabledByCall = true;
}

}  // namespace wl
