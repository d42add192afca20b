#include "NyRecordset.h"

#include "Exception.h"
#include "NameText.h"
#include "NyConnection.h"
#include "Regional.h"
#include "SqlOrder.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

QString FieldOperation(const char* operation, const QString& name)
{
    return QLatin1String("TNyRecordset::") + QLatin1String(operation) + QLatin1Char('[') + name + QLatin1Char(']');
}

QString Operation(const char* operation)
{
    return QLatin1String("TNyRecordset::") + QLatin1String(operation);
}

// Names compared as the engine compares them, regardless of letter case.
// Column names are almost always plain ASCII, where folding is a matter of
// A-Z alone; Qt's full Unicode folding, many times slower, is kept for the
// rest. A record set's field is looked up by name on every read. (Named
// apart from the names' SameName of NameText.h, which would otherwise be
// chosen for two QStrings and normalise and fold both on every read.)
bool SameColumnName(QStringView a, QStringView b)
{
    const qsizetype common = a.size() < b.size() ? a.size() : b.size();
    for (qsizetype i = 0; i < common; ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80)
            return a.compare(b, Qt::CaseInsensitive) == 0;
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return false;
    }
    if (a.size() == b.size())
        return true;
    // Only a character outside ASCII could fold into something else.
    const QStringView rest = a.size() > b.size() ? a.mid(common) : b.mid(common);
    for (const QChar c : rest)
        if (c.unicode() >= 0x80)
            return a.compare(b, Qt::CaseInsensitive) == 0;
    return false;
}

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The values of a SELECT's rows as variants. A long list repeats the same
// names (and often the same dates) row after row: each distinct text of a
// column is decoded and held once and shared by the rows that hold it, for as
// long as the column repeats itself enough to pay for the lookup.
class TRowReader {
public:
    TRowReader(TDbStatement& statement, int columns)
        : statement_(statement)
        , columns_(static_cast<size_t>(columns))
    {
    }

    QVariant Value(int index)
    {
        const TDbStatement::TKind kind = statement_.Kind(index);
        if (kind != TDbStatement::TKind::Text)
            return statement_.Value(index, kind);
        TColumn& column = columns_[static_cast<size_t>(index)];
        const QByteArrayView bytes = statement_.TextBytes(index);
        if (column.unshared)
            return QString::fromUtf8(bytes);
        ++column.reads;
        // Looked up without copying the engine's bytes.
        const QByteArray key = QByteArray::fromRawData(bytes.data(), bytes.size());
        if (const auto found = column.texts.constFind(key); found != column.texts.cend())
            return *found;
        QString text = QString::fromUtf8(bytes);
        if (column.texts.size() >= kMostShared && column.texts.size() * 2 >= column.reads) {
            // Mostly distinct texts (notes, descriptions): decoded one by one.
            column.unshared = true;
            column.texts = {};
            return text;
        }
        column.texts.insert(QByteArray(bytes.data(), bytes.size()), text);
        return text;
    }

private:
    // Past this many distinct texts, a column where most rows differ
    // stops being shared.
    static constexpr qsizetype kMostShared = 256;
    struct TColumn {
        QHash<QByteArray, QString> texts;
        qsizetype reads = 0;
        bool unshared = false;
    };
    TDbStatement& statement_;
    std::vector<TColumn> columns_;
};

// ADO reports a null value and an empty text alike with an actual size of 0.
bool IsEmptyValue(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return true;
    // Looked at in place: every cell of every list is asked.
    if (value.typeId() == QMetaType::QString)
        return static_cast<const QString*>(value.constData())->isEmpty();
    if (value.typeId() == QMetaType::QByteArray)
        return static_cast<const QByteArray*>(value.constData())->isEmpty();
    return false;
}

bool IsNumber(const QVariant& value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
}

