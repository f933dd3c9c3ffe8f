#include "cli/cli_output.h"

#include <cstdio>

#include "common/utf16.h"

namespace wl::cli {

std::string Printable(std::u16string_view text) {
    std::string bytes = Utf16ToUtf8(text);
    for (char& c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return bytes;
}

std::string ShownText(std::u16string_view text) {
    std::string shown;
    for (size_t start = 0;;) {
        const size_t end = text.find(u"\r\n", start);
        shown += Printable(text.substr(start, end - start));
        if (end == std::u16string_view::npos) {
            return shown;
        }
        shown += '\n';
        start = end + 2;
    }
}

void ReportFailure(const std::filesystem::path& subject, std::u16string_view reason) {
    std::fprintf(stderr, "wayload-cli: %s: %s\n", Printable(PathToUtf16(subject)).c_str(),
                 Printable(reason).c_str());
}

void ReportFailure(const std::filesystem::path& subject, std::string_view reason) {
    ReportFailure(subject, Utf8ToUtf16(reason));
}

}  // namespace wl::cli
