// The texts of the program's numbered messages.
#pragma once

#include <QString>

// Shown when the database cannot be opened at start-up; the exception's
// message follows it.
inline QString Message11002()
{
    return QStringLiteral("ATTENZIONE: connessione al database fallita! L'applicazione verr\u00e0 terminata.\r\n\r\nEccezione: ");
}