// Prepares, binds and runs one statement; on failure the engine's description
// goes to the connection's errors and nullptr is returned. The statement
// stays on its first row, if any.
std::unique_ptr<TDbStatement> RunStatement(TNyConnection& connection, const QString& sql,
                                           const std::vector<QVariant>& values)
{
    TDbEngine* engine = connection.Engine();
    bool ok = false;
    std::unique_ptr<TDbStatement> stmt = engine->Prepare(sql, ok);
    if (!ok || !stmt) {
        connection.AddEngineError();
        return nullptr;
    }
    for (size_t i = 0; i < values.size(); ++i)
        stmt->Bind(static_cast<int>(i) + 1, values[i]);
    if (stmt->Step() == TDbStatement::TStep::Failed) {
        connection.AddEngineError();
        return nullptr;
    }
    return stmt;
}

} // namespace

QString TNyRecordset::TableName(const QString& name) const
{
    return connection_.Engine()->QuoteName(name);
}

TNyRecordset::TNyRecordset(TNyConnection& connection)
    : connection_(connection)
{
}

TNyRecordset::~TNyRecordset()
{
    Close();
}

void TNyRecordset::RequireOpen(const char* operation)
{
    if (!open_) {
        connection_.Errors() << QStringLiteral("Operation is not allowed when the object is closed.");
        ThrowAdoError(Operation(operation), connection_);
    }
}

void TNyRecordset::Open(const QString& sql)
{
    const QString operation = Operation("Open");
    if (open_) {
        connection_.Errors() << QStringLiteral("Operation is not allowed when the object is open.");
        ThrowAdoError(operation, connection_);
    }
    TDbEngine* engine = connection_.Engine();
    if (!engine) {
        connection_.Errors() << QStringLiteral("The connection is not open.");
        ThrowAdoError(operation, connection_);
    }
    const QString text = TranslateSql(sql);
    QString tail;
    bool ok = false;
    std::unique_ptr<TDbStatement> stmt = engine->Prepare(text, ok, &tail);
    if (!ok) {
        connection_.AddEngineError();
        ThrowAdoError(operation, connection_);
    }
    // A second statement would be silently left out: refuse the text.
    if (!tail.isEmpty()) {
        bool nextOk = false;
        const std::unique_ptr<TDbStatement> next = engine->Prepare(tail, nextOk);
        if (!nextOk || next) {
            connection_.Errors() << QStringLiteral("Characters found after end of SQL statement.");
            ThrowAdoError(operation, connection_);
        }
    }
    std::vector<Column> columns;
    std::vector<std::vector<QVariant>> rows;
    QStringList engineNames;
    // The first step runs the statement; a server describes its columns
    // only then.
    TDbStatement::TStep step = stmt ? stmt->Step() : TDbStatement::TStep::Done;
    const int count = stmt ? stmt->ColumnCount() : 0;
    for (int i = 0; i < count; ++i) {
        const TDbColumn found = stmt->Column(i);
        Column column;
        column.name = found.name;
        engineNames << found.engineName;
        column.table = found.table;
        column.origin = found.origin;
        column.declType = found.declType;
        // The engine names some columns of joins "Table.Column" or
        // "Column:1"; such a column is known by its own name, as it is
        // everywhere else. An alias ("AS") is kept as written.
        if (!column.origin.isEmpty()
            && (column.name.compare(column.table + QLatin1Char('.') + column.origin, Qt::CaseInsensitive) == 0
                || (column.name.startsWith(column.origin + QLatin1Char(':'), Qt::CaseInsensitive)
                    && column.name.mid(column.origin.size() + 1).toInt() > 0)))
            column.name = column.origin;
        column.isDateTime = column.declType.contains(QLatin1String("DATE"), Qt::CaseInsensitive)
            || column.declType.contains(QLatin1String("TIME"), Qt::CaseInsensitive);
        columns.push_back(column);
    }
    if (stmt) {
        TRowReader reader(*stmt, count);
        for (; step == TDbStatement::TStep::Row; step = stmt->Step()) {
            std::vector<QVariant> row;
            row.reserve(count);
            for (int i = 0; i < count; ++i)
                row.push_back(reader.Value(i));
            rows.push_back(std::move(row));
        }
        if (step != TDbStatement::TStep::Done) {
            connection_.AddEngineError();
            ThrowAdoError(operation, connection_);
        }
    }

    columns_ = std::move(columns);
    rows_ = std::move(rows);
    engineNames_ = std::move(engineNames);
    sql_ = text;
    orderLoaded_ = false;
    current_ = 0;
    currentDeleted_ = false;
    pending_ = Pending::None;
    writeTable_.clear();
    for (const Column& column : columns_) {
        if (!column.table.isEmpty()) {
            writeTable_ = column.table;
            break;
        }
    }
    keysLoaded_ = false;
    tableKey_.reset();
    open_ = true;
}

