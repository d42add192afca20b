// One statement's rows read once, front to back, straight from the engine:
// loading a questionnaire or a compilation's answers, and the exports that
// walk millions of rows, without the copy of the whole result that a
// recordset keeps for moving about and writing back. Read-only; the
// recordset stays the way to list and change rows.
//
// Failures raise the data-access exception of TNyConnection with the
// operation text "TNyQuery::Open" or "TNyQuery::Next".
#pragma once

#include "DateTime.h"

#include <QString>
#include <QVariant>
#include <initializer_list>
#include <memory>

class TNyConnection;
class TDbStatement;

class TNyQuery {
public:
    // The text holds one statement, its values as '?' placeholders bound in
    // order (text as text, a null value as NULL, anything else as an integer).
    TNyQuery(TNyConnection& connection, const QString& sql, std::initializer_list<QVariant> values = {});
    ~TNyQuery();
    TNyQuery(const TNyQuery&) = delete;
    TNyQuery& operator=(const TNyQuery&) = delete;

    // Moves to the next row; false after the last one.
    bool Next();

    // The current row's values by column position, read as a recordset
    // reads them: a null or empty value is empty text and the integer 0.
    bool IsEmpty(int column) const;
    QString Text(int column) const;
    int Integer(int column) const;
    // Whether nothing is stored; a number or a date read from a null value
    // is 0, a date stored as text is converted.
    bool IsNull(int column) const;
    double Real(int column) const;
    TDateTime DateTime(int column) const;

private:
    TNyConnection& connection_;
    std::unique_ptr<TDbStatement> statement_;
};
