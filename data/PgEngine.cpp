#include "PgEngine.h"

#include "ConnectionString.h"
#include "ServerSqlText.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>
#include <libpq-fe.h>

namespace {

// Type identifiers of the server's built-in types (pg_type.oid).
constexpr Oid kBoolOid = 16;
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kOidOid = 26;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kNumericOid = 1700;

// The server's message on one line, without its severity word: "duplicate
// key value violates unique constraint ... DETAIL: Key (name)=(x) already
// exists."
QString ServerMessage(const char* text)
{
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString trimmed = line.simplified();
        if (!trimmed.isEmpty())
            lines << trimmed;
    }
    QString message = lines.join(QLatin1Char(' '));
    for (const char* severity : {"ERROR: ", "FATAL: ", "PANIC: "}) {
        if (message.startsWith(QLatin1String(severity))) {
            message = message.mid(static_cast<qsizetype>(qstrlen(severity)));
            break;
        }
    }
    return message;
}

// A failed statement's description: the server's message, then its detail
// ("Key (name)=(Anna) already exists.").
QString ResultMessage(PGconn* conn, const PGresult* result)
{
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (!primary)
        return ServerMessage(result ? PQresultErrorMessage(result) : PQerrorMessage(conn));
    QString message = QString::fromUtf8(primary).simplified();
    if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        message += QStringLiteral(". ") + QString::fromUtf8(detail).simplified();
    return message;
}

