#include "NyQuery.h"

#include "NyConnection.h"

#include <sqlcipher/sqlite3.h>

TNyQuery::TNyQuery(TNyConnection& connection, const QString& sql)
    : connection_(connection)
{
    if (!connection_.IsOpen()) {
        connection_.Errors() << QStringLiteral("The connection is not open.");
        ThrowAdoError(QStringLiteral("TNyQuery::Open"), connection_);
    }
    const QByteArray text = TranslateSql(sql).toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(connection_.Handle(), text.constData(), static_cast<int>(text.size()), &statement_, &tail)
        != SQLITE_OK) {
        connection_.AddEngineError();
        ThrowAdoError(QStringLiteral("TNyQuery::Open"), connection_);
    }
    if (!statement_ || QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        connection_.Errors() << QStringLiteral("The query must hold exactly one statement.");
        ThrowAdoError(QStringLiteral("TNyQuery::Open"), connection_);
    }
}

TNyQuery::~TNyQuery()
{
    sqlite3_finalize(statement_);
}

bool TNyQuery::Next()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    connection_.AddEngineError();
    sqlite3_reset(statement_);
    ThrowAdoError(QStringLiteral("TNyQuery::Next"), connection_);
}

bool TNyQuery::IsNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

int TNyQuery::Integer(int column) const
{
    return sqlite3_column_int(statement_, column);
}

double TNyQuery::Real(int column) const
{
    return sqlite3_column_double(statement_, column);
}

QString TNyQuery::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement_, column)) : QString();
}

TDateTime TNyQuery::DateTime(int column) const
{
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_NULL:
        return 0.0;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement_, column);
    default:
        return DateTimeFromStorageText(Text(column)).value_or(0.0);
    }
}
