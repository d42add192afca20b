// Reading a password from the person at the terminal, without showing it.
#pragma once

#include <QString>
#include <optional>

// True when standard input is a terminal someone types at (not a pipe, a
// file or a nightly job).
bool InteractiveTerminal();

// Writes prompt to standard error and reads one line with the terminal's
// echo off; nullopt at the end of input.
std::optional<QString> ReadPasswordFromTerminal(const QString& prompt);