// The program's tables and columns were created with names the server
// folds to lower case (A to Z only), which is how the catalog keeps them.
QString CatalogName(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

struct TPgColumnInfo {
    QString name;
    QString type;
};

struct TPgTable {
    QString name;
    QHash<int, TPgColumnInfo> columns; // by attribute number
};

// A value as the server receives it.
struct TPgParam {
    QByteArray data;
    Oid type = 0; // 0: the server infers it from where it stands
    bool null = false;
    bool binary = false;
};

TPgParam ToParam(const QVariant& value)
{
    TPgParam param;
    if (value.isNull() || !value.isValid()) {
        param.null = true;
        return param;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        param.data = QByteArray::number(value.toLongLong());
        param.type = kInt8Oid;
        break;
    case QMetaType::Double:
        param.data = QByteArray::number(value.toDouble(), 'g', 17);
        param.type = kFloat8Oid;
        break;
    case QMetaType::QByteArray:
        param.data = value.toByteArray();
        param.type = kByteaOid;
        param.binary = true;
        break;
    default:
        // Text stays untyped, so it may stand for a date or a number.
        param.data = value.toString().toUtf8();
        break;
    }
    return param;
}

// The server's code of a failure ("0A000"), empty when it gave none.
QByteArray SqlState(const PGresult* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? QByteArray(state) : QByteArray();
}

bool Succeeded(const PGresult* result)
{
    const ExecStatusType status = PQresultStatus(result);
    return result && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
}

// Rows inserted, changed or deleted by the statement of result.
int ChangedRows(PGresult* result)
{
    const QByteArray command = PQcmdStatus(result);
    return command.startsWith("INSERT") || command.startsWith("UPDATE") || command.startsWith("DELETE")
            || command.startsWith("MERGE")
        ? QByteArray(PQcmdTuples(result)).toInt()
        : 0;
}

// "INSERT INTO Table(Columns) VALUES " when sql is that followed by the
// placeholders $1 to $width alone, in order, in one pair of brackets; empty
// otherwise.
QByteArray ValuesInsertHead(const QByteArray& sql, int width)
{
    static const QRegularExpression shape(
        QStringLiteral("^(\\s*INSERT\\s+INTO\\s+[\\w.\"]+\\s*(\\([^()]*\\))?\\s*VALUES\\s*)(\\([^()]*\\))\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    if (width < 1)
        return QByteArray();
    const QRegularExpressionMatch match = shape.match(QString::fromUtf8(sql));
    if (!match.hasMatch())
        return QByteArray();
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    QString values = match.captured(3);
    values.remove(blanks);
    QStringList placeholders;
    for (int i = 1; i <= width; ++i)
        placeholders << QStringLiteral("$%1").arg(i);
    if (values != QLatin1Char('(') + placeholders.join(QLatin1Char(',')) + QLatin1Char(')'))
        return QByteArray();
    return match.captured(1).toUtf8();
}

// The most statements kept prepared under a name on one connection; the
// least used beyond it are given up when no transaction is open.
constexpr int kMostPrepared = 200;
// The most texts remembered as accepted by the server.
constexpr int kMostChecked = 2000;

} // namespace

// The connection shared by the engine and its statements: a statement that
// outlives the connection finds it closed instead of freed.
//
// Each text runs as a statement the server keeps prepared under a name, one
// for each text and kind of values, made the first time it runs and reused
// afterwards: a command run a thousand times with new values is parsed and
// planned once. The savepoint that guards a statement inside a transaction,
// the statement and the savepoint's release go to the server together and
// come back together, in one round trip.
//
// A transaction's BEGIN waits for the transaction's first statement and goes
// to the server with it: a deletion in a transaction of its own takes two
// round trips (BEGIN with the DELETE, then COMMIT), not three. That first
// statement needs no savepoint: when it is refused the whole transaction,
// holding nothing else, is rolled back and begins again with the next one.
struct TPgSession {
    PGconn* conn = nullptr;
    QString error;
    QHash<Oid, TPgTable> tables;
    // What the catalog said of the program's tables, by the names asked.
    QHash<QString, TDbTableKey> keys;
    QHash<QString, QString> collations;

    struct TPrepared {
        QByteArray name;
        quint64 lastUse = 0;
    };
    // By the values' types, ':' and the text.
    QHash<QByteArray, TPrepared> prepared;
    QSet<QByteArray> checked;
    // Names given up, deallocated when no transaction is open.
    QList<QByteArray> unused;
    quint64 uses = 0;
    quint64 names = 0;
    // A transaction begun whose BEGIN has not been sent yet.
    bool beginPending = false;

    ~TPgSession() { Close(); }

    void Close()
    {
        if (conn)
            PQfinish(conn);
        conn = nullptr;
        beginPending = false;
        tables.clear();
        keys.clear();
        collations.clear();
        prepared.clear();
        checked.clear();
        unused.clear();
    }

    bool RequireOpen()
    {
        if (conn)
            return true;
        error = QStringLiteral("The connection is not open.");
        return false;
    }

    bool InTransaction() const
    {
        if (!conn)
            return false;
        if (beginPending)
            return PQstatus(conn) == CONNECTION_OK;
        const PGTransactionStatusType status = PQtransactionStatus(conn);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
    }

    // Begins a transaction, to be sent with its first statement. On a
    // connection already lost, or inside a transaction, BEGIN goes at once
    // and fails or warns there as it would.
    bool Begin()
    {
        if (!RequireOpen())
            return false;
        if (beginPending || PQstatus(conn) != CONNECTION_OK || PQtransactionStatus(conn) != PQTRANS_IDLE)
            return Run("BEGIN");
        beginPending = true;
        return true;
    }

    // After requests that began the pending transaction were refused: the
    // transaction held nothing else, so it is rolled back whole and stays
    // begun, to be sent again with the next statement.
    void BeginAgain()
    {
        const PGTransactionStatusType status = PQtransactionStatus(conn);
        if (status == PQTRANS_INTRANS || status == PQTRANS_INERROR)
            Run("ROLLBACK");
        beginPending = PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) == PQTRANS_IDLE;
    }

    // Runs fixed text (one or more statements); false with the server's
    // description in error.
    bool Run(const QByteArray& sql)
    {
        if (!RequireOpen())
            return false;
        if (beginPending) {
            beginPending = false;
            // The transaction holds no statement: it ends without a word to
            // the server.
            if (sql == "COMMIT" || sql == "ROLLBACK")
                return true;
            return Run("BEGIN; " + sql);
        }
        PGresult* result = PQexec(conn, sql.constData());
        const ExecStatusType status = PQresultStatus(result);
        bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (!ok) {
            error = ResultMessage(conn, result);
        } else if (qstrcmp(PQcmdStatus(result), "ROLLBACK") == 0 && !sql.trimmed().toUpper().startsWith("ROLLBACK")) {
            // A commit of a transaction the server had already given up.
            error = QStringLiteral("The transaction was rolled back by the server.");
            ok = false;
        }
        PQclear(result);
        return ok;
    }

    // Sends the count requests send queues and reads their results, all in
    // one round trip; inside a transaction they run under a savepoint of
    // their own, so that a refusal undoes them alone and the transaction
    // goes on. results receives each request's result (nullptr for one
    // that never ran; the caller clears them). False with the description
    // of the first failure in error.
    bool RunTogether(int count, const std::function<bool()>& send, std::vector<PGresult*>& results)
    {
        results.assign(count, nullptr);
        if (!RequireOpen())
            return false;
        // The first requests of a pending transaction begin it; later ones
        // run under a savepoint.
        const bool beginning = beginPending;
        beginPending = false;
        const bool guarded = !beginning && PQtransactionStatus(conn) == PQTRANS_INTRANS;
        if (PQenterPipelineMode(conn) != 1) {
            error = ServerMessage(PQerrorMessage(conn));
            if (beginning)
                BeginAgain();
            return false;
        }
        auto sendFixed = [this](const char* sql) {
            return PQsendQueryParams(conn, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
        };
        const bool sent = (!beginning || sendFixed("BEGIN")) && (!guarded || sendFixed("SAVEPOINT nyado_statement"))
            && send() && (!guarded || sendFixed("RELEASE SAVEPOINT nyado_statement"));
        QString failure = sent ? QString() : ServerMessage(PQerrorMessage(conn));
        PQpipelineSync(conn);

        // Each request's results end with a null one; the round trip ends
        // with the result of the synchronisation.
        const int lead = beginning || guarded ? 1 : 0;
        const int requests = count + lead + (guarded ? 1 : 0);
        bool savepointTaken = !guarded;
        for (int i = 0; i < requests && PQstatus(conn) == CONNECTION_OK; ++i) {
            PGresult* first = nullptr;
            while (PGresult* result = PQgetResult(conn)) {
                if (!first)
                    first = result;
                else
                    PQclear(result);
            }
            if (failure.isEmpty() && first && !Succeeded(first) && PQresultStatus(first) != PGRES_PIPELINE_ABORTED)
                failure = ResultMessage(conn, first);
            if (i < lead) {
                savepointTaken = guarded && Succeeded(first);
                PQclear(first);
            } else if (i - lead < count) {
                results[i - lead] = first;
            } else {
                PQclear(first);
            }
        }
        while (PGresult* result = PQgetResult(conn)) {
            const bool synchronised = PQresultStatus(result) == PGRES_PIPELINE_SYNC;
            PQclear(result);
            if (synchronised)
                break;
        }
        PQexitPipelineMode(conn);
        if (PQstatus(conn) != CONNECTION_OK && failure.isEmpty())
            failure = ServerMessage(PQerrorMessage(conn));
        if (failure.isEmpty())
            return true;
        if (guarded && savepointTaken)
            Run("ROLLBACK TO SAVEPOINT nyado_statement; RELEASE SAVEPOINT nyado_statement");
        if (beginning)
            BeginAgain();
        error = failure;
        return false;
    }

    // Asks the server whether it accepts the text, once for each text.
    bool Check(const QByteArray& sql)
    {
        if (checked.contains(sql))
            return true;
        std::vector<PGresult*> results;
        const bool ok = RunTogether(
            1, [&] { return PQsendPrepare(conn, "", sql.constData(), 0, nullptr) == 1; }, results);
        PQclear(results[0]);
        if (!ok)
            return false;
        if (checked.size() >= kMostChecked)
            checked.clear();
        checked.insert(sql);
        return true;
    }

    // Runs the statement once for each row of values, preparing it first
    // for each kind of values not prepared yet, all in one round trip (see
    // RunTogether). results receives each row's result (the caller clears
    // them); on failure failedRow is the row that failed and the rows
    // before it were undone with it.
    bool RunPrepared(const QByteArray& sql, const std::vector<std::vector<TPgParam>>& rows,
                     std::vector<PGresult*>& results, size_t& failedRow)
    {
        results.assign(rows.size(), nullptr);
        failedRow = 0;
        if (!RequireOpen())
            return false;
        ForgetUnused();
        struct TRowValues {
            QByteArray key;
            std::vector<Oid> types;
            std::vector<const char*> values;
            std::vector<int> lengths;
            std::vector<int> formats;
        };
        std::vector<TRowValues> bound(rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            TRowValues& row = bound[r];
            for (const TPgParam& param : rows[r]) {
                row.types.push_back(param.type);
                row.values.push_back(param.null ? nullptr : param.data.constData());
                row.lengths.push_back(static_cast<int>(param.data.size()));
                row.formats.push_back(param.binary ? 1 : 0);
                row.key += QByteArray::number(param.type) + ',';
            }
            row.key += ':';
            row.key += sql;
        }
        struct TRequest {
            bool prepare;
            size_t row;
            QByteArray name;
        };
        for (int attempt = 0;; ++attempt) {
            std::vector<TRequest> requests;
            QHash<QByteArray, QByteArray> preparing;
            for (size_t r = 0; r < rows.size(); ++r) {
                QByteArray name;
                if (auto found = prepared.find(bound[r].key); found != prepared.end()) {
                    found->lastUse = ++uses;
                    name = found->name;
                } else if (auto soon = preparing.constFind(bound[r].key); soon != preparing.constEnd()) {
                    name = *soon;
                } else {
                    name = QByteArray("nyado_") + QByteArray::number(++names);
                    preparing.insert(bound[r].key, name);
                    requests.push_back({true, r, name});
                }
                requests.push_back({false, r, name});
            }
            std::vector<PGresult*> all;
            const bool ok = RunTogether(
                static_cast<int>(requests.size()),
                [&] {
                    for (const TRequest& request : requests) {
                        const TRowValues& row = bound[request.row];
                        const int count = static_cast<int>(row.types.size());
                        const bool sent = request.prepare
                            ? PQsendPrepare(conn, request.name.constData(), sql.constData(), count, row.types.data())
                            : PQsendQueryPrepared(conn, request.name.constData(), count, row.values.data(),
                                                  row.lengths.data(), row.formats.data(), 0);
                        if (sent != 1)
                            return false;
                    }
                    return true;
                },
                all);
            std::optional<size_t> failed;
            for (size_t i = 0; i < requests.size(); ++i) {
                // A statement prepared stays so, whatever became of its runs.
                if (requests[i].prepare && Succeeded(all[i]))
                    prepared.insert(bound[requests[i].row].key, {requests[i].name, ++uses});
                if (!failed && !Succeeded(all[i]))
                    failed = i;
            }
            bool stale = false;
            if (failed) {
                const TRequest& request = requests[*failed];
                failedRow = request.row;
                // A change of the tables (another program upgrading the
                // layout) may leave a prepared statement unable to run:
                // "cached plan must not change result type". Made again, it
                // runs once more.
                stale = !ok && attempt == 0 && !request.prepare && !preparing.contains(bound[request.row].key)
                    && SqlState(all[*failed]) == "0A000";
                if (stale)
                    unused << prepared.take(bound[request.row].key).name;
            }
            for (size_t i = 0; i < requests.size(); ++i) {
                if (!requests[i].prepare && !stale)
                    results[requests[i].row] = all[i];
                else
                    PQclear(all[i]);
            }
            if (stale)
                continue;
            if (!ok)
                return false;
            Forget(kMostPrepared);
            for (PGresult* result : results) {
                if (IsDefinition(result)) {
                    tables.clear();
                    keys.clear();
                    collations.clear();
                }
            }
            return true;
        }
    }

    // Runs one statement with its values, inside a savepoint of its own when
    // a transaction is open. Gives the result (the caller clears it), or
    // nullptr with the server's description in error.
    PGresult* Execute(const QByteArray& sql, const std::vector<TPgParam>& params)
    {
        std::vector<PGresult*> results;
        size_t failedRow = 0;
        if (RunPrepared(sql, {params}, results, failedRow))
            return results.front();
        PQclear(results.front());
        return nullptr;
    }

    // Runs the statement once for each row of values, a few hundred rows a
    // round trip, and stops at the first failure: the rows before it stay
    // done. changes receives the rows changed.
    bool ExecuteRows(const QByteArray& sql, const std::vector<std::vector<TPgParam>>& rows, int& changes)
    {
        changes = 0;
        const int width = rows.empty() ? 0 : static_cast<int>(rows.front().size());
        const QByteArray head = ValuesInsertHead(sql, width);
        // A few hundred rows a round trip: the round trips are already few,
        // the values and results held at once stay small, and a refusal
        // runs again at most that many rows.
        constexpr size_t kRowsTogether = 250;
        for (size_t first = 0; first < rows.size(); first += kRowsTogether) {
            const auto end = rows.begin() + static_cast<std::ptrdiff_t>(std::min(rows.size(), first + kRowsTogether));
            std::vector<std::vector<TPgParam>> chunk(rows.begin() + static_cast<std::ptrdiff_t>(first), end);
            // An INSERT of one row of values becomes one INSERT of all the
            // chunk's rows: the server runs one statement instead of
            // hundreds. Refused, it is undone whole, and the rows run one by
            // one to stop at the refused row as they would alone.
            if (!head.isEmpty() && chunk.size() > 1 && RunInsertTogether(head, width, chunk, changes))
                continue;
            if (!RunRowsTogether(sql, std::move(chunk), changes))
                return false;
        }
        return true;
    }

    bool RunInsertTogether(const QByteArray& head, int width, const std::vector<std::vector<TPgParam>>& rows,
                           int& changes)
    {
        QByteArray sql = head;
        std::vector<TPgParam> values;
        values.reserve(rows.size() * static_cast<size_t>(width));
        int number = 0;
        for (const std::vector<TPgParam>& row : rows) {
            sql += number == 0 ? "(" : ", (";
            for (int c = 0; c < width; ++c)
                sql += (c > 0 ? ", $" : "$") + QByteArray::number(++number);
            sql += ')';
            values.insert(values.end(), row.begin(), row.end());
        }
        std::vector<PGresult*> results;
        size_t failedRow = 0;
        const bool ok = RunPrepared(sql, {values}, results, failedRow);
        if (ok)
            changes += ChangedRows(results.front());
        PQclear(results.front());
        return ok;
    }

    bool RunRowsTogether(const QByteArray& sql, std::vector<std::vector<TPgParam>> rows, int& changes)
    {
        std::vector<PGresult*> results;
        size_t failedRow = 0;
        const bool ok = RunPrepared(sql, rows, results, failedRow);
        for (PGresult* result : results) {
            if (ok)
                changes += ChangedRows(result);
            PQclear(result);
        }
        if (ok)
            return true;
        // The rows before the failed one were undone with it: they run again.
        const QString failure = error;
        if (failedRow > 0 && failedRow < rows.size()) {
            rows.resize(failedRow);
            if (!RunRowsTogether(sql, std::move(rows), changes))
                return false;
        }
        error = failure;
        return false;
    }

    // Gives up the least used prepared statements beyond most.
    void Forget(int most)
    {
        if (prepared.size() <= most)
            return;
        std::vector<std::pair<quint64, QByteArray>> byUse;
        for (auto it = prepared.cbegin(); it != prepared.cend(); ++it)
            byUse.emplace_back(it->lastUse, it.key());
        std::sort(byUse.begin(), byUse.end());
        for (size_t i = 0; i < byUse.size() - static_cast<size_t>(most / 2); ++i)
            unused << prepared.take(byUse[i].second).name;
    }

    // Deallocates the statements given up, when no transaction is open (a
    // failure there would end it).
    void ForgetUnused()
    {
        if (unused.isEmpty() || PQtransactionStatus(conn) != PQTRANS_IDLE)
            return;
        QByteArray sql;
        for (const QByteArray& name : unused)
            sql += "DEALLOCATE " + name + ";";
        unused.clear();
        PQclear(PQexec(conn, sql.constData()));
    }

    static bool IsDefinition(const PGresult* result)
    {
        const char* command = PQcmdStatus(const_cast<PGresult*>(result));
        return qstrncmp(command, "CREATE", 6) == 0 || qstrncmp(command, "ALTER", 5) == 0
            || qstrncmp(command, "DROP", 4) == 0;
    }

    // The table with this identifier, read from the catalog once.
    const TPgTable* Table(Oid oid, int column)
    {
        auto found = tables.constFind(oid);
        // A column added since the table was read is read with it again.
        if (found != tables.constEnd() && found->columns.contains(column))
            return &*found;
        const std::vector<TPgParam> params = {TPgParam{QByteArray::number(oid), kOidOid, false, false}};
        PGresult* result = Execute("SELECT c.relname, a.attnum, a.attname, format_type(a.atttypid, a.atttypmod) "
                                   "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
                                   "WHERE c.oid = $1 AND a.attnum > 0 AND NOT a.attisdropped",
                                   params);
        if (!result)
            return nullptr;
        TPgTable table;
        for (int row = 0; row < PQntuples(result); ++row) {
            table.name = QString::fromUtf8(PQgetvalue(result, row, 0));
            table.columns.insert(QByteArray(PQgetvalue(result, row, 1)).toInt(),
                                 {QString::fromUtf8(PQgetvalue(result, row, 2)),
                                  QString::fromUtf8(PQgetvalue(result, row, 3))});
        }
        PQclear(result);
        if (table.name.isEmpty())
            return nullptr;
        return &*tables.insert(oid, table);
    }
};

namespace {

class TPgStatement : public TDbStatement {
public:
    TPgStatement(std::shared_ptr<TPgSession> session, QByteArray sql, int parameters, QHash<QString, QString> names)
        : session_(std::move(session))
        , sql_(std::move(sql))
        , names_(std::move(names))
        , values_(parameters)
    {
    }
    ~TPgStatement() override { PQclear(result_); }

    int ParameterCount() const override { return static_cast<int>(values_.size()); }

    void Bind(int index, const QVariant& value) override
    {
        if (index >= 1 && index <= static_cast<int>(values_.size()))
            values_[index - 1] = value;
    }

    void ClearBindings() override
    {
        for (QVariant& value : values_)
            value = QVariant();
    }

    TStep Step() override
    {
        if (!ran_) {
            Reset();
            std::vector<TPgParam> params;
            for (const QVariant& value : values_)
                params.push_back(ToParam(value));
            result_ = session_->Execute(sql_, params);
            if (!result_)
                return TStep::Failed;
            ran_ = true;
            changes_ = ChangedRows(result_);
        }
        if (row_ + 1 < PQntuples(result_)) {
            ++row_;
            return TStep::Row;
        }
        row_ = PQntuples(result_);
        return TStep::Done;
    }

    void Reset() override
    {
        PQclear(result_);
        result_ = nullptr;
        ran_ = false;
        row_ = -1;
    }

    int ColumnCount() const override { return result_ ? PQnfields(result_) : 0; }

    TDbColumn Column(int index) override
    {
        TDbColumn column;
        if (!result_ || index < 0 || index >= PQnfields(result_))
            return column;
        column.engineName = QString::fromUtf8(PQfname(result_, index));
        column.name = names_.value(column.engineName, column.engineName);
        const Oid table = PQftable(result_, index);
        const int number = PQftablecol(result_, index);
        if (table != InvalidOid && number > 0) {
            if (const TPgTable* info = session_->Table(table, number)) {
                column.table = names_.value(info->name, info->name);
                column.origin = names_.value(info->columns.value(number).name, info->columns.value(number).name);
                column.declType = info->columns.value(number).type;
            }
        }
        return column;
    }

    TKind Kind(int index) const override
    {
        if (!result_ || row_ < 0 || row_ >= PQntuples(result_) || PQgetisnull(result_, row_, index))
            return TKind::Null;
        switch (PQftype(result_, index)) {
        case kBoolOid:
        case kInt2Oid:
        case kInt4Oid:
        case kInt8Oid:
        case kOidOid:
            return TKind::Integer;
        case kFloat4Oid:
        case kFloat8Oid:
        case kNumericOid:
            return TKind::Real;
        case kByteaOid:
            return TKind::Blob;
        default:
            return TKind::Text;
        }
    }

    qlonglong IntegerValue(int index) const override
    {
        const char* text = PQgetvalue(result_, row_, index);
        if (PQftype(result_, index) == kBoolOid)
            return text[0] == 't' ? 1 : 0;
        // The server writes an integer as bare decimal digits; read in place,
        // without a copy, as a compilation's thousands of answers are.
        const char* end = text + PQgetlength(result_, row_, index);
        qlonglong value = 0;
        const std::from_chars_result read = std::from_chars(text, end, value);
        return read.ec == std::errc() && read.ptr == end ? value : 0;
    }

    double RealValue(int index) const override
    {
        return QByteArrayView(PQgetvalue(result_, row_, index), PQgetlength(result_, row_, index)).toDouble();
    }

    QByteArrayView TextBytes(int index) const override
    {
        return QByteArrayView(PQgetvalue(result_, row_, index), PQgetlength(result_, row_, index));
    }

    QByteArray BlobValue(int index) const override
    {
        size_t size = 0;
        unsigned char* bytes =
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(result_, row_, index)), &size);
        QByteArray data(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
        PQfreemem(bytes);
        return data;
    }

    int Changes() const override { return changes_; }

    bool RunRows(const std::vector<QVariant>& values, int& changes) override
    {
        Reset();
        const size_t width = values_.size();
        std::vector<std::vector<TPgParam>> rows;
        for (size_t first = 0; width > 0 && first + width <= values.size(); first += width) {
            std::vector<TPgParam> row;
            for (size_t i = 0; i < width; ++i)
                row.push_back(ToParam(values[first + i]));
            rows.push_back(std::move(row));
        }
        return session_->ExecuteRows(sql_, rows, changes);
    }

private:
    std::shared_ptr<TPgSession> session_;
    QByteArray sql_;
    QHash<QString, QString> names_;
    std::vector<QVariant> values_;
    PGresult* result_ = nullptr;
    bool ran_ = false;
    int row_ = -1;
    int changes_ = 0;
};

} // namespace

TPgEngine::TPgEngine(std::shared_ptr<TPgSession> session)
    : session_(std::move(session))
{
}

TPgEngine::~TPgEngine()
{
    // Statements still held by someone find the connection closed.
    session_->Close();
}

std::unique_ptr<TPgEngine> TPgEngine::Open(const TConnectionSettings& settings, int busyTimeoutMs, QString& error,
                                           bool& passwordRefused)
{
    passwordRefused = false;
    // Dates read and written as the file keeps them ('YYYY-MM-DD
    // HH:MM:SS'); a statement waiting for rows another educator is changing
    // waits as long as on the file, then fails.
    const QByteArray options = QStringLiteral("-c DateStyle=ISO,YMD -c lock_timeout=%1").arg(busyTimeoutMs).toUtf8();
    const QByteArray sslMode = ServerSslMode(settings).toUtf8();
    std::vector<QByteArray> storage;
    std::vector<const char*> keys;
    std::vector<const char*> values;
    auto add = [&](const char* key, const QString& value) {
        // An empty value is left to libpq's defaults and environment.
        if (value.isEmpty())
            return;
        storage.push_back(value.toUtf8());
        keys.push_back(key);
        values.push_back(storage.back().constData());
    };
    storage.reserve(16);
    add("host", settings.host);
    add("port", settings.port);
    add("dbname", settings.database);
    add("user", settings.user);
    add("password", settings.password);
    add("sslmode", QString::fromUtf8(sslMode));
    add("gssencmode", ServerGssEncMode(settings));
    add("client_encoding", QStringLiteral("UTF8"));
    add("application_name", QStringLiteral("Baltero"));
    add("connect_timeout", QStringLiteral("15"));
    add("options", QString::fromUtf8(options));
    keys.push_back(nullptr);
    values.push_back(nullptr);

    auto session = std::make_shared<TPgSession>();
    session->conn = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!session->conn) {
        error = QStringLiteral("Out of memory.");
        return nullptr;
    }
    if (PQstatus(session->conn) != CONNECTION_OK) {
        error = ServerMessage(PQerrorMessage(session->conn));
        passwordRefused = PQconnectionNeedsPassword(session->conn)
            || error.contains(QLatin1String("password authentication failed"));
        return nullptr;
    }
    return std::unique_ptr<TPgEngine>(new TPgEngine(std::move(session)));
}

