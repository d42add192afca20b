// What the connection, recordset, query and command ask of a database
// engine: prepared statements with values bound in order, rows read column by
// column with each column's origin, transactions and the few facts about a
// table a recordset needs to write rows back. One implementation drives the
// encrypted file (SQLCipher), one a PostgreSQL server; nothing above
// TNyConnection knows which one is in use.
//
// Failures are reported by a false or Failed result; the engine's description
// of the last one is ErrorText().
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

// One result column and where it comes from.
struct TDbColumn {
    QString name;       // as the program wrote it, where the text names it
    QString engineName; // as the engine names it, for use in SQL text
    QString table;      // base table, empty for expressions; spelled as name is
    QString origin;     // base column, empty for expressions; spelled as name is
    QString declType;   // declared type of the base column
};

class TDbStatement {
public:
    enum class TStep { Row, Done, Failed };

    virtual ~TDbStatement() = default;

    virtual int ParameterCount() const = 0;
    // 1-based. A null value binds NULL, qlonglong/int an integer, double a
    // real, QByteArray a blob, anything else its text.
    virtual void Bind(int index, const QVariant& value) = 0;
    virtual void ClearBindings() = 0;
    // Runs the statement on the first call after preparing or Reset, then
    // moves through its rows.
    virtual TStep Step() = 0;
    virtual void Reset() = 0;

    virtual int ColumnCount() const = 0;
    virtual TDbColumn Column(int index) = 0;

    // The current row's value, read by its kind: a row of a thousand
    // answers is read without a variant per cell. Each typed read is valid
    // only for a value of its kind.
    enum class TKind { Null, Integer, Real, Text, Blob };
    virtual TKind Kind(int index) const = 0;
    virtual qlonglong IntegerValue(int index) const = 0;
    virtual double RealValue(int index) const = 0;
    // A text value as the engine holds it (UTF-8), valid until the next
    // step; TextValue decodes it.
    virtual QByteArrayView TextBytes(int index) const = 0;
    QString TextValue(int index) const { return QString::fromUtf8(TextBytes(index)); }
    virtual QByteArray BlobValue(int index) const = 0;
    // The same value as a variant: null, qlonglong, double, QString or
    // QByteArray.
    QVariant Value(int index) const { return Value(index, Kind(index)); }
    // The same for a value whose kind has been asked already.
    QVariant Value(int index, TKind kind) const
    {
        switch (kind) {
        case TKind::Integer:
            return QVariant(IntegerValue(index));
        case TKind::Real:
            return QVariant(RealValue(index));
        case TKind::Text:
            return QVariant(TextValue(index));
        case TKind::Blob:
            return QVariant(BlobValue(index));
        case TKind::Null:
            break;
        }
        return QVariant();
    }

    // Rows inserted, changed or deleted by the last run; 0 for other kinds.
    virtual int Changes() const = 0;

    // Runs the statement once for each row of values (ParameterCount()
    // values a row, one after the other), as binding and stepping each row
    // would, and stops at the first failure: the rows before it stay done,
    // the failed one is undone. changes receives the rows the runs changed.
    // An engine may send many rows at once.
    virtual bool RunRows(const std::vector<QVariant>& values, int& changes)
    {
        changes = 0;
        const size_t width = static_cast<size_t>(ParameterCount());
        for (size_t first = 0; width > 0 && first + width <= values.size(); first += width) {
            Reset();
            ClearBindings();
            for (size_t i = 0; i < width; ++i)
                Bind(static_cast<int>(i + 1), values[first + i]);
            TStep step;
            while ((step = Step()) == TStep::Row) {
            }
            if (step != TStep::Done) {
                Reset();
                return false;
            }
            changes += Changes();
        }
        Reset();
        return true;
    }
};

// The primary key of a table as the recordset locates rows by it.
struct TDbTableKey {
    std::vector<QString> columns;
    // The single integer column whose value the engine generates on
    // insertion; empty when there is none.
    QString generated;
};

// Where a connection's data stands. Two equal marks taken at two moments
// mean that nothing was written to the database in between, by this
// connection or by any other: what was read at the first can be shown at
// the second without reading it again.
struct TDataMark {
    quint64 connection = 0;   // which opening of a database
    qint64 othersVersion = 0; // moves with every commit of another connection
    qint64 ownStatements = 0; // statements this connection ran that may write
    qint64 ownRows = 0;       // rows this connection changed, by any path
    bool operator==(const TDataMark& other) const
    {
        return connection == other.connection && othersVersion == other.othersVersion
            && ownStatements == other.ownStatements && ownRows == other.ownRows;
    }
    bool operator!=(const TDataMark& other) const { return !(*this == other); }
};

struct pg_conn;

class TDbEngine {
public:
    enum class TProvider { SQLCipher, PostgreSQL };

    virtual ~TDbEngine() = default;

    virtual TProvider Provider() const = 0;
    // The server's libpq connection, for raw statements beside the
    // program's (the bench's floor); nullptr on the file.
    virtual pg_conn* ServerHandle() const { return nullptr; }
    // The engine's description of the last failure.
    virtual QString ErrorText() const = 0;

    // Prepares the first statement of sql; rest, when given, receives the
    // text after it. Gives nullptr with ok set: nothing but blanks and
    // comments were left (ok true) or the text was refused (ok false).
    virtual std::unique_ptr<TDbStatement> Prepare(const QString& sql, bool& ok, QString* rest = nullptr) = 0;
    // Runs fixed statements that return no rows (transaction control).
    virtual bool Run(const QString& sql) = 0;

    virtual bool InTransaction() const = 0;
    // Transaction control for nesting level (1 for the outermost).
    virtual QString BeginSql(int level) const = 0;
    virtual QString CommitSql(int level) const = 0;

    virtual void SetBusyTimeout(int milliseconds) = 0;

    // The mark of the data as it stands now; nothing when the engine cannot
    // give one that is certain (a server, where other users write at any
    // time without this connection hearing of it) or fails to read it.
    virtual std::optional<TDataMark> DataMark() { return std::nullopt; }

    // The primary key of table; nothing when the engine cannot tell.
    virtual std::optional<TDbTableKey> TableKey(const QString& table) = 0;
    // The collation a column sorts by when the ORDER BY names none, as the
    // program names collations ("BINARY", "NOCASE", "ITALIAN"); empty when
    // it is none the program can follow.
    virtual QString ColumnCollation(const QString& table, const QString& column) = 0;

    // A table's or column's name, as a result column tells it, quoted for
    // the engine's SQL.
    virtual QString QuoteName(const QString& name) const = 0;
    // The comparison "column matches value, NULL matching NULL" ahead of a
    // placeholder: "IS" on the file.
    virtual QString NullSafeEquals() const = 0;
    // What an INSERT into a table with a generated key adds so that the
    // statement gives the key as its row ("" when the engine tells it
    // otherwise); LastInsertKey reads it.
    virtual QString ReturningKeySql(const QString& keyColumn) const = 0;
    // The key the last insertion generated: from the statement's row when
    // ReturningKeySql added one, from the engine otherwise.
    virtual std::optional<qint64> LastInsertKey(TDbStatement& insert) = 0;
    // The WHERE clause, with one placeholder for LastInsertKey, that reads
    // back the row just inserted into a table with this key; empty when the
    // row cannot be found that way.
    virtual QString InsertedRowWhere(const std::optional<TDbTableKey>& key) const = 0;
};
