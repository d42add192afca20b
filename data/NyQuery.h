// One SELECT read forward, row by row, straight from the engine: for the
// exports that walk millions of rows, which a recordset would first copy
// whole into memory. Read-only; the recordset stays the way to list and
// change rows.
//
// Failures raise the data-access exception of TNyConnection with the
// operation text "TNyQuery::Open" or "TNyQuery::Next".
#pragma once

#include "DateTime.h"

#include <QString>

class TNyConnection;
struct sqlite3_stmt;

class TNyQuery {
public:
    // The text holds one statement (the program's SQL dialect).
    TNyQuery(TNyConnection& connection, const QString& sql);
    ~TNyQuery();
    TNyQuery(const TNyQuery&) = delete;
    TNyQuery& operator=(const TNyQuery&) = delete;

    // Steps to the next row; false after the last one.
    bool Next();

    // The columns of the current row by their 0-based position. A null
    // value reads as empty text, 0, 0.0 (as the recordset reads it).
    bool IsNull(int column) const;
    int Integer(int column) const;
    double Real(int column) const;
    QString Text(int column) const;
    TDateTime DateTime(int column) const;

private:
    TNyConnection& connection_;
    sqlite3_stmt* statement_ = nullptr;
};
