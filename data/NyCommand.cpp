#include "NyCommand.h"

#include "DbEngine.h"
#include "NyConnection.h"

QVariant PlaceholderValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return value; // empty text stays text, as a quoted '' would
    if (value.isNull())
        return QVariant();
    return QVariant(value.toLongLong());
}

TNyCommand::TNyCommand(TNyConnection& connection, const QString& sql)
    : connection_(connection)
{
    if (!connection_.IsOpen()) {
        connection_.Errors() << QStringLiteral("The connection is not open.");
        ThrowAdoError(QStringLiteral("TNyCommand::Prepare"), connection_);
    }
    bool ok = false;
    QString tail;
    statement_ = connection_.Engine()->Prepare(TranslateSql(sql), ok, &tail);
    if (!ok) {
        connection_.AddEngineError();
        ThrowAdoError(QStringLiteral("TNyCommand::Prepare"), connection_);
    }
    // A second statement in the text would silently never run.
    if (!statement_ || !tail.trimmed().isEmpty()) {
        statement_.reset();
        connection_.Errors() << QStringLiteral("The command must hold exactly one statement.");
        ThrowAdoError(QStringLiteral("TNyCommand::Prepare"), connection_);
    }
}

TNyCommand::~TNyCommand() = default;

int TNyCommand::Execute(std::initializer_list<QVariant> values)
{
    return ExecuteValues(values.begin(), static_cast<qsizetype>(values.size()));
}

int TNyCommand::Execute(const std::vector<QVariant>& values)
{
    return ExecuteValues(values.data(), static_cast<qsizetype>(values.size()));
}

int TNyCommand::ExecuteValues(const QVariant* values, qsizetype count)
{
    statement_->Reset();
    statement_->ClearBindings();
    if (count != statement_->ParameterCount()) {
        connection_.Errors() << QStringLiteral("The command has %1 values for %2 placeholders.")
                                    .arg(count)
                                    .arg(statement_->ParameterCount());
        ThrowAdoError(QStringLiteral("TNyCommand::Execute"), connection_);
    }
    for (qsizetype i = 0; i < count; ++i)
        statement_->Bind(static_cast<int>(i + 1), PlaceholderValue(values[i]));
    TDbStatement::TStep step;
    while ((step = statement_->Step()) == TDbStatement::TStep::Row) {
    }
    if (step != TDbStatement::TStep::Done) {
        connection_.AddEngineError();
        statement_->Reset();
        ThrowAdoError(QStringLiteral("TNyCommand::Execute"), connection_);
    }
    const int changes = statement_->Changes();
    statement_->Reset();
    return changes;
}

int TNyCommand::ExecuteRows(const std::vector<QVariant>& values)
{
    const int width = statement_->ParameterCount();
    if (width == 0 || values.size() % static_cast<size_t>(width) != 0) {
        connection_.Errors() << QStringLiteral("The command has %1 values for rows of %2 placeholders.")
                                    .arg(values.size())
                                    .arg(width);
        ThrowAdoError(QStringLiteral("TNyCommand::Execute"), connection_);
    }
    if (values.empty())
        return 0;
    std::vector<QVariant> bound;
    bound.reserve(values.size());
    for (const QVariant& value : values)
        bound.push_back(PlaceholderValue(value));
    int changes = 0;
    if (!statement_->RunRows(bound, changes)) {
        connection_.AddEngineError();
        ThrowAdoError(QStringLiteral("TNyCommand::Execute"), connection_);
    }
    return changes;
}