void TNyRecordset::Close()
{
    open_ = false;
    columns_.clear();
    rows_.clear();
    original_.clear();
    changed_.clear();
    pending_ = Pending::None;
    current_ = 0;
    currentDeleted_ = false;
}

bool TNyRecordset::HasCurrentRow() const
{
    return open_ && !currentDeleted_ && current_ >= 0 && current_ < static_cast<int>(rows_.size());
}

void TNyRecordset::FlushPending(const char* operation)
{
    if (pending_ == Pending::None)
        return;
    WritePending();
    // Leaving the row with its change unwritten would lose it silently, and
    // staying put without a word would make a walk to Eof loop for ever.
    if (pending_ != Pending::None)
        ThrowAdoError(Operation(operation), connection_);
}

bool TNyRecordset::Bof()
{
    RequireOpen("Bof");
    return rows_.empty() || current_ < 0;
}

bool TNyRecordset::Eof()
{
    RequireOpen("Eof");
    return rows_.empty() || current_ >= static_cast<int>(rows_.size());
}

void TNyRecordset::MoveFirst()
{
    RequireOpen("MoveFirst");
    FlushPending("MoveFirst");
    current_ = 0;
    currentDeleted_ = false;
}

void TNyRecordset::MoveNext()
{
    RequireOpen("MoveNext");
    FlushPending("MoveNext");
    if (currentDeleted_) {
        // The deleted row left the copy, so the row after it already sits
        // at the current index.
        currentDeleted_ = false;
        return;
    }
    // Past the last row the move is refused and the recordset stays at its end.
    if (current_ < static_cast<int>(rows_.size()))
        ++current_;
}

int TNyRecordset::RecordCount()
{
    RequireOpen("RecordCount");
    return static_cast<int>(rows_.size());
}

int TNyRecordset::GetAbsolutePosition()
{
    RequireOpen("GetAbsolutePosition");
    if (rows_.empty() || currentDeleted_)
        return -1;
    if (current_ >= static_cast<int>(rows_.size()))
        return -3;
    return current_ + 1;
}

void TNyRecordset::SetAbsolutePosition(int position)
{
    if (!open_ || position < 1 || position > static_cast<int>(rows_.size()))
        return;
    FlushPending("SetAbsolutePosition");
    current_ = position - 1;
    currentDeleted_ = false;
}

int TNyRecordset::ColumnIndex(const QString& name) const
{
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (SameColumnName(columns_[i].name, name))
            return static_cast<int>(i);
    }
    // "Table.Column" names a column by its origin, so two result columns that
    // share a name (Children.Name, Teachers.Name) can be told apart.
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot > 0) {
        const QStringView table = QStringView(name).left(dot);
        const QStringView origin = QStringView(name).mid(dot + 1);
        for (size_t i = 0; i < columns_.size(); ++i) {
            if (SameColumnName(columns_[i].table, table) && SameColumnName(columns_[i].origin, origin))
                return static_cast<int>(i);
        }
    }
    return -1;
}

int TNyRecordset::FieldIndex(const QString& name) const
{
    return ColumnIndex(name);
}

QString TNyRecordset::GetFieldAsString(const QString& name)
{
    return FieldText(ColumnIndex(name), name);
}

QString TNyRecordset::GetFieldAsString(int index)
{
    const bool known = index >= 0 && index < static_cast<int>(columns_.size());
    return FieldText(known ? index : -1, known ? columns_[index].name : QString::number(index));
}

QString TNyRecordset::FieldText(int index, const QString& name)
{
    if (index < 0 || !HasCurrentRow())
        ThrowAdoError(FieldOperation("GetFieldAsString", name), connection_);
    return ValueText(rows_[current_][index], columns_[index].isDateTime);
}

