#pragma once
// The transfers' Ui port for wayload-cli: the choosers answer the file named on the command line,
// questions are answered by --yes / --no or asked on the terminal, the route selection ticks the
// folders of --select, message boxes become text and the progress strip a line on stderr.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/progress_line.h"
#include "transfer/transfer_ui.h"

namespace wl::cli {

enum class QuestionPolicy {
    kAsk,  // on the terminal; No when stdin is not one
    kAnswerYes,
    kAnswerNo,
};

struct TerminalUiOptions {
    // The answer of both file choosers: OUT of a download, IN of an upload.
    std::filesystem::path file;
    QuestionPolicy questions = QuestionPolicy::kAsk;
    // The folders to tick by name; nothing leaves the selection's own ticks (the routes).
    std::optional<std::vector<std::u16string>> select;
    // Leads the progress line: "Downloading out.rdx".
    std::string progressLabel;
};

class TerminalUi : public ITransferUi {
  public:
    explicit TerminalUi(TerminalUiOptions options);

    std::optional<std::filesystem::path> ChooseFileToOpen(const FileFilter& filter) override;
    std::optional<std::filesystem::path> ChooseFileToSave(const FileFilter& filter) override;
    MessageAnswer ShowMessage(const Message& message) override;
    bool SelectRoutes(std::vector<RouteEntry>& entries) override;
    std::unique_ptr<I_InfoWnd> OpenProgress() override;
    // One line on stderr: a script is told why, where the window says nothing.
    void NoteSilentFailure(const std::u16string& reason) override;

    // True once a failure was told on stderr: an error box, a refused file or selection.
    bool failureTold() const { return failureTold_; }

  private:
    bool Answer(const std::u16string& question);
    // Clears the progress line before any other output, so that the text starts on a clean line.
    void ClearProgress();

    TerminalUiOptions options_;
    ProgressLine progress_;
    bool failureTold_ = false;
    bool noTerminalTold_ = false;
};

// `path` with the chooser's default extension ("*.rdx" gives ".rdx") when its name has none.
std::filesystem::path WithDefaultExtension(const std::filesystem::path& path,
                                           const std::u16string& defaultExtension);

}  // namespace wl::cli
