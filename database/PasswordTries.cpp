#include "PasswordTries.h"

#include "Exception.h"
#include "MaintenanceMessages.h"

QString WithPassword(const QStringList& known, const std::function<void(const QString&)>& attempt,
                     const std::function<std::optional<QString>()>& ask, const std::function<void()>& beforeAsking,
                     const QString& refusedText)
{
    QStringList tried;
    for (const QString& password : known) {
        if (tried.contains(password))
            continue;
        tried << password;
        try {
            attempt(password);
            return password;
        } catch (const EKeyRefused&) {
        }
    }
    if (!ask)
        throw Exception(refusedText.isEmpty() ? WrongPasswordText() : refusedText);
    if (beforeAsking)
        beforeAsking();
    for (int i = 0; i < PasswordTries; ++i) {
        const std::optional<QString> password = ask();
        if (!password)
            throw Exception(PasswordNotGivenText());
        try {
            attempt(*password);
            return *password;
        } catch (const EKeyRefused&) {
        }
    }
    throw Exception(WrongPasswordText());
}
