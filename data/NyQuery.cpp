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

// Each read asks the engine for the value's kind first and then for the
// value in that kind: a questionnaire or a compilation's answers (thousands
// of cells) are read without a variant per cell.

bool TNyQuery::IsEmpty(int column) const
{
    switch (statement_->Kind(column)) {
    case TDbStatement::TKind::Null:
        return true;
    case TDbStatement::TKind::Text:
        return statement_->TextValue(column).isEmpty();
    case TDbStatement::TKind::Blob:
        return statement_->BlobValue(column).isEmpty();
    default:
        return false;
    }
}

QString TNyQuery::Text(int column) const
{
    switch (statement_->Kind(column)) {
    case TDbStatement::TKind::Null:
        return QString();
    case TDbStatement::TKind::Integer:
        return QString::number(statement_->IntegerValue(column));
    case TDbStatement::TKind::Real: {
        QLocale locale = RegionalLocale();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(statement_->RealValue(column), 'g', 15);
    }
    case TDbStatement::TKind::Blob:
        return QString::fromUtf8(statement_->BlobValue(column));
    case TDbStatement::TKind::Text:
        break;
    }
    return statement_->TextValue(column);
}

int TNyQuery::Integer(int column) const
{
    switch (statement_->Kind(column)) {
    case TDbStatement::TKind::Integer:
        return Truncated(statement_->IntegerValue(column));
    case TDbStatement::TKind::Real:
        return Rounded(statement_->RealValue(column));
    case TDbStatement::TKind::Null:
        return 0;
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
    return statement_->Kind(column) == TDbStatement::TKind::Null;
}

double TNyQuery::Real(int column) const
{
    switch (statement_->Kind(column)) {
    case TDbStatement::TKind::Integer:
        return static_cast<double>(statement_->IntegerValue(column));
    case TDbStatement::TKind::Real:
        return statement_->RealValue(column);
    case TDbStatement::TKind::Null:
        return 0.0;
    case TDbStatement::TKind::Blob:
        return QString::fromUtf8(statement_->BlobValue(column)).trimmed().toDouble();
    case TDbStatement::TKind::Text:
        break;
    }
    // As the engine reads text as a number: its leading number, else 0.
    return LeadingNumber(statement_->TextValue(column));
}

TDateTime TNyQuery::DateTime(int column) const
{
    // A number is a day number, read as any number is; text is a stored date.
    switch (statement_->Kind(column)) {
    case TDbStatement::TKind::Text:
    case TDbStatement::TKind::Blob:
        return DateTimeFromStorageText(Text(column)).value_or(0.0);
    default:
        return Real(column);
    }
}
