#include "UnitMain.h"

#include "BuildConfig.h"
#include "DateTime.h"
#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "MaintenanceMessages.h"
#include "Messages.h"
#include "PasswordDialogs.h"
#include "PasswordTries.h"
#include "Pictures.h"
#include "SchoolDataExport.h"
#include "Settings.h"
#include "SqlText.h"
#include "Startup.h"
#include "UnitAbout.h"
#include "UnitOperationInProgress.h"
#include "UnitRSShow.h"
#include "UserGuide.h"
#include "WaitCursor.h"
#include "ui_UnitMain.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

namespace {

QString Title()
{
    return QStringLiteral(BALTERO_APPLICATION_TITLE);
}

// The part of the window below the menu bar: the three groups and the
// status bar.
const QSize ClientSize(417, 261);
const QColor HeadingColour(0, 0, 192);

// What the program's own default report of a failure looks like.
void ReportFailure(QWidget* owner, const QString& message)
{
    ErrorBox(owner, message);
}

} // namespace

TFormMain::TFormMain(const QString& settingsPath, const QString& databasePath, QWidget* parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::TFormMain>())
    , settingsPath_(settingsPath)
{
    ui_->setupUi(this);
    setWindowTitle(Title());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    SetUpPictures();
    SetUpStatusBar();
    ConnectCommands();
    new TUserGuideKey(this);

    for (QLabel* heading : {ui_->LabelAnagrafica, ui_->LabelQuestionario, ui_->LabelCompilazioni}) {
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        QPalette blue = heading->palette();
        blue.setColor(QPalette::WindowText, HeadingColour);
        heading->setPalette(blue);
        // The separator line runs on from the end of its heading.
        heading->adjustSize();
        heading->raise();
        heading->setAutoFillBackground(true);
    }

    // Some desktops' menu fonts are wider than the window: tighten the
    // entries rather than widen the window past its buttons.
    if (ui_->MainMenu->sizeHint().width() > ClientSize.width())
        ui_->MainMenu->setStyleSheet(QStringLiteral("QMenuBar::item { padding: 2px 5px; }"));
    const int statusBarHeight = ui_->StatusBarMain->sizeHint().height();
    ui_->StatusBarMain->setFixedHeight(statusBarHeight);
    ui_->PanelMain->setFixedSize(ClientSize.width(), ClientSize.height() - statusBarHeight);
    setFixedSize(ClientSize.width(), ui_->MainMenu->sizeHint().height() + ClientSize.height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // The window is not shown yet and may never be: a box owned by it would
    // belong to a window the user cannot see. Without an owner the box
    // stands on its own in the middle of the screen.
    databaseOpened_ = OpenDatabaseOrReport(nullptr, settingsPath_, databasePath);
    UpdatePasswordCommands();

    StatusBarDblClicked = false;
    SetStatusText(Message20000());
}

TFormMain::~TFormMain()
{
    // A register window still open would outlive the database it reads.
    for (TFormRSShow* window : findChildren<TFormRSShow*>())
        delete window;
    ShutDownDatabaseAndSettings(settingsPath_);
}

void TFormMain::SetUpPictures()
{
    struct Entry {
        QAction* action;
        QPushButton* button;
        int picture;
    };
    const Entry entries[] = {
        {ui_->MainMenuFileEsci, nullptr, PictureEsci},
        {ui_->MainMenuAnagraficaChildren, ui_->BitBtnChildren, PictureChildren},
        {ui_->MainMenuAnagraficaTeachers, ui_->BitBtnTeachers, PictureTeachers},
        {ui_->MainMenuAnagraficaSchool, ui_->BitBtnSchool, PictureSchool},
        {ui_->MainMenuQuestionarioAreas, ui_->BitBtnAreas, PictureAreas},
        {ui_->MainMenuQuestionarioPhases, ui_->BitBtnPhases, PicturePhases},
        {ui_->MainMenuQuestionarioQuestions, ui_->BitBtnQuestions, PictureQuestions},
        {ui_->MainMenuTablesManagement, ui_->BitBtnTablesManagement, PictureTablesManagement},
        {ui_->MainMenuStrumentiCompactAndRepairDatabase, nullptr, PictureCompactAndRepair},
        {ui_->MainMenuStrumentiBackup, nullptr, PictureBackup},
        {ui_->MainMenuStrumentiRestore, nullptr, PictureRestore},
        {ui_->MainMenuStrumentiProtectWithPassword, nullptr, PicturePassword},
        {ui_->MainMenuStrumentiChangePassword, nullptr, PicturePassword},
        {ui_->MainMenuStrumentiRemovePassword, nullptr, PicturePassword},
        {ui_->MainMenuStrumentiImportQuestions, nullptr, PictureImportQuestions},
        {ui_->MainMenuStrumentiExportData, nullptr, PictureExportData},
        {ui_->MainMenuHelpUserGuide, nullptr, PictureUserGuide},
        {ui_->MainMenuHelpInformazioniSu, nullptr, PictureInformazioniSu},
    };
    for (const Entry& entry : entries) {
        const QIcon icon = MainPicture(entry.picture);
        entry.action->setIcon(icon);
        if (entry.button)
            entry.button->setIcon(icon);
    }
    setWindowIcon(ProgramIcon());
}

void TFormMain::SetUpStatusBar()
{
    QStatusBar* bar = ui_->StatusBarMain;
    const QPixmap logo = LoadPicture(QStringLiteral("logo"), QSize(16, 16));
    const char* const names[] = {"StatusPanelLogo", "StatusPanelText", "StatusPanelEmpty"};
    // A screen reader reads the text panel's own text ("Pronto."); the
    // others are named for what they are.
    const QString accessibleNames[] = {QStringLiteral("Logo di ") + Title(), QString(),
                                       QStringLiteral("Fine della barra di stato")};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QString::fromLatin1(names[i]));
        panel->setAccessibleName(accessibleNames[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMargin(0);
        // The status bar itself reads the mouse: see eventFilter.
        panel->setAttribute(Qt::WA_TransparentForMouseEvents);
        statusPanels_[i] = panel;
    }
    statusPanels_[0]->setPixmap(logo);
    statusPanels_[0]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statusPanels_[0]->setFixedWidth(logo.deviceIndependentSize().toSize().width() + 2 + 2 * statusPanels_[0]->frameWidth());
    statusPanels_[0]->setToolTip(QStringLiteral("Doppio clic per le informazioni su ") + Title());
    statusPanels_[0]->setAccessibleDescription(statusPanels_[0]->toolTip());
    statusPanels_[1]->setAccessibleDescription(QStringLiteral("Stato"));
    // The text panel takes the room the other two leave, up to 350 pixels:
    // the window is 417 pixels wide whatever the font, and a fixed 350 with
    // the other panels ran past its edge. A long text is cut inside the
    // panel instead of widening the bar.
    statusPanels_[1]->setMinimumWidth(0);
    statusPanels_[1]->setMaximumWidth(350);
    statusPanels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusPanels_[2]->setFixedWidth(40);
    // The window cannot be resized: no size grip to take room from the panels.
    bar->setSizeGripEnabled(false);
    bar->addWidget(statusPanels_[0]);
    bar->addWidget(statusPanels_[1], 1);
    bar->addWidget(statusPanels_[2]);
    bar->installEventFilter(this);
}

void TFormMain::ConnectCommands()
{
    connect(ui_->BitBtnChildren, &QPushButton::clicked, this, &TFormMain::BitBtnChildrenClick);
    connect(ui_->BitBtnTeachers, &QPushButton::clicked, this, &TFormMain::BitBtnTeachersClick);
    connect(ui_->BitBtnSchool, &QPushButton::clicked, this, &TFormMain::BitBtnSchoolClick);
    connect(ui_->BitBtnAreas, &QPushButton::clicked, this, &TFormMain::BitBtnAreasClick);
    connect(ui_->BitBtnPhases, &QPushButton::clicked, this, &TFormMain::BitBtnPhasesClick);
    connect(ui_->BitBtnQuestions, &QPushButton::clicked, this, &TFormMain::BitBtnQuestionsClick);
    connect(ui_->BitBtnTablesManagement, &QPushButton::clicked, this, &TFormMain::BitBtnTablesManagementClick);

    connect(ui_->MainMenuFileEsci, &QAction::triggered, this, &TFormMain::MainMenuFileEsciClick);
    connect(ui_->MainMenuAnagraficaChildren, &QAction::triggered, this, &TFormMain::BitBtnChildrenClick);
    connect(ui_->MainMenuAnagraficaTeachers, &QAction::triggered, this, &TFormMain::BitBtnTeachersClick);
    connect(ui_->MainMenuAnagraficaSchool, &QAction::triggered, this, &TFormMain::BitBtnSchoolClick);
    connect(ui_->MainMenuQuestionarioAreas, &QAction::triggered, this, &TFormMain::BitBtnAreasClick);
    connect(ui_->MainMenuQuestionarioPhases, &QAction::triggered, this, &TFormMain::BitBtnPhasesClick);
    connect(ui_->MainMenuQuestionarioQuestions, &QAction::triggered, this, &TFormMain::BitBtnQuestionsClick);
    connect(ui_->MainMenuTablesManagement, &QAction::triggered, this, &TFormMain::BitBtnTablesManagementClick);
    connect(ui_->MainMenuStrumentiCompactAndRepairDatabase, &QAction::triggered, this,
            &TFormMain::MainMenuStrumentiCompactAndRepairDatabaseClick);
    connect(ui_->MainMenuStrumentiBackup, &QAction::triggered, this, &TFormMain::MainMenuStrumentiBackupClick);
    connect(ui_->MainMenuStrumentiRestore, &QAction::triggered, this, &TFormMain::MainMenuStrumentiRestoreClick);
    connect(ui_->MainMenuStrumentiProtectWithPassword, &QAction::triggered, this,
            &TFormMain::MainMenuStrumentiProtectWithPasswordClick);
    connect(ui_->MainMenuStrumentiChangePassword, &QAction::triggered, this,
            &TFormMain::MainMenuStrumentiChangePasswordClick);
    connect(ui_->MainMenuStrumentiRemovePassword, &QAction::triggered, this,
            &TFormMain::MainMenuStrumentiRemovePasswordClick);
    connect(ui_->MainMenuStrumentiImportQuestions, &QAction::triggered, this,
            &TFormMain::MainMenuStrumentiImportQuestionsClick);
    connect(ui_->MainMenuStrumentiExportData, &QAction::triggered, this, &TFormMain::MainMenuStrumentiExportDataClick);
    connect(ui_->MainMenuHelpUserGuide, &QAction::triggered, this, &TFormMain::MainMenuHelpUserGuideClick);
    connect(ui_->MainMenuHelpInformazioniSu, &QAction::triggered, this, &TFormMain::MainMenuHelpInformazioniSuClick);
}

void TFormMain::SetStatusText(const QString& text)
{
    statusPanels_[1]->setText(text);
    // The operations that set it run to their end without returning to the
    // event loop: paint now or the user never sees the text.
    if (statusPanels_[1]->isVisible())
        statusPanels_[1]->repaint();
}

QString TFormMain::StatusText() const
{
    return statusPanels_[1]->text();
}

void TFormMain::OpenRecordWindow(TRecordWindow which)
{
    TFormRSShow* window = nullptr;
    try {
        window = CreateRecordWindow(which, this);
    } catch (const Exception& e) {
        // The window disables its owner as it is built; a window that could
        // not be built must not leave the main window dead.
        setEnabled(true);
        ReportFailure(this, e.Message());
        return;
    }
    if (!window)
        return;
    window->show();
}

void TFormMain::BitBtnChildrenClick()
{
    OpenRecordWindow(TRecordWindow::Children);
}

void TFormMain::BitBtnTeachersClick()
{
    OpenRecordWindow(TRecordWindow::Teachers);
}

void TFormMain::BitBtnAreasClick()
{
    OpenRecordWindow(TRecordWindow::Areas);
}

void TFormMain::BitBtnPhasesClick()
{
    OpenRecordWindow(TRecordWindow::Phases);
}

void TFormMain::BitBtnQuestionsClick()
{
    OpenRecordWindow(TRecordWindow::Questions);
}

void TFormMain::BitBtnTablesManagementClick()
{
    OpenRecordWindow(TRecordWindow::Compilations);
}

void TFormMain::BitBtnSchoolClick()
{
    TDatabase* database = TDatabase::GetInstance();
    const QString current = database->Lookup(QStringLiteral("SELECT School FROM Application"), QStringLiteral("School"));
    QString text = current;
    for (;;) {
        if (!InputBox(this, Title(), Message11100(), text))
            return;
        if (text.size() <= SchoolNameMaxLength)
            break;
        // Ask again with what was typed, so nothing is lost.
        WarningBox(this, SchoolNameTooLongText(SchoolNameMaxLength));
    }
    if (text == current)
        return;
    try {
        const QString quoted = SQLQuote(text);
        // A database whose single row has gone missing would otherwise
        // swallow the new name without a word.
        if (database->Execute(QStringLiteral("UPDATE Application SET School='") + quoted + QStringLiteral("'")) == 0)
            database->Execute(QStringLiteral("INSERT INTO Application(School) VALUES('") + quoted + QStringLiteral("')"));
    } catch (const Exception& e) {
        ReportFailure(this, e.Message());
    }
}

void TFormMain::MainMenuStrumentiCompactAndRepairDatabaseClick()
{
    if (QuestionBox(this, CompactQuestionText()) != TBoxAnswer::Yes)
        return;
    bool done = false;
    QString failure;
    {
        TWaitCursor wait;
        SetStatusText(CompactStatusText());
        try {
            TDatabase::GetInstance()->CompactAndRepair();
            done = true;
        } catch (const Exception& e) {
            failure = e.Message();
        }
        SetStatusText(Message20000());
    }
    if (done)
        InformationBox(this, TDatabase::GetInstance()->UsesServer() ? ServerCompactDoneText() : CompactDoneText());
    else
        WarningBox(this, CompactFailedText() + failure);
}

void TFormMain::UpdatePasswordCommands()
{
    TDatabase* database = TDatabase::GetInstance();
    // The password, backups and restores of a server database are its
    // administrator's: those commands are for the file only.
    const bool file = !database->UsesServer();
    const bool own = database->HasOwnPassword();
    ui_->MainMenuStrumentiProtectWithPassword->setVisible(file && !own);
    ui_->MainMenuStrumentiChangePassword->setVisible(file && own);
    ui_->MainMenuStrumentiRemovePassword->setVisible(file && own);
    ui_->MainMenuStrumentiBackup->setVisible(file);
    ui_->MainMenuStrumentiRestore->setVisible(file);
}

bool TFormMain::ConfirmCurrentPassword()
{
    QString typed;
    if (!PasswordBox(this, CurrentPasswordPromptText(), typed))
        return false;
    if (typed == TDatabase::GetInstance()->CurrentPassword())
        return true;
    WarningBox(this, PasswordChangeFailedText() + WrongPasswordText());
    return false;
}

void TFormMain::ChangeDatabasePassword(const QString& newPassword)
{
    bool done = false;
    QString failure;
    {
        TWaitCursor wait;
        SetStatusText(PasswordStatusText());
        try {
            TDatabase::GetInstance()->ChangePassword(newPassword);
            done = true;
        } catch (const Exception& e) {
            failure = e.Message();
        }
        SetStatusText(Message20000());
    }
    UpdatePasswordCommands();
    if (!done)
        WarningBox(this, PasswordChangeFailedText() + failure);
    else if (newPassword.isEmpty())
        InformationBox(this, PasswordRemovedText());
    else
        InformationBox(this, PasswordSetText());
}

void TFormMain::MainMenuStrumentiProtectWithPasswordClick()
{
    QString password;
    if (NewPasswordBox(this, NewPasswordTitle(), NewPasswordWarningText(), NewPasswordProblem, password))
        ChangeDatabasePassword(password);
}

void TFormMain::MainMenuStrumentiChangePasswordClick()
{
    if (!ConfirmCurrentPassword())
        return;
    QString password;
    if (NewPasswordBox(this, NewPasswordTitle(), NewPasswordWarningText(), NewPasswordProblem, password))
        ChangeDatabasePassword(password);
}

void TFormMain::MainMenuStrumentiRemovePasswordClick()
{
    if (!ConfirmCurrentPassword() || QuestionBox(this, RemovePasswordQuestionText()) != TBoxAnswer::Yes)
        return;
    ChangeDatabasePassword(QString());
}

bool TFormMain::MakeBackup()
{
    const QString folder = GetExistingFolder(this, BackupFolderTitle(), QStringLiteral("backup"));
    if (folder.isEmpty())
        return false;
    QString copy;
    QString failure;
    {
        TWaitCursor wait;
        SetStatusText(BackupStatusText());
        try {
            copy = TDatabase::GetInstance()->BackupTo(folder, QDateTime::currentDateTime());
        } catch (const Exception& e) {
            failure = e.Message();
        }
        SetStatusText(Message20000());
    }
    if (copy.isEmpty()) {
        WarningBox(this, BackupFailedText() + failure);
        return false;
    }
    TSettings::GetInstance()->SetLastBackup(QDate::currentDate());
    InformationBox(this, BackupDoneText(QDir::toNativeSeparators(copy)));
    return true;
}

void TFormMain::MainMenuStrumentiBackupClick()
{
    MakeBackup();
}

void TFormMain::MainMenuStrumentiRestoreClick()
{
    const QString copy = GetOpenFileName(this, RestoreFileTitle(), RestoreFileFilter());
    if (copy.isEmpty())
        return;
    TDatabase* database = TDatabase::GetInstance();
    TDatabase::TCopySummary summary;
    QString copyPassword;
    try {
        // The copy most likely has the database's password, or had the
        // built-in one before the school set its own.
        copyPassword = WithPassword(
            {database->CurrentPassword(), TDatabase::Password()},
            [&](const QString& password) { summary = database->InspectCopy(copy, password); },
            [this, &copy]() -> std::optional<QString> {
                QString password;
                if (!PasswordBox(this, CopyPasswordPromptText(QFileInfo(copy).fileName()), password))
                    return std::nullopt;
                return password;
            });
    } catch (const Exception& e) {
        WarningBox(this, RestoreFailedText() + e.Message());
        return;
    }
    const QString latest = summary.LatestCompilation != 0 ? FormatShortDate(summary.LatestCompilation) : QString();
    if (QuestionBox(this, RestoreQuestionText(QDir::toNativeSeparators(copy), summary.Children, summary.Compilations,
                                              latest))
        != TBoxAnswer::Yes)
        return;
    QString previous;
    QString failure;
    {
        TWaitCursor wait;
        SetStatusText(RestoreStatusText());
        try {
            previous = database->RestoreFrom(copy, copyPassword, QDateTime::currentDateTime());
        } catch (const Exception& e) {
            failure = e.Message();
        }
        SetStatusText(Message20000());
    }
    if (previous.isEmpty())
        WarningBox(this, RestoreFailedText() + failure);
    else
        InformationBox(this, RestoreDoneText(QDir::toNativeSeparators(previous)));
}

void TFormMain::OfferBackupAtExit()
{
    TDatabase* database = TDatabase::GetInstance();
    TSettings* settings = TSettings::GetInstance();
    const QDate today = QDate::currentDate();
    if (!database->Connected() || database->UsesServer() || !settings->BackupReminderDue(today, BackupReminderDays))
        return;
    // An empty register has nothing to lose yet.
    if (database->Lookup(QStringLiteral("SELECT COUNT(*) AS Children FROM Children"), QStringLiteral("Children"))
            .toInt()
        == 0)
        return;
    settings->SetLastBackupReminder(today);
    const QDate last = settings->LastBackup();
    if (YesNoBox(this, BackupReminderText(last.isValid() ? int(last.daysTo(today)) : -1)) == TBoxAnswer::Yes)
        MakeBackup();
}

void TFormMain::MainMenuStrumentiImportQuestionsClick()
{
    if (QuestionBox(this, ImportQuestionText()) != TBoxAnswer::Yes)
        return;
    const QString fileName = GetOpenFileName(this, ImportDialogTitle(), ImportDialogFilter());
    if (fileName.isEmpty())
        return;
    bool failed = false;
    QString failure;
    {
        TWaitCursor wait;
        SetStatusText(ImportStatusText());
        try {
            TDatabase::GetInstance()->ImportLegacyQuestions(fileName);
        } catch (const Exception& e) {
            failed = true;
            failure = e.Message();
        }
        SetStatusText(Message20000());
    }
    if (failed)
        WarningBox(this, ImportFailedText() + failure);
}

void TFormMain::MainMenuStrumentiExportDataClick()
{
    const QString folder = GetExistingFolder(this, ExportDataFolderTitle());
    if (folder.isEmpty())
        return;
    QString failure;
    bool done = false;
    {
        TOperationInProgress progress(this, ExportDataProgressText(0, 0));
        try {
            ExportSchoolData(folder, [&progress](int written, int total) {
                progress.SetMessage(ExportDataProgressText(written, total));
            });
            done = true;
        } catch (const Exception& e) {
            failure = e.Message();
        }
    }
    if (done)
        InformationBox(this, ExportDataDoneText(QDir::toNativeSeparators(folder)));
    else
        WarningBox(this, ExportDataFailedText() + failure);
}

void TFormMain::MainMenuHelpUserGuideClick()
{
    OpenUserGuide(this);
}

void TFormMain::MainMenuHelpInformazioniSuClick()
{
    try {
        TFormAbout about(nullptr);
        about.exec();
    } catch (const std::exception&) {
        // Nothing the About window does is worth more than a quiet close.
    }
}

void TFormMain::MainMenuFileEsciClick()
{
    close();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->StatusBarMain) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            StatusBarDblClicked = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const bool onLogo = static_cast<QMouseEvent*>(event)->position().x() <= statusPanels_[0]->geometry().right();
            const bool open = StatusBarDblClicked && onLogo;
            StatusBarDblClicked = false;
            if (open)
                MainMenuHelpInformazioniSuClick();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    // While a register window is open the main window is inert; closing it
    // underneath would throw away the record being edited there.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    // Saved here, while the user can still be told that this run's choice
    // was not kept (a full disk, a file that cannot be replaced).
    if (databaseOpened_)
        OfferBackupAtExit();
    const QString failure = databaseOpened_ ? SaveSettings(settingsPath_) : QString();
    if (!failure.isEmpty())
        WarningBox(this, SettingsNotSavedText(failure));
    QMainWindow::closeEvent(event);
}
