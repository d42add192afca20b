// TFormMain: the program's main window. Building it reads the settings and
// opens the database; destroying it saves the settings and releases the
// database. From it the user opens the registers, edits the institute name,
// maintains the database and reaches the guide and the About window.
#pragma once

#include "AppPaths.h"
#include "RecordWindows.h"

#include <QMainWindow>
#include <QString>
#include <memory>

namespace Ui {
class TFormMain;
}
class QLabel;

class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TFormMain(const QString& settingsPath = SettingsFilePath(),
                       const QString& databasePath = DatabaseFilePath(), QWidget* parent = nullptr);
    ~TFormMain() override;

    // False when the database could not be opened: the user has been told
    // and the program must end without running.
    bool DatabaseOpened() const { return databaseOpened_; }

    // Shows the text in the status bar at once, also when a long operation
    // follows that processes no events.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    Ui::TFormMain& Controls() const { return *ui_; }
    QLabel* StatusLogoPanel() const { return statusPanels_[0]; }
    QLabel* StatusTextPanel() const { return statusPanels_[1]; }

    // The longest institute name the text box accepts.
    static constexpr int SchoolNameMaxLength = 255;

public slots:
    void BitBtnChildrenClick();
    void BitBtnTeachersClick();
    void BitBtnSchoolClick();
    void BitBtnAreasClick();
    void BitBtnPhasesClick();
    void BitBtnQuestionsClick();
    void BitBtnTablesManagementClick();
    void MainMenuStrumentiCompactAndRepairDatabaseClick();
    void MainMenuStrumentiBackupClick();
    void MainMenuStrumentiRestoreClick();
    void MainMenuStrumentiProtectWithPasswordClick();
    void MainMenuStrumentiChangePasswordClick();
    void MainMenuStrumentiRemovePasswordClick();
    void MainMenuStrumentiImportQuestionsClick();
    void MainMenuStrumentiExportDataClick();
    void MainMenuHelpUserGuideClick();
    void MainMenuHelpInformazioniSuClick();
    void MainMenuFileEsciClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetUpPictures();
    void SetUpStatusBar();
    void ConnectCommands();
    void OpenRecordWindow(TRecordWindow which);
    // Shows the password commands that apply: protect, or change and remove.
    void UpdatePasswordCommands();
    // Asks for the current password; false (the user told) unless it is typed right.
    bool ConfirmCurrentPassword();
    void ChangeDatabasePassword(const QString& newPassword);
    // Asks for a folder and writes a checked copy there; true when done.
    bool MakeBackup();
    // At exit: offers a backup when none was made for a while.
    void OfferBackupAtExit();

    std::unique_ptr<Ui::TFormMain> ui_;
    QString settingsPath_;
    bool databaseOpened_ = false;
    QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};
    // Set by a double-click on the status bar; the release that follows
    // decides whether it was on the logo.
    bool StatusBarDblClicked = false;
};