const QVariant& TNyRecordset::FieldValue(int index)
{
    const bool known = index >= 0 && index < static_cast<int>(columns_.size());
    if (!known || !HasCurrentRow())
        ThrowAdoError(FieldOperation("GetFieldAsString", known ? columns_[index].name : QString::number(index)),
                      connection_);
    return rows_[current_][index];
}

bool TNyRecordset::FieldIsDateTime(int index) const
{
    return index >= 0 && index < static_cast<int>(columns_.size()) && columns_[index].isDateTime;
}

QString TNyRecordset::ValueText(const QVariant& value, bool dateTime)
{
    if (IsEmptyValue(value))
        return QString();
    if (dateTime) {
        if (IsNumber(value))
            return FormatDateTimeShort(value.toDouble());
        if (const auto stored = DateTimeFromStorageText(value.toString()))
            return FormatDateTimeShort(*stored);
    }
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

int TNyRecordset::GetFieldAsInteger(const QString& name)
{
    const int index = ColumnIndex(name);
    if (index < 0 || !HasCurrentRow())
        ThrowAdoError(FieldOperation("GetFieldAsInteger", name), connection_);
    const QVariant& value = rows_[current_][index];
    if (IsEmptyValue(value))
        return 0;
    double number = 0.0;
    if (value.typeId() == QMetaType::LongLong)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value.toLongLong()));
    if (value.typeId() == QMetaType::Double) {
        number = value.toDouble();
    } else {
        const QString text = value.toString().trimmed();
        bool ok = false;
        const qlonglong integer = text.toLongLong(&ok);
        if (ok)
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(integer));
        if (const auto dateTime = DateTimeFromStorageText(text))
            number = *dateTime;
        else
            number = text.toDouble(&ok);
    }
    if (!std::isfinite(number) || std::fabs(number) > 2147483647.0)
        return 0;
    return static_cast<int>(std::llround(number));
}

TDateTime TNyRecordset::GetFieldAsDateTime(const QString& name)
{
    const int index = ColumnIndex(name);
    if (index < 0 || !HasCurrentRow())
        ThrowAdoError(FieldOperation("GetFieldAsDateTime", name), connection_);
    const QVariant& value = rows_[current_][index];
    if (IsEmptyValue(value))
        return 0.0;
    if (IsNumber(value))
        return value.toDouble();
    if (const auto dateTime = DateTimeFromStorageText(value.toString()))
        return *dateTime;
    return 0.0;
}

void TNyRecordset::AssignField(const char* operation, const QString& name, const QVariant& value)
{
    const int index = ColumnIndex(name);
    if (index < 0 || !HasCurrentRow())
        ThrowAdoError(FieldOperation(operation, name), connection_);
    if (columns_[index].table.isEmpty() || columns_[index].table.compare(writeTable_, Qt::CaseInsensitive) != 0) {
        connection_.Errors() << QStringLiteral("The column '%1' cannot be updated.").arg(name);
        ThrowAdoError(FieldOperation(operation, name), connection_);
    }
    if (pending_ == Pending::None) {
        pending_ = Pending::Edit;
        original_ = rows_[current_];
        changed_.assign(columns_.size(), false);
    }
    rows_[current_][index] = value;
    changed_[index] = true;
}

void TNyRecordset::SetField(const QString& name, const QString& value)
{
    AssignField("SetField", name, QVariant(value));
}

void TNyRecordset::SetField(const QString& name, int value)
{
    AssignField("SetField", name, QVariant(static_cast<qlonglong>(value)));
}

void TNyRecordset::SetField(const QString& name, TDateTime value)
{
    AssignField("SetField", name, QVariant(DateTimeToStorageText(value)));
}

void TNyRecordset::SetFieldNull(const QString& name)
{
    AssignField("SetField", name, QVariant());
}

void TNyRecordset::AddNew()
{
    RequireOpen("AddNew");
    // Were a refused change of the current row left pending, the fields set
    // for the new row would be written over that existing row.
    FlushPending("AddNew");
    currentDeleted_ = false;
    positionBeforeAdd_ = current_;
    rows_.emplace_back(columns_.size());
    current_ = static_cast<int>(rows_.size()) - 1;
    pending_ = Pending::Add;
    original_.clear();
    changed_.assign(columns_.size(), false);
}