pg_conn* TPgEngine::Handle() const
{
    return session_->conn;
}

QString TPgEngine::ErrorText() const
{
    return session_->error;
}

std::unique_ptr<TDbStatement> TPgEngine::Prepare(const QString& sql, bool& ok, QString* rest)
{
    const qsizetype end = FirstStatementEnd(sql);
    if (rest)
        *rest = sql.mid(end);
    const QString first = sql.left(end);
    ok = true;
    if (IsBlankSql(first))
        return nullptr;
    int parameters = 0;
    const QByteArray text = NumberPlaceholders(first, parameters).toUtf8();
    // Checked by the server: a text it refuses fails here, not when it runs.
    if (!session_->RequireOpen() || !session_->Check(text)) {
        ok = false;
        return nullptr;
    }
    return std::make_unique<TPgStatement>(session_, text, parameters, WrittenNames(first));
}

bool TPgEngine::Run(const QString& sql)
{
    if (sql == BeginSql(1))
        return session_->Begin();
    return session_->Run(sql.toUtf8());
}

bool TPgEngine::InTransaction() const
{
    return session_->InTransaction();
}

QString TPgEngine::BeginSql(int level) const
{
    return level == 1 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT nyado_%1").arg(level);
}

QString TPgEngine::CommitSql(int level) const
{
    return level == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT nyado_%1").arg(level);
}

