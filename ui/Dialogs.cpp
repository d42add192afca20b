#include "Dialogs.h"

#include "BuildConfig.h"
#include "HtmlPrinting.h"
#include "ProgramModule.h"
#include "Settings.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>

namespace {

struct Script {
    bool active = false;
    std::deque<TBoxAnswer> answers;
    std::deque<std::optional<QString>> texts;
    std::vector<DialogScript::Shown> shown;
    QString pdfFileName;
};

Script& TheScript()
{
    static Script script;
    return script;
}

QString Title()
{
    return QStringLiteral(BALTERO_APPLICATION_TITLE);
}

void Record(const QString& kind, const QString& text)
{
    TheScript().shown.push_back({kind, text, QString()});
}

TBoxAnswer NextAnswer(TBoxAnswer whenNone)
{
    Script& script = TheScript();
    if (script.answers.empty())
        return whenNone;
    const TBoxAnswer answer = script.answers.front();
    script.answers.pop_front();
    return answer;
}

std::optional<QString> NextText()
{
    Script& script = TheScript();
    if (script.texts.empty())
        return std::nullopt;
    std::optional<QString> text = script.texts.front();
    script.texts.pop_front();
    return text;
}

// Tests of the whole program, run as another process, see its message boxes
// through two environment variables: BALTERO_TEST_DIALOG_LOG names a file to
// which each box's kind and text are appended as it shows, and how it
// closed; BALTERO_TEST_DIALOG_ANSWER_MS presses the box's default button after
// that many milliseconds, as a user would.
int RunBox(QMessageBox& box, const QString& kind)
{
    const QString logPath = qEnvironmentVariable("BALTERO_TEST_DIALOG_LOG");
    if (logPath.isEmpty())
        return box.exec();
    const auto log = [&logPath](const QString& line) {
        QFile file(logPath);
        if (file.open(QIODevice::Append | QIODevice::Text))
            file.write((line + QLatin1Char('\n')).toUtf8());
    };
    log(kind + QLatin1Char('\t') + QString(box.text()).replace(QStringLiteral("\r\n"), QStringLiteral("|")));
    bool answered = false;
    bool ok = false;
    const int answerMs = qEnvironmentVariableIntValue("BALTERO_TEST_DIALOG_ANSWER_MS", &ok);
    if (ok)
        QTimer::singleShot(answerMs, &box, [&box, &answered] {
            answered = true;
            if (QAbstractButton* button = box.defaultButton() ? box.defaultButton() : box.buttons().value(0))
                button->click();
        });
    QElapsedTimer shown;
    shown.start();
    const int result = box.exec();
    log(QStringLiteral("closed\t") + (answered ? QStringLiteral("answered") : QStringLiteral("unanswered"))
        + QLatin1Char('\t') + QString::number(shown.elapsed()));
    return result;
}

TBoxAnswer FromButton(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return TBoxAnswer::Yes;
    case QMessageBox::No:
        return TBoxAnswer::No;
    case QMessageBox::Ok:
        return TBoxAnswer::Ok;
    default:
        return TBoxAnswer::Cancel;
    }
}

void NoticeBox(QWidget* parent, const QString& kind, QMessageBox::Icon icon, const QString& text)
{
    if (TheScript().active) {
        Record(kind, text);
        NextAnswer(TBoxAnswer::Ok);
        return;
    }
    QMessageBox box(icon, Title(), text, QMessageBox::Ok, parent);
    RunBox(box, kind);
}

TBoxAnswer AskBox(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons)
{
    if (TheScript().active) {
        Record(QStringLiteral("question"), text);
        return NextAnswer(TBoxAnswer::Cancel);
    }
    QMessageBox box(QMessageBox::Question, Title(), text, buttons, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No);
    return FromButton(RunBox(box, QStringLiteral("question")));
}

// Prints through the printing module, loaded on first use; false, after
// saying why, when the module is missing or does not load.
bool PrintThroughModule(QWidget* parent, const QString& html, const QString& pdfFileName)
{
    const TModuleEntry module =
        LoadModuleEntry(kPrintModuleVariable, QStringLiteral(BALTERO_PRINT_MODULE_FROM_PROGRAM), "BalteroPrintHtml");
    if (!module.Function) {
        ErrorBox(parent,
                 ModuleProblemText(module,
                                   QStringLiteral("La stampa non \u00e8 possibile: manca il modulo di stampa (%1). "
                                                  "Reinstallare Baltero."),
                                   QStringLiteral("La stampa non \u00e8 possibile: il modulo di stampa non si carica "
                                                  "(%1). Reinstallare Baltero.")));
        return false;
    }
    return reinterpret_cast<decltype(&BalteroPrintHtml)>(module.Function)(parent, html, pdfFileName);
}

} // namespace

