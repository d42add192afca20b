// The connection string: ';'-separated key=value pairs, keys in any letter
// case, values optionally in double quotes (a quote inside written twice).
#pragma once

#include <QString>

// The pairs of a connection string that TNyConnection::Open reads.
struct TConnectionSettings {
    QString provider;
    QString dataSource;
    QString password;
    bool create = false;
    bool hasDataSource = false;
    // The server's: empty values are left to libpq's defaults and
    // environment (PGHOST, PGUSER, the password file...).
    QString host;
    QString port;
    QString database;
    QString user;
    QString sslMode;
};
TConnectionSettings ParseConnectionString(const QString& text);

// A value for a connection string, in double quotes, so that it may hold
// ';', '=' or '"'.
QString QuoteConnectionValue(const QString& value);

// The TLS mode a server connection asks for: the one the settings name, else
// "prefer" for a server on this machine (a Unix socket folder, localhost,
// 127.0.0.1, ::1, or no host at all) and "require" for any other.
QString ServerSslMode(const TConnectionSettings& settings);

// Whether a server connection asks for Kerberos (GSSAPI) encryption:
// "disable" for a server on this machine, where the traffic never leaves it
// and libpq's check for a Kerberos ticket would start the Kerberos library
// for nothing (0.6 MB kept for the rest of the run); empty, libpq's default
// or PGGSSENCMODE, for any other server or when PGGSSENCMODE is set. Logging
// in with Kerberos is not touched.
QString ServerGssEncMode(const TConnectionSettings& settings);
