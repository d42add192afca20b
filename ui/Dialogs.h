// Every message box, text-input box, file dialog and hand-over to the desktop
// (documents, links, printing) goes through these functions. Tests switch
// them to a script: no window appears, each call takes the next scripted
// answer and is recorded for the test to check.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

enum class TBoxAnswer { Yes, No, Cancel, Ok };

// Yes, No and Cancel; question icon; No is the default. Only Yes consents.
TBoxAnswer QuestionBox(QWidget* parent, const QString& text);
// A question with Yes and No only, No the default.
TBoxAnswer YesNoBox(QWidget* parent, const QString& text);
// A single OK button with a warning, information or error icon.
void WarningBox(QWidget* parent, const QString& text);
void InformationBox(QWidget* parent, const QString& text);
void ErrorBox(QWidget* parent, const QString& text);

// The one-line text-input box; false when cancelled.
bool InputBox(QWidget* parent, const QString& caption, const QString& prompt, QString& value);

// File dialogs; empty text when cancelled. filter uses Qt's form
// ("File HTML (*.html)"). Each opens in the folder where the last dialog for
// the same kind of file (the filter's first extension) was confirmed, kept
// in the settings.
QString GetOpenFileName(QWidget* parent, const QString& title, const QString& filter);
// suggestedName, when given, is the name the save dialog proposes.
QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix,
                        const QString& suggestedName = QString());
// A folder to write into; empty text when cancelled ("folder" in the script).
// kind names what the folder is for: each kind opens where the last folder
// of that kind was chosen.
QString GetExistingFolder(QWidget* parent, const QString& title, const QString& kind = QStringLiteral("folder"));
// The kind of file a filter is for: its first extension, in lower case.
QString FileKindOfFilter(const QString& filter);

// Hands a document or link to the desktop; false when nothing could open it.
bool OpenWithDesktop(const QUrl& url);
// Shows the print dialog and prints the HTML file, its text first passed
// through forPrint when given (the caller's own document in the form Qt's
// rich-text engine draws faithfully); false when cancelled or when the file
// cannot be read. The page uses a browser's default font for what the file
// leaves unstyled.
bool PrintHtmlFile(QWidget* parent, const QString& fileName,
                   const std::function<QString(const QString&)>& forPrint = {});

namespace DialogScript {

struct Shown {
    QString kind; // "question", "warning", "information", "error", "input", "open", "save", "folder", "desktop", "print"
    QString text;
    // The folder a file dialog opened in (empty: the current folder).
    QString folder;
};

// While a script is active no real dialog is shown. Boxes take their answers
// from PushAnswer (a question without one is answered Cancel); input boxes
// and file dialogs from PushText (nullopt cancels; without one they cancel).
void Begin();
void End();
bool Active();
void PushAnswer(TBoxAnswer answer);
void PushText(const std::optional<QString>& text);
// From now on a print the script lets go ahead (answer Ok) is written, A4,
// to this PDF file, as the print dialog's "print to file" would write it.
void PrintToPdf(const QString& pdfFileName);
const std::vector<Shown>& ShownDialogs();
void ClearShown();
// Texts of the recorded dialogs of one kind, oldest first.
QStringList Texts(const QString& kind);

// For the other dialogs behind this seam (PasswordDialogs.h): record one
// that is shown, and take the next scripted text (nullopt: cancelled).
void RecordShown(const QString& kind, const QString& text);
std::optional<QString> TakeText();

} // namespace DialogScript