TBoxAnswer QuestionBox(QWidget* parent, const QString& text)
{
    return AskBox(parent, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

TBoxAnswer YesNoBox(QWidget* parent, const QString& text)
{
    return AskBox(parent, text, QMessageBox::Yes | QMessageBox::No);
}

void WarningBox(QWidget* parent, const QString& text)
{
    NoticeBox(parent, QStringLiteral("warning"), QMessageBox::Warning, text);
}

void InformationBox(QWidget* parent, const QString& text)
{
    NoticeBox(parent, QStringLiteral("information"), QMessageBox::Information, text);
}

void ErrorBox(QWidget* parent, const QString& text)
{
    NoticeBox(parent, QStringLiteral("error"), QMessageBox::Critical, text);
}

bool InputBox(QWidget* parent, const QString& caption, const QString& prompt, QString& value)
{
    if (TheScript().active) {
        Record(QStringLiteral("input"), prompt);
        const std::optional<QString> text = NextText();
        if (!text)
            return false;
        value = *text;
        return true;
    }
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok)
        value = text;
    return ok;
}

QString FileKindOfFilter(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

namespace {

// Where a dialog for this kind of file opens: where the last one was
// confirmed, while that folder is still there.
QString StartFolder(const QString& filter)
{
    const QString folder = TSettings::GetInstance()->LastFolder(FileKindOfFilter(filter));
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

QString KeepFolder(const QString& filter, const QString& fileName)
{
    if (!fileName.isEmpty())
        TSettings::GetInstance()->SetLastFolder(FileKindOfFilter(filter), QFileInfo(fileName).absolutePath());
    return fileName;
}

QString ScriptedFileName(const QString& kind, const QString& title, const QString& filter)
{
    Record(kind, title);
    TheScript().shown.back().folder = StartFolder(filter);
    return KeepFolder(filter, NextText().value_or(QString()));
}

} // namespace

QString GetOpenFileName(QWidget* parent, const QString& title, const QString& filter)
{
    if (TheScript().active)
        return ScriptedFileName(QStringLiteral("open"), title, filter);
    return KeepFolder(filter, QFileDialog::getOpenFileName(parent, title, StartFolder(filter), filter, nullptr,
                                                           QFileDialog::DontUseNativeDialog));
}

QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix,
                        const QString& suggestedName)
{
    if (TheScript().active)
        return ScriptedFileName(QStringLiteral("save"), title, filter);
    QFileDialog dialog(parent, title, StartFolder(filter), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return KeepFolder(filter, dialog.selectedFiles().first());
}

QString GetExistingFolder(QWidget* parent, const QString& title, const QString& kind)
{
    // Folders chosen to write into are remembered apart from file dialogs.
    const QString last = TSettings::GetInstance()->LastFolder(kind);
    const QString start = !last.isEmpty() && QFileInfo(last).isDir() ? last : QString();
    QString folder;
    if (TheScript().active) {
        Record(QStringLiteral("folder"), title);
        TheScript().shown.back().folder = start;
        folder = NextText().value_or(QString());
    } else {
        folder = QFileDialog::getExistingDirectory(parent, title, start,
                                                   QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    }
    if (!folder.isEmpty())
        TSettings::GetInstance()->SetLastFolder(kind, QFileInfo(folder).absoluteFilePath());
    return folder;
}

bool OpenWithDesktop(const QUrl& url)
{
    if (TheScript().active) {
        Record(QStringLiteral("desktop"), url.toString());
        return true;
    }
    return QDesktopServices::openUrl(url);
}

bool PrintHtmlFile(QWidget* parent, const QString& fileName, const std::function<QString(const QString&)>& forPrint)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The report declares ISO-8859-1 and writes every other character as a
    // numeric reference.
    QString html = QString::fromLatin1(file.readAll());
    if (forPrint)
        html = forPrint(html);

    if (TheScript().active) {
        Record(QStringLiteral("print"), fileName);
        if (NextAnswer(TBoxAnswer::Ok) != TBoxAnswer::Ok)
            return false;
        if (!TheScript().pdfFileName.isEmpty())
            return PrintThroughModule(parent, html, TheScript().pdfFileName);
        return true;
    }
    return PrintThroughModule(parent, html, QString());
}

namespace DialogScript {

void Begin()
{
    Script& script = TheScript();
    script = Script();
    script.active = true;
}

void End()
{
    TheScript() = Script();
}

bool Active()
{
    return TheScript().active;
}

void PushAnswer(TBoxAnswer answer)
{
    TheScript().answers.push_back(answer);
}

void PushText(const std::optional<QString>& text)
{
    TheScript().texts.push_back(text);
}

void PrintToPdf(const QString& pdfFileName)
{
    TheScript().pdfFileName = pdfFileName;
}

const std::vector<Shown>& ShownDialogs()
{
    return TheScript().shown;
}

void ClearShown()
{
    TheScript().shown.clear();
}

void RecordShown(const QString& kind, const QString& text)
{
    Record(kind, text);
}

std::optional<QString> TakeText()
{
    return NextText();
}

QStringList Texts(const QString& kind)
{
    QStringList texts;
    for (const Shown& shown : TheScript().shown) {
        if (shown.kind == kind)
            texts << shown.text;
    }
    return texts;
}

} // namespace DialogScript
