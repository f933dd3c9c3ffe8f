#pragma once
// A scripted user for the transfer tests: the choosers answer from a queue, the questions from
// another, the route selection by a rule; every message and every progress report is recorded,
// with whether the progress strip was still open when a message came.

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/utf16.h"
#include "transfer/transfer_ui.h"

namespace wl::test {

class FakeUi : public ITransferUi {
  public:
    struct Shown {
        Message message;
        bool progressOpen;
    };

    // One report of the progress strip: a text or a position.
    struct Report {
        std::u16string text;  // empty for a position
        double position = -1;
    };

    std::optional<std::filesystem::path> ChooseFileToOpen(const FileFilter& filter) override {
        return Choose(filter);
    }
    std::optional<std::filesystem::path> ChooseFileToSave(const FileFilter& filter) override {
        return Choose(filter);
    }
    MessageAnswer ShowMessage(const Message& message) override {
        shown.push_back({message, progressOpen});
        if (message.buttons == MessageButtons::kOk) {
            return MessageAnswer::kOk;
        }
        if (answers.empty()) {
            return MessageAnswer::kNo;
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool SelectRoutes(std::vector<RouteEntry>& entries) override {
        offered = entries;
        ++selections;
        return select ? select(entries) : true;
    }
    std::unique_ptr<I_InfoWnd> OpenProgress() override {
        ++progressOpened;
        return std::make_unique<Strip>(*this);
    }
    void NoteSilentFailure(const std::u16string& reason) override {
        silentFailures.push_back(reason);
    }

    // The texts of the messages shown, in UTF-8, for short comparisons.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Shown& s : shown) {
            texts.push_back(Utf16ToUtf8(s.message.text));
        }
        return texts;
    }
    std::vector<double> Positions() const {
        std::vector<double> positions;
        for (const Report& r : reports) {
            if (r.position >= 0) {
                positions.push_back(r.position);
            }
        }
        return positions;
    }

    std::deque<std::optional<std::filesystem::path>> files;
    std::deque<MessageAnswer> answers;
    // Decides the route selection; null keeps every entry and answers OK.
    std::function<bool(std::vector<RouteEntry>&)> select;
    // Runs while a chooser is open (the window keeps polling meanwhile).
    std::function<void()> onChoose;
    // Runs at every progress report (pull the analyzer out mid-transfer, say).
    std::function<void()> onReport;

    std::vector<FileFilter> filters;
    std::vector<std::u16string> silentFailures;
    std::vector<Shown> shown;
    std::vector<RouteEntry> offered;
    std::vector<Report> reports;
    int selections = 0;
    int progressOpened = 0;
    bool progressOpen = false;

  private:
    class Strip : public I_InfoWnd {
      public:
        explicit Strip(FakeUi& ui) : ui_(ui) { ui_.progressOpen = true; }
        ~Strip() override { ui_.progressOpen = false; }
        void SetText(const std::u16string& text) override { Report({text, -1}); }
        void SetProgress(double percent) override { Report({u"", percent}); }
        void SetTextAndProgress(const std::u16string& text, double percent) override {
            Report({text, -1});
            Report({u"", percent});
        }
        void SetTitle(const std::u16string&) override {}

      private:
        void Report(FakeUi::Report report) {
            ui_.reports.push_back(std::move(report));
            if (ui_.onReport) {
                ui_.onReport();
            }
        }
        FakeUi& ui_;
    };

    std::optional<std::filesystem::path> Choose(const FileFilter& filter) {
        filters.push_back(filter);
        if (onChoose) {
            onChoose();
        }
        if (files.empty()) {
            return std::nullopt;
        }
        auto next = files.front();
        files.pop_front();
        return next;
    }
};

}  // namespace wl::test
