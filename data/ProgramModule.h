// The program's own modules: parts with heavy libraries behind them (the
// server's engine, the progress chart) are shared objects loaded on first
// use, so that a start which never needs them does not map their libraries.
// Each lies in BALTERO_MODULE_DIR, found relative to the program's folder,
// unless an environment variable names its file (the build's tests do).
#pragma once

#include <QFunctionPointer>
#include <QString>

struct TModuleEntry {
    // The entry point; nullptr when the module could not be used.
    QFunctionPointer Function = nullptr;
    // The file looked for.
    QString File;
    // True when the file is not there; otherwise, without Function, the
    // system's reason why it does not load (a damaged file, a missing
    // library) is in Reason.
    bool Missing = false;
    QString Reason;
};

// Loads the module (once per file for the rest of the run: what it made
// runs its code until the end) and looks up its entry point.
//   variable:    the environment variable that may name the file
//   fromProgram: the file's path relative to the program's folder
TModuleEntry LoadModuleEntry(const char* variable, const QString& fromProgram, const char* entry);

// What keeps the module from being used, told to the user: missingText when
// its file is not there, notLoadingText when the system refuses it, each with
// "%1" for the file or the system's reason; empty when it can be used.
QString ModuleProblemText(const TModuleEntry& module, const QString& missingText, const QString& notLoadingText);
