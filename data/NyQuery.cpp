#include "NyQuery.h"

#include "DateTime.h"
#include "NyConnection.h"
#include "Regional.h"

#include <cmath>
#include "DbEngine.h"

#include <QRegularExpression>
#include <cstdint>

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

// The number text starts with, 0 when none: how the engine reads text as a
// real.
double LeadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(0).trimmed().toDouble() : 0.0;
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
    bool ok = false;
    QString tail;
    statement_ = connection_.Engine()->Prepare(TranslateSql(sql), ok, &tail);
    if (!ok) {
        connection_.AddEngineError();
        ThrowAdoError(operation, connection_);
    }
    // A second statement in the text would silently never run.
    if (!statement_ || !tail.trimmed().isEmpty()) {
        statement_.reset();
        connection_.Errors() << QStringLiteral("The query must hold exactly one statement.");
        ThrowAdoError(operation, connection_);
    }
    if (static_cast<int>(values.size()) != statement_->ParameterCount()) {
        connection_.Errors() << QStringLiteral("The query has %1 values for %2 placeholders.")
                                    .arg(values.size())
                                    .arg(statement_->ParameterCount());
        statement_.reset();
        ThrowAdoError(operation, connection_);
    }
    int index = 1;
    for (const QVariant& value : values)
        statement_->Bind(index++, PlaceholderValue(value));
}

TNyQuery::~TNyQuery() = default;

bool TNyQuery::Next()
{
    const TDbStatement::TStep step = statement_->Step();
    if (step == TDbStatement::TStep::Row)
        return true;
    if (step != TDbStatement::TStep::Done) {
        connection_.AddEngineError();
        statement_->Reset();
        ThrowAdoError(QStringLiteral("TNyQuery::Next"), connection_);
    }
    return false;
}

bool TNyQuery::IsEmpty(int column) const
{
    const QVariant value = statement_->Value(column);
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().isEmpty();
    case QMetaType::QByteArray:
        return value.toByteArray().isEmpty();
    default:
        return value.isNull();
    }
}

QString TNyQuery::Text(int column) const
{
    const QVariant value = statement_->Value(column);
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double: {
        QLocale locale = RegionalLocale();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(value.toDouble(), 'g', 15);
    }
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

int TNyQuery::Integer(int column) const
{
    const QVariant value = statement_->Value(column);
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return Truncated(value.toLongLong());
    case QMetaType::Double:
        return Rounded(value.toDouble());
    default: {
        if (value.isNull())
            return 0;
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
    return statement_->Value(column).isNull();
}

double TNyQuery::Real(int column) const
{
    const QVariant value = statement_->Value(column);
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Double:
        return value.toDouble();
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray()).trimmed().toDouble();
    default:
        // As the engine reads text as a number: its leading number, else 0.
        return LeadingNumber(value.toString());
    }
}

TDateTime TNyQuery::DateTime(int column) const
{
    const QVariant value = statement_->Value(column);
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Double:
        return value.toDouble();
    default:
        if (value.isNull())
            return 0.0;
        return DateTimeFromStorageText(Text(column)).value_or(0.0);
    }
}
