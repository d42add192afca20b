// One statement prepared once and run many times with new values: writing
// many rows of the same shape (a compilation's answers) without preparing
// the same text again for each row.
//
// Failures raise the data-access exception of TNyConnection with the
// operation text "TNyCommand::Prepare" or "TNyCommand::Execute".
#pragma once

#include <QString>
#include <QVariant>
#include <initializer_list>
#include <vector>
#include <memory>

class TNyConnection;
class TDbStatement;

class TNyCommand {
public:
    // The text holds one statement, its values as '?' placeholders.
    TNyCommand(TNyConnection& connection, const QString& sql);
    ~TNyCommand();
    TNyCommand(const TNyCommand&) = delete;
    TNyCommand& operator=(const TNyCommand&) = delete;

    // Binds the values to the placeholders in order (as many values as
    // placeholders: text as text, a null value as NULL, anything else as an
    // integer), runs the statement and returns the rows it changed. After a
    // failure the command can be run again with other values.
    int Execute(std::initializer_list<QVariant> values);
    // The same for values counted only when the command runs (a row of any
    // table).
    int Execute(const std::vector<QVariant>& values);
    // Runs the command once for each row of values (as many values a row as
    // placeholders, the rows one after the other) and returns the rows
    // changed. As Execute for each row in turn, but the engine may send
    // many rows at once: the rows before a failure stay done, the failed
    // one and those after it are not. No rows: nothing is run.
    int ExecuteRows(const std::vector<QVariant>& values);

private:
    int ExecuteValues(const QVariant* values, qsizetype count);

    TNyConnection& connection_;
    std::unique_ptr<TDbStatement> statement_;
};
