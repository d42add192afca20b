#include "NyQuery.h"

#include "DateTime.h"
#include "NyConnection.h"
#include "Regional.h"

#include <cmath>
#include <cstdint>
#include <sqlcipher/sqlite3.h>

namespace {

std::int32_t Truncated(long long value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

int Rounded(double number)
{
    if (!std::isfinite(number) || std::fabs(number) > 2147483647.0)
        return 0;
    return static_cast<int>(std::llround(number));
}

} // namespace

TNyQuery::TNyQuery(TNyConnection& connection, const QString& sql, std::initializer_list<QVariant> values)
    : connection_(connection)
{
    const QString operation = QStringLiteral("TNyQuery::Open");
    if (!connection_.IsOpen()) {
        connection_.Errors() << QStringLiteral("The connection is not open.");
        ThrowAdoError(operation, connection_);
    }
    const QByteArray text = TranslateSql(sql).toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(connection_.Handle(), text.constData(), static_cast<int>(text.size()), &statement_, &tail)
        != SQLITE_OK) {
        connection_.AddEngineError();
        ThrowAdoError(operation, connection_);
    }
    // A second statement in the text would silently never run.
    if (!statement_ || QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        connection_.Errors() << QStringLiteral("The query must hold exactly one statement.");
        ThrowAdoError(operation, connection_);
    }
    if (static_cast<int>(values.size()) != sqlite3_bind_parameter_count(statement_)) {
        connection_.Errors() << QStringLiteral("The query has %1 values for %2 placeholders.")
                                    .arg(values.size())
                                    .arg(sqlite3_bind_parameter_count(statement_));
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        ThrowAdoError(operation, connection_);
    }
    int index = 1;
    for (const QVariant& value : values) {
        if (value.typeId() == QMetaType::QString) {
            const QByteArray bytes = value.toString().toUtf8();
            sqlite3_bind_text(statement_, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        } else if (value.isNull()) {
            sqlite3_bind_null(statement_, index);
        } else {
            sqlite3_bind_int64(statement_, index, value.toLongLong());
        }
        ++index;
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
    if (rc != SQLITE_DONE) {
        connection_.AddEngineError();
        sqlite3_reset(statement_);
        ThrowAdoError(QStringLiteral("TNyQuery::Next"), connection_);
    }
    return false;
}

bool TNyQuery::IsEmpty(int column) const
{
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_NULL:
        return true;
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        return sqlite3_column_bytes(statement_, column) == 0;
    default:
        return false;
    }
}

QString TNyQuery::Text(int column) const
{
    if (IsEmpty(column))
        return QString();
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(statement_, column));
    case SQLITE_FLOAT: {
        QLocale locale = RegionalLocale();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(sqlite3_column_double(statement_, column), 'g', 15);
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(statement_, column));
    }
    }
}

int TNyQuery::Integer(int column) const
{
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
        return Truncated(sqlite3_column_int64(statement_, column));
    case SQLITE_FLOAT:
        return Rounded(sqlite3_column_double(statement_, column));
    default: {
        // Text that is no whole number: a stored date counts as its day
        // number, as the recordset reads it.
        const QString text = Text(column).trimmed();
        bool ok = false;
        const qlonglong integer = text.toLongLong(&ok);
        if (ok)
            return Truncated(integer);
        if (const auto dateTime = DateTimeFromStorageText(text))
            return Rounded(*dateTime);
        return Rounded(text.toDouble(&ok));
    }
    }
}

bool TNyQuery::IsNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

double TNyQuery::Real(int column) const
{
    return sqlite3_column_double(statement_, column);
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