void TNyRecordset::Update()
{
    RequireOpen("Update");
    if (pending_ != Pending::None)
        WritePending();
    if (!connection_.Errors().isEmpty())
        ThrowAdoError(Operation("Update"), connection_);
}

void TNyRecordset::CancelUpdate()
{
    RequireOpen("CancelUpdate");
    DropPending();
    if (!connection_.Errors().isEmpty())
        ThrowAdoError(Operation("CancelUpdate"), connection_);
}

void TNyRecordset::DropPending()
{
    if (pending_ == Pending::Add) {
        rows_.erase(rows_.begin() + current_);
        current_ = positionBeforeAdd_;
    } else if (pending_ == Pending::Edit) {
        rows_[current_] = original_;
    }
    pending_ = Pending::None;
    original_.clear();
    changed_.clear();
}

void TNyRecordset::Delete()
{
    RequireOpen("Delete");
    if (pending_ == Pending::Add) {
        DropPending();
        return;
    }
    if (!HasCurrentRow()) {
        connection_.Errors() << QStringLiteral("Either BOF or EOF is True, or the current record has been deleted.");
        return;
    }
    DropPending();
    QString where;
    std::vector<QVariant> values;
    if (!LocateRow(rows_[current_], where, values))
        return;
    const auto deletion = RunStatement(connection_, QStringLiteral("DELETE FROM ") + TableName(writeTable_) + where, values);
    if (!deletion)
        return;
    if (deletion->Changes() == 0) {
        connection_.Errors() << QStringLiteral("Row cannot be located for deletion.");
        return;
    }
    rows_.erase(rows_.begin() + current_);
    currentDeleted_ = true;
}

bool TNyRecordset::CurrentRowStored()
{
    RequireOpen("CurrentRowStored");
    if (!HasCurrentRow() || pending_ == Pending::Add) {
        connection_.Errors() << QStringLiteral("Either BOF or EOF is True, or the current record has been deleted.");
        ThrowAdoError(Operation("CurrentRowStored"), connection_);
    }
    QString where;
    std::vector<QVariant> keyValues;
    if (!LocateRow(pending_ == Pending::Edit ? original_ : rows_[current_], where, keyValues))
        ThrowAdoError(Operation("CurrentRowStored"), connection_);
    const auto count = RunStatement(connection_, QStringLiteral("SELECT COUNT(*) FROM ") + TableName(writeTable_) + where,
                                    keyValues);
    if (!count)
        ThrowAdoError(Operation("CurrentRowStored"), connection_);
    return count->Value(0).toLongLong() > 0;
}

bool TNyRecordset::LocateRow(const std::vector<QVariant>& row, QString& where, std::vector<QVariant>& values)
{
    if (writeTable_.isEmpty() || !LoadKeyColumns()) {
        connection_.Errors() << QStringLiteral("The recordset cannot be updated.");
        return false;
    }
    where = QStringLiteral(" WHERE ");
    std::vector<QVariant> keyValues;
    for (size_t k = 0; k < keyColumns_.size(); ++k) {
        if (k > 0)
            where += QStringLiteral(" AND ");
        // "=" where the value is known: the same match, and the one a
        // server's index can find ("IS NOT DISTINCT FROM" reads the table).
        const QVariant& value = row[keyColumns_[k]];
        where += TableName(columns_[keyColumns_[k]].origin) + QLatin1Char(' ')
            + (value.isNull() ? connection_.Engine()->NullSafeEquals() : QStringLiteral("=")) + QStringLiteral(" ?");
        keyValues.push_back(value);
    }
    if (!locatedByKey_) {
        // Located by the values read, the row may have twins (two equal
        // rows, or names equal but for letter case): a change would hit
        // them all.
        const auto count = RunStatement(connection_, QStringLiteral("SELECT COUNT(*) FROM ") + TableName(writeTable_) + where,
                                        keyValues);
        if (!count)
            return false;
        const qint64 matching = count->Value(0).toLongLong();
        if (matching > 1) {
            connection_.Errors() << QStringLiteral("Insufficient key column information for updating or refreshing.");
            return false;
        }
    }
    values.insert(values.end(), keyValues.begin(), keyValues.end());
    return true;
}