void TPgEngine::SetBusyTimeout(int milliseconds)
{
    if (session_->conn)
        session_->Run(QStringLiteral("SET lock_timeout = %1").arg(milliseconds).toUtf8());
}

std::optional<TDbTableKey> TPgEngine::TableKey(const QString& table)
{
    const QString name = CatalogName(table);
    if (auto known = session_->keys.constFind(name); known != session_->keys.constEnd())
        return *known;
    const std::vector<TPgParam> params = {ToParam(name)};
    PGresult* result = session_->Execute(
        "SELECT a.attname, a.attidentity <> '' OR EXISTS (SELECT 1 FROM pg_catalog.pg_attrdef d "
        "WHERE d.adrelid = c.oid AND d.adnum = a.attnum AND pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%') "
        "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_index i ON i.indrelid = c.oid AND i.indisprimary "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey) "
        "WHERE c.relname = $1 AND pg_catalog.pg_table_is_visible(c.oid) "
        "ORDER BY array_position(i.indkey::int2[], a.attnum)",
        params);
    if (!result)
        return std::nullopt;
    TDbTableKey key;
    bool generated = false;
    for (int row = 0; row < PQntuples(result); ++row) {
        key.columns.push_back(QString::fromUtf8(PQgetvalue(result, row, 0)));
        generated = PQgetvalue(result, row, 1)[0] == 't';
    }
    PQclear(result);
    if (key.columns.size() == 1 && generated)
        key.generated = key.columns.front();
    session_->keys.insert(name, key);
    return key;
}

