#include "NyCommand.h"

#include "NyConnection.h"

#include <sqlcipher/sqlite3.h>

TNyCommand::TNyCommand(TNyConnection& connection, const QString& sql)
    : connection_(connection)
{
    if (!connection_.IsOpen()) {
        connection_.Errors() << QStringLiteral("The connection is not open.");
        ThrowAdoError(QStringLiteral("TNyCommand::Prepare"), connection_);
    }
    const QByteArray text = TranslateSql(sql).toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(connection_.Handle(), text.constData(), static_cast<int>(text.size()), &statement_, &tail)
        != SQLITE_OK) {
        connection_.AddEngineError();
        ThrowAdoError(QStringLiteral("TNyCommand::Prepare"), connection_);
    }
    // A second statement in the text would silently never run.
    if (!statement_ || QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        connection_.Errors() << QStringLiteral("The command must hold exactly one statement.");
        ThrowAdoError(QStringLiteral("TNyCommand::Prepare"), connection_);
    }
}

TNyCommand::~TNyCommand()
{
    sqlite3_finalize(statement_);
}

int TNyCommand::Execute(std::initializer_list<QVariant> values)
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    if (static_cast<int>(values.size()) != sqlite3_bind_parameter_count(statement_)) {
        connection_.Errors() << QStringLiteral("The command has %1 values for %2 placeholders.")
                                    .arg(values.size())
                                    .arg(sqlite3_bind_parameter_count(statement_));
        ThrowAdoError(QStringLiteral("TNyCommand::Execute"), connection_);
    }
    int index = 1;
    for (const QVariant& value : values) {
        if (value.typeId() == QMetaType::QString) {
            // Empty text stays text, as a quoted '' would.
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement_, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        } else if (value.isNull()) {
            sqlite3_bind_null(statement_, index);
        } else {
            sqlite3_bind_int64(statement_, index, value.toLongLong());
        }
        ++index;
    }
    sqlite3* const db = connection_.Handle();
    const int totalBefore = sqlite3_total_changes(db);
    int rc;
    while ((rc = sqlite3_step(statement_)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        connection_.AddEngineError();
        sqlite3_reset(statement_);
        ThrowAdoError(QStringLiteral("TNyCommand::Execute"), connection_);
    }
    sqlite3_reset(statement_);
    return sqlite3_total_changes(db) != totalBefore ? sqlite3_changes(db) : 0;
}
