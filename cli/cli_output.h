#pragma once
// What wayload-cli prints: one clear line per failure on stderr, texts as UTF-8.

#include <filesystem>
#include <string>
#include <string_view>

namespace wl::cli {

// "wayload-cli: SUBJECT: REASON" on stderr. Control characters (a name from a damaged container
// may hold any) are shown as '?', so the line stays one line.
void ReportFailure(const std::filesystem::path& subject, std::u16string_view reason);
void ReportFailure(const std::filesystem::path& subject, std::string_view reason);

// A UTF-16 text for the terminal, with control characters shown as '?'.
std::string Printable(std::u16string_view text);

// A message's text for the terminal: its "\r\n" become line breaks, other control characters '?'.
std::string ShownText(std::u16string_view text);

}  // namespace wl::cli
