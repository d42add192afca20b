// Opening something that may need a password someone must type: the
// database at start-up or in baltero-db, a copy to restore.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// How many passwords may be typed before the program gives up.
constexpr int PasswordTries = 3;

// Calls attempt with each of known, then with up to PasswordTries passwords
// that ask returns (nullopt: the person gave up; no ask: nobody to ask),
// until a call does not raise EKeyRefused; before the first ask calls
// beforeAsking, when given. Returns the password that worked. After the
// last refused try raises Exception with WrongPasswordText (or refusedText
// when nobody could be asked); when the person gives up, with
// PasswordNotGivenText. Any other failure of attempt passes through.
QString WithPassword(const QStringList& known, const std::function<void(const QString&)>& attempt,
                     const std::function<std::optional<QString>()>& ask,
                     const std::function<void()>& beforeAsking = {}, const QString& refusedText = QString());
