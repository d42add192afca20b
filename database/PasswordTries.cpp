#include "PasswordTries.h"

#include "Exception.h"
#include "MaintenanceMessages.h"

QString WithPassword(const QStringList& known, const std::function<void(const QString&)>& attempt,
                     const std::function<std::optional<QString>()>& ask, const std::function<void()>& beforeAsking,
                     const QString& refusedText)
{
    // The engine's own words of the first refusal go with the message: a
    // damaged file is refused just as a wrong password is.
    QString refusal;
    auto tryOne = [&](const QString& password) {
        try {
            attempt(password);
            return true;
        } catch (const EKeyRefused& e) {
            if (refusal.isEmpty())
                refusal = e.Message();
            return false;
        }
    };
    auto fail = [&refusal](const QString& text) {
        throw Exception(refusal.isEmpty() ? text : text + QStringLiteral("\r\n\r\nDettagli: ") + refusal);
    };
    QStringList tried;
    for (const QString& password : known) {
        if (tried.contains(password))
            continue;
        tried << password;
        if (tryOne(password))
            return password;
    }
    if (!ask)
        fail(refusedText.isEmpty() ? WrongPasswordText() : refusedText);
    if (beforeAsking)
        beforeAsking();
    for (int i = 0; i < PasswordTries; ++i) {
        const std::optional<QString> password = ask();
        if (!password)
            fail(PasswordNotGivenText());
        if (tryOne(*password))
            return *password;
    }
    fail(WrongPasswordText());
    return QString();
}