QString TPgEngine::ColumnCollation(const QString& table, const QString& column)
{
    const QString name = CatalogName(table) + QLatin1Char('.') + CatalogName(column);
    if (auto known = session_->collations.constFind(name); known != session_->collations.constEnd())
        return *known;
    const std::vector<TPgParam> params = {ToParam(CatalogName(table)), ToParam(CatalogName(column))};
    PGresult* result = session_->Execute(
        "SELECT a.attcollation = 0, co.collname FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
        "LEFT JOIN pg_catalog.pg_collation co ON co.oid = a.attcollation "
        "WHERE c.relname = $1 AND a.attname = $2 AND pg_catalog.pg_table_is_visible(c.oid)",
        params);
    if (!result)
        return QString();
    QString collation;
    if (PQntuples(result) == 1) {
        const QString name = QString::fromUtf8(PQgetvalue(result, 0, 1));
        // Numbers and dates sort by value, as the file sorts them; text in
        // "C" byte by byte. The server's other collations are its own.
        if (PQgetvalue(result, 0, 0)[0] == 't' || name == QLatin1String("C") || name == QLatin1String("POSIX"))
            collation = QStringLiteral("BINARY");
        else if (name.compare(QLatin1String("italian"), Qt::CaseInsensitive) == 0)
            collation = QStringLiteral("ITALIAN");
    }
    PQclear(result);
    session_->collations.insert(name, collation);
    return collation;
}

QString TPgEngine::QuoteName(const QString& name) const
{
    return QuoteIdentifier(CatalogName(name));
}

QString TPgEngine::ReturningKeySql(const QString& keyColumn) const
{
    return QStringLiteral(" RETURNING ") + QuoteIdentifier(keyColumn);
}

std::optional<qint64> TPgEngine::LastInsertKey(TDbStatement& insert)
{
    if (insert.ColumnCount() < 1)
        return std::nullopt;
    const QVariant key = insert.Value(0);
    if (key.isNull())
        return std::nullopt;
    return key.toLongLong();
}

QString TPgEngine::InsertedRowWhere(const std::optional<TDbTableKey>& key) const
{
    if (!key || key->generated.isEmpty())
        return QString();
    return QStringLiteral(" WHERE ") + QuoteIdentifier(key->generated) + QStringLiteral(" = ?");
}

// The module's entry point, as the data layer finds it.
#include "PgEngineModule.h"

extern "C" Q_DECL_EXPORT TDbEngine* BalteroOpenPgEngine(const TConnectionSettings* settings, int busyTimeoutMs,
                                                        QString* error, bool* passwordRefused)
{
    return TPgEngine::Open(*settings, busyTimeoutMs, *error, *passwordRefused).release();
}