int TNyRecordset::FieldCount()
{
    RequireOpen("FieldCount");
    return static_cast<int>(columns_.size());
}

QString TNyRecordset::FieldName(int index)
{
    RequireOpen("FieldName");
    if (index < 0 || index >= static_cast<int>(columns_.size())) {
        connection_.Errors() << QStringLiteral("Item cannot be found in the collection.");
        ThrowAdoError(Operation("FieldName"), connection_);
    }
    const Column& column = columns_[index];
    // Columns sharing a name are known by their qualified name, as they are
    // read by it.
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (static_cast<int>(i) != index && columns_[i].name.compare(column.name, Qt::CaseInsensitive) == 0
            && !column.table.isEmpty())
            return column.table + QLatin1Char('.') + column.origin;
    }
    return column.name;
}

bool TNyRecordset::LoadKeyColumns()
{
    if (keysLoaded_)
        return !keyColumns_.empty();
    keysLoaded_ = true;
    keyColumns_.clear();
    rowidColumn_ = -1;

    tableKey_ = connection_.Engine()->TableKey(writeTable_);
    if (!tableKey_)
        return false;
    const std::vector<QString>& primaryKey = tableKey_->columns;
    const QString& integerKey = tableKey_->generated;

    auto resultColumn = [this](const QString& origin) {
        for (size_t i = 0; i < columns_.size(); ++i) {
            if (columns_[i].table.compare(writeTable_, Qt::CaseInsensitive) == 0
                && columns_[i].origin.compare(origin, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        }
        return -1;
    };

    bool allKeysSelected = !primaryKey.empty();
    for (const QString& key : primaryKey) {
        const int index = resultColumn(key);
        if (index < 0)
            allKeysSelected = false;
        else
            keyColumns_.push_back(index);
    }
    if (!integerKey.isEmpty())
        rowidColumn_ = resultColumn(integerKey);
    locatedByKey_ = allKeysSelected;
    if (!allKeysSelected) {
        // Without its key the row is located by every value read from it,
        // as an optimistic update does.
        keyColumns_.clear();
        for (size_t i = 0; i < columns_.size(); ++i) {
            if (columns_[i].table.compare(writeTable_, Qt::CaseInsensitive) == 0 && !columns_[i].origin.isEmpty())
                keyColumns_.push_back(static_cast<int>(i));
        }
    }
    return !keyColumns_.empty();
}

void TNyRecordset::WritePending()
{
    const bool written = pending_ == Pending::Add ? WriteInsert() : WriteUpdate();
    if (written) {
        pending_ = Pending::None;
        original_.clear();
        changed_.clear();
    }
}

bool TNyRecordset::WriteInsert()
{
    if (writeTable_.isEmpty()) {
        connection_.Errors() << QStringLiteral("The recordset cannot be updated.");
        return false;
    }
    LoadKeyColumns();
    QStringList names;
    QStringList marks;
    std::vector<QVariant> values;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (changed_[i]) {
            names << TableName(columns_[i].origin);
            marks << QStringLiteral("?");
            values.push_back(rows_[current_][i]);
        }
    }
    QString sql = QStringLiteral("INSERT INTO ") + TableName(writeTable_);
    if (names.isEmpty())
        sql += QStringLiteral(" DEFAULT VALUES");
    else
        sql += QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (")
            + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    TDbEngine* engine = connection_.Engine();
    if (tableKey_ && !tableKey_->generated.isEmpty())
        sql += engine->ReturningKeySql(tableKey_->generated);
    const auto insert = RunStatement(connection_, sql, values);
    if (!insert)
        return false;
    if (const std::optional<qint64> key = engine->LastInsertKey(*insert))
        RefreshRow(*key);
    return true;
}

bool TNyRecordset::WriteUpdate()
{
    QStringList assignments;
    std::vector<QVariant> values;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (changed_[i]) {
            assignments << TableName(columns_[i].origin) + QStringLiteral(" = ?");
            values.push_back(rows_[current_][i]);
        }
    }
    if (assignments.isEmpty())
        return true;
    // The row is found by the values it had when read, even when the change
    // rewrites its key.
    QString where;
    if (!LocateRow(original_, where, values))
        return false;
    const QString sql = QStringLiteral("UPDATE ") + TableName(writeTable_) + QStringLiteral(" SET ")
        + assignments.join(QStringLiteral(", ")) + where;
    const auto update = RunStatement(connection_, sql, values);
    if (!update)
        return false;
    if (update->Changes() == 0) {
        connection_.Errors() << QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read.");
        return false;
    }
    return true;
}

// Reads back the inserted row's columns of the written table, so the key the
// database generated and any default values show in the current row.
void TNyRecordset::RefreshRow(qint64 rowid)
{
    QStringList names;
    std::vector<int> indexes;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].table.compare(writeTable_, Qt::CaseInsensitive) == 0 && !columns_[i].origin.isEmpty()) {
            names << TableName(columns_[i].origin);
            indexes.push_back(static_cast<int>(i));
        }
    }
    if (names.isEmpty())
        return;
    const QString where = connection_.Engine()->InsertedRowWhere(tableKey_);
    if (where.isEmpty())
        return;
    const QString sql = QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
        + TableName(writeTable_) + where;
    bool ok = false;
    const std::unique_ptr<TDbStatement> stmt = connection_.Engine()->Prepare(sql, ok);
    if (!ok || !stmt)
        return;
    stmt->Bind(1, QVariant(static_cast<qlonglong>(rowid)));
    if (stmt->Step() == TDbStatement::TStep::Row) {
        for (size_t k = 0; k < indexes.size(); ++k)
            rows_[current_][indexes[k]] = stmt->Value(static_cast<int>(k));
    } else if (rowidColumn_ >= 0) {
        rows_[current_][rowidColumn_] = QVariant(static_cast<qlonglong>(rowid));
    }
}

