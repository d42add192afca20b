// The PostgreSQL engine lives in a module of its own (baltero-pg), loaded
// only when a connection string names a server: libpq brings Kerberos, LDAP
// and SASL with it, and most schools work on the encrypted file alone.
#pragma once

#include "DbEngine.h"

#include <QString>
#include <memory>

struct TConnectionSettings;

// The module's one entry point (defined in PgEngine.cpp): TPgEngine::Open,
// with the engine handed over to the caller.
extern "C" TDbEngine* BalteroOpenPgEngine(const TConnectionSettings* settings, int busyTimeoutMs, QString* error,
                                          bool* passwordRefused);

// The environment variable that names the module's file instead of its
// place beside the program (the build's tests use it).
inline constexpr char kPgModuleVariable[] = "BALTERO_PG_MODULE";

// Connects to the server the settings name through the module, loaded on
// first use. Gives nullptr with the description in error when the module is
// missing or cannot be loaded, or when the server cannot be reached;
// passwordRefused tells a password the server refused or asked for.
std::unique_ptr<TDbEngine> OpenServerEngine(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                            bool& passwordRefused);
