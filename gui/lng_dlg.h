#pragma once
// The language dialog shown at the first start: the user picks a language file, whose name is
// stored in the settings file. It ends only with a choice, or by itself at once when there is no
// language file to choose from.

#include <QDialog>
#include <filesystem>
#include <vector>

#include "locale/language_list.h"

class QPushButton;
class QTableWidget;

namespace wl {

class LngDlg : public QDialog {
    Q_OBJECT

  public:
    LngDlg(const std::filesystem::path& languageFolder, std::filesystem::path settingsFile,
           QWidget* parent = nullptr);

    // Rejected at once, without showing, when the folder holds no language file.
    int exec() override;
    // Escape does nothing: there is no language to fall back on that the user did not pick.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void StoreChoice();
    void UpdateOkButton();

    std::filesystem::path settingsFile_;
    std::vector<LanguageEntry> languages_;
    QTableWidget* list_;
    QPushButton* okButton_;
};

}  // namespace wl
