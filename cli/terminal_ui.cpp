#include "cli/terminal_ui.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>

#include "cli/cli_output.h"
#include "common/format.h"
#include "common/utf16.h"

namespace wl::cli {
namespace {

namespace fs = std::filesystem;

// "y" or "yes" in any letter case, blanks around it allowed; everything else is a No.
bool IsYes(const std::string& answer) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(answer.begin(), answer.end(), blank);
    const auto last = std::find_if_not(answer.rbegin(), answer.rend(), blank).base();
    std::string word = first < last ? std::string(first, last) : std::string();
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word == "y" || word == "yes";
}

// The progress strip of one transfer step: it draws on the Ui's line and clears it when closed.
class ProgressStrip : public I_InfoWnd {
  public:
    explicit ProgressStrip(ProgressLine& line) : line_(line) {}
    ~ProgressStrip() override { line_.Finish(); }

    void SetText(const std::u16string& text) override { line_.SetText(text); }
    void SetProgress(double percent) override { line_.SetProgress(percent); }
    void SetTextAndProgress(const std::u16string& text, double percent) override {
        line_.SetTextAndProgress(text, percent);
    }
    void SetTitle(const std::u16string& title) override { line_.SetTitle(title); }

  private:
    ProgressLine& line_;
};

}  // namespace

fs::path WithDefaultExtension(const fs::path& path, const std::u16string& defaultExtension) {
    // "*.rdx" names the extension; a name that has any extension keeps it.
    const std::u16string::size_type dot = defaultExtension.rfind(u'.');
    if (dot == std::u16string::npos || path.filename().empty() || path.has_extension()) {
        return path;
    }
    const auto extension = Utf16ToPath(defaultExtension.substr(dot));
    if (!extension) {
        return path;
    }
    fs::path extended = path;
    extended += *extension;
    return extended;
}

TerminalUi::TerminalUi(TerminalUiOptions options)
    : options_(std::move(options)), progress_(options_.progressLabel) {}

std::optional<fs::path> TerminalUi::ChooseFileToOpen(const FileFilter& filter) {
    const fs::path file = WithDefaultExtension(options_.file, filter.defaultExtension);
    std::error_code failed;
    const fs::file_status status = fs::status(file, failed);
    if (!fs::is_regular_file(status)) {
        ClearProgress();
        const std::string reason = fs::exists(status) ? "is not a file"
                                   : failed           ? failed.message()
                                                      : "No such file or directory";
        ReportFailure(file, reason);
        failureTold_ = true;
        return std::nullopt;
    }
    return file;
}

std::optional<fs::path> TerminalUi::ChooseFileToSave(const FileFilter& filter) {
    const fs::path file = WithDefaultExtension(options_.file, filter.defaultExtension);
    std::error_code failed;
    const fs::file_status status = fs::status(file, failed);
    if (fs::is_directory(status)) {
        ClearProgress();
        ReportFailure(file, "is a folder");
        failureTold_ = true;
        return std::nullopt;
    }
    // As a save chooser does, an existing file is replaced only after a Yes.
    if (fs::exists(status) &&
        !Answer(Format("'%s' already exists. Replace it?", {PathToUtf16(file)}))) {
        return std::nullopt;
    }
    return file;
}

MessageAnswer TerminalUi::ShowMessage(const Message& message) {
    if (message.buttons == MessageButtons::kYesNo) {
        return Answer(message.text) ? MessageAnswer::kYes : MessageAnswer::kNo;
    }
    ClearProgress();
    const std::string text = ShownText(message.text);
    if (message.icon == MessageIcon::kError) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", text.c_str());
        failureTold_ = true;
    } else {
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    }
    return MessageAnswer::kOk;
}

bool TerminalUi::SelectRoutes(std::vector<RouteEntry>& entries) {
    // The selection's own rules decide, as in the dialog: without --select its own ticks stand.
    RouteSelection selection(entries);
    if (options_.select) {
        const std::vector<std::u16string>& names = *options_.select;
        std::u16string missing;
        for (const std::u16string& name : names) {
            const bool offered = std::any_of(entries.begin(), entries.end(),
                                             [&](const RouteEntry& e) { return e.name == name; });
            if (!offered) {
                missing += (missing.empty() ? u"'" : u", '") + name + u"'";
            }
        }
        if (!missing.empty()) {
            ClearProgress();
            ReportFailure("--select", u"the instrument has no folder " + missing);
            failureTold_ = true;
            return false;
        }
        for (size_t row = 0; row < selection.rowCount(); ++row) {
            const std::u16string& name = selection.entry(row).name;
            selection.OnItemChanged(row,
                                    std::find(names.begin(), names.end(), name) != names.end());
        }
    }
    selection.Accept();
    return true;
}

std::unique_ptr<I_InfoWnd> TerminalUi::OpenProgress() {
    return std::make_unique<ProgressStrip>(progress_);
}

void TerminalUi::NoteSilentFailure(const std::u16string& reason) {
    ClearProgress();
    std::fflush(stdout);
    std::fprintf(stderr, "wayload-cli: %s\n", Printable(reason).c_str());
    failureTold_ = true;
}

bool TerminalUi::Answer(const std::u16string& question) {
    ClearProgress();
    std::printf("%s [y/N] ", ShownText(question).c_str());
    bool yes = false;
    switch (options_.questions) {
        case QuestionPolicy::kAnswerYes:
            std::printf("y\n");
            yes = true;
            break;
        case QuestionPolicy::kAnswerNo:
            std::printf("n\n");
            break;
        case QuestionPolicy::kAsk: {
            if (::isatty(STDIN_FILENO) != 1) {
                // A script without --yes or --no must neither hang nor destroy anything.
                std::printf("n\n");
                std::fflush(stdout);
                if (!noTerminalTold_) {
                    std::fprintf(stderr,
                                 "wayload-cli: no terminal to ask on: answered No "
                                 "(give --yes or --no)\n");
                    noTerminalTold_ = true;
                }
                break;
            }
            std::fflush(stdout);
            std::string line;
            if (!std::getline(std::cin, line)) {
                std::printf("\n");  // the end of input: the next output starts on its own line
            }
            yes = IsYes(line);
            break;
        }
    }
    std::fflush(stdout);
    return yes;
}

void TerminalUi::ClearProgress() {
    progress_.Finish();
}

}  // namespace wl::cli
