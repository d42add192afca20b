// The two password dialogs, behind the same seam as the message boxes
// (Dialogs.h): a script answers them with PushText; no password is ever
// recorded, only the prompt.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// One masked line ("password" in the script). False when cancelled.
bool PasswordBox(QWidget* parent, const QString& prompt, QString& password);

// A new password typed twice, under text that says what it is for
// ("newpassword" in the script, which takes two texts per try). problem
// returns why the pair is refused, empty when it is accepted; the dialog
// stays open, saying why, until it is accepted or cancelled (a script
// records each refusal as a "warning"). False when cancelled.
bool NewPasswordBox(QWidget* parent, const QString& title, const QString& text,
                    const std::function<QString(const QString&, const QString&)>& problem, QString& password);

// The user and password for the school's database server ("Accesso al
// database della scuola"; "login" in the script, which takes the user, then
// the password). user comes in as the one proposed. False when cancelled.
bool ServerLoginBox(QWidget* parent, const QString& server, QString& user, QString& password);