namespace {

// The engine's order of storage classes: null, numbers, text, blobs.
int StorageClass(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return 0;
    if (IsNumber(value))
        return 1;
    if (value.typeId() == QMetaType::QByteArray)
        return 3;
    return 2;
}

int CompareBytes(const QByteArray& a, const QByteArray& b, bool foldAscii)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (foldAscii) {
            // NOCASE folds A to Z only, byte by byte.
            if (x >= 'A' && x <= 'Z')
                x = static_cast<unsigned char>(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z')
                y = static_cast<unsigned char>(y - 'A' + 'a');
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T>
int Compare(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

bool TNyRecordset::LoadOrder()
{
    if (orderLoaded_)
        return orderKnown_;
    orderLoaded_ = true;
    orderKnown_ = false;
    order_.clear();
    const std::optional<std::vector<TOrderTerm>> terms = ParseOrderBy(sql_);
    // Without an ORDER BY the engine's order is its own affair.
    if (!terms || terms->empty())
        return false;
    for (const TOrderTerm& term : *terms) {
        OrderKey key;
        key.column = ColumnIndex(term.column);
        if (key.column < 0 || columns_[key.column].origin.isEmpty())
            return false;
        const Column& column = columns_[key.column];
        QString collation = term.collation;
        if (collation.isEmpty()) {
            // A column sorts by the collation its table declares for it.
            collation = connection_.Engine()->ColumnCollation(column.table, column.origin);
            if (collation.isEmpty())
                return false;
        }
        if (collation.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) == 0)
            key.collation = Collation::Binary;
        else if (collation.compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0)
            key.collation = Collation::NoCase;
        else if (collation.compare(QLatin1String(kNameOrderCollation), Qt::CaseInsensitive) == 0)
            key.collation = Collation::Names;
        else
            return false;
        key.descending = term.descending;
        order_.push_back(key);
    }
    orderKnown_ = true;
    return true;
}

int TNyRecordset::CompareRows(const std::vector<QVariant>& a, const std::vector<QVariant>& b) const
{
    for (const OrderKey& key : order_) {
        const QVariant& x = a[key.column];
        const QVariant& y = b[key.column];
        int result = Compare(StorageClass(x), StorageClass(y));
        if (result == 0) {
            switch (StorageClass(x)) {
            case 1:
                result = x.typeId() == QMetaType::LongLong && y.typeId() == QMetaType::LongLong
                    ? Compare(x.toLongLong(), y.toLongLong())
                    : Compare(x.toDouble(), y.toDouble());
                break;
            case 2:
                if (key.collation == Collation::Names)
                    result = CompareNameOrder(x.toString(), y.toString());
                else
                    result = CompareBytes(x.toString().toUtf8(), y.toString().toUtf8(),
                                          key.collation == Collation::NoCase);
                break;
            case 3:
                result = CompareBytes(x.toByteArray(), y.toByteArray(), false);
                break;
            default:
                break;
            }
        }
        if (result != 0)
            return key.descending ? -result : result;
    }
    // Rows the ORDER BY cannot tell apart stand in the order they were
    // stored, as the engine reads a table.
    if (rowidColumn_ >= 0)
        return Compare(a[rowidColumn_].toLongLong(), b[rowidColumn_].toLongLong());
    return 0;
}

std::optional<int> TNyRecordset::RequeryCurrentRow()
{
    RequireOpen("RequeryCurrentRow");
    FlushPending("RequeryCurrentRow");
    if (!HasCurrentRow() || writeTable_.isEmpty() || !LoadKeyColumns() || !locatedByKey_ || !LoadOrder())
        return std::nullopt;
    // The row is asked of the recordset's own SELECT by its key, named as
    // the engine names that column among the results.
    QString where;
    for (const int column : keyColumns_) {
        const QString& name = engineNames_[column];
        const auto sameName = [&name](const QString& other) { return other.compare(name, Qt::CaseInsensitive) == 0; };
        if (std::count_if(engineNames_.begin(), engineNames_.end(), sameName) != 1)
            return std::nullopt;
        where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + QuoteIdentifier(name)
            + QStringLiteral(" = ?");
    }
    QString select = sql_.trimmed();
    while (select.endsWith(QLatin1Char(';')))
        select = select.chopped(1).trimmed();
    const QString sql = QStringLiteral("SELECT * FROM (\n") + select + QStringLiteral("\n) AS nyado_row") + where;
    bool ok = false;
    const std::unique_ptr<TDbStatement> stmt = connection_.Engine()->Prepare(sql, ok);
    if (!ok || !stmt)
        return std::nullopt;
    for (size_t k = 0; k < keyColumns_.size(); ++k)
        stmt->Bind(static_cast<int>(k) + 1, rows_[current_][keyColumns_[k]]);
    std::vector<std::vector<QVariant>> found;
    TDbStatement::TStep step = TDbStatement::TStep::Done;
    while (found.size() < 2 && (step = stmt->Step()) == TDbStatement::TStep::Row) {
        std::vector<QVariant> row;
        row.reserve(columns_.size());
        for (int i = 0; i < static_cast<int>(columns_.size()); ++i)
            row.push_back(stmt->Value(i));
        found.push_back(std::move(row));
    }
    const bool failed = found.size() < 2 && step != TDbStatement::TStep::Done;
    const bool sameColumns = stmt->ColumnCount() == static_cast<int>(columns_.size());
    // A key that stands for several rows of the result (a join that repeats
    // it) cannot place the row alone.
    if (failed || !sameColumns || found.size() > 1)
        return std::nullopt;

    rows_.erase(rows_.begin() + current_);
    if (found.empty()) {
        currentDeleted_ = true;
        return 0;
    }
    // The other rows stand in order: the first that sorts after the row is
    // its place.
    const auto place = std::upper_bound(rows_.begin(), rows_.end(), found.front(),
                                        [this](const std::vector<QVariant>& row, const std::vector<QVariant>& other) {
                                            return CompareRows(row, other) < 0;
                                        });
    current_ = static_cast<int>(place - rows_.begin());
    rows_.insert(place, std::move(found.front()));
    currentDeleted_ = false;
    return current_ + 1;
}
