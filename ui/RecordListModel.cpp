#include "RecordListModel.h"

#include "Exception.h"
#include "NameText.h"
#include "NyRecordset.h"
#include "Regional.h"

#include <QCollatorSortKey>
#include <QDateTime>
#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <utility>
#include <variant>

namespace {

bool IsMark(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

std::optional<qint64> DateKey(const QString& text)
{
    // The list shows what FormatDateTimeShort writes: the short date, then
    // the time of day when there is one.
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QDate date = QDate::fromString(blank < 0 ? text : text.left(blank), RegionalShortDateFormat());
    if (!date.isValid())
        return std::nullopt;
    int seconds = 0;
    if (blank >= 0) {
        const QTime time = QTime::fromString(text.mid(blank + 1), RegionalLongTimeFormat());
        if (!time.isValid())
            return std::nullopt;
        seconds = time.msecsSinceStartOfDay() / 1000;
    }
    return date.toJulianDay() * 86400 + seconds;
}

std::optional<double> NumberKey(const QString& text)
{
    bool ok = false;
    double value = RegionalLocale().toDouble(text, &ok);
    if (!ok)
        value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

enum class TColumnKind { Text, Number, Date };

// Date when every filled cell is a short date (with a time or without),
// Number when every one is a number, otherwise Text.
TColumnKind KindOfColumn(const std::vector<const QString*>& texts)
{
    bool dates = true;
    bool numbers = true;
    bool any = false;
    for (const QString* cell : texts) {
        if (!dates && !numbers)
            break;
        const QString& text = *cell;
        if (text.isEmpty())
            continue;
        any = true;
        dates = dates && DateKey(text).has_value();
        numbers = numbers && NumberKey(text).has_value();
    }
    if (!any)
        return TColumnKind::Text;
    return dates ? TColumnKind::Date : numbers ? TColumnKind::Number : TColumnKind::Text;
}

// A row stays one line high: the line breaks of a note show as blanks.
void OnOneLine(QString& text)
{
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
    if (std::none_of(text.cbegin(), text.cend(), isBreak))
        return;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
}

} // namespace

QString FoldedForSearch(const QString& text)
{
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString bare;
    bare.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (!IsMark(c))
            bare += c;
    }
    return bare.toCaseFolded();
}

TRecordListModel::TRecordListModel(const QStringList& captions, const QList<Qt::Alignment>& alignments,
                                   QObject* parent)
    : QAbstractTableModel(parent)
    , captions_(captions)
    , alignments_(alignments)
{
    alignments_.resize(captions_.size());
}

int TRecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TRecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

QVariant TRecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return Cells(records_[rows_[index.row()]])[index.column()];
    if (role == Qt::TextAlignmentRole && alignments_[index.column()] != Qt::Alignment())
        return int(alignments_[index.column()]);
    return {};
}

QVariant TRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return captions_[section];
    if (role == Qt::TextAlignmentRole && alignments_[section] != Qt::Alignment())
        return int(alignments_[section]);
    return {};
}

Qt::ItemFlags TRecordListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

std::vector<QVariant> TRecordListModel::ReadValues(TNyRecordset& recordset) const
{
    std::vector<QVariant> values(fields_.size());
    for (size_t column = 0; column < fields_.size(); ++column) {
        if (fields_[column] < 0)
            continue;
        try {
            values[column] = recordset.FieldValue(fields_[column]);
        } catch (const Exception&) {
            // The cell stays empty.
        }
    }
    return values;
}

const QStringList& TRecordListModel::Cells(const TRecord& record) const
{
    if (record.cells.isEmpty() && !record.values.empty()) {
        record.cells.reserve(static_cast<qsizetype>(record.values.size()));
        for (size_t column = 0; column < record.values.size(); ++column) {
            QString text = TNyRecordset::ValueText(record.values[column], dateTimes_[column]);
            OnOneLine(text);
            record.cells << text;
        }
    }
    return record.cells;
}

void TRecordListModel::Fill(TNyRecordset& recordset, const QStringList& fieldNames)
{
    beginResetModel();
    records_.clear();
    fields_.assign(captions_.size(), -1);
    dateTimes_.assign(captions_.size(), false);
    try {
        for (int column = 0; column < captions_.size() && column < fieldNames.size(); ++column) {
            fields_[column] = recordset.FieldIndex(fieldNames[column]);
            dateTimes_[column] = recordset.FieldIsDateTime(fields_[column]);
        }
        const int position = recordset.GetAbsolutePosition();
        if (position > 0)
            records_.reserve(static_cast<size_t>(recordset.RecordCount() - position + 1));
        while (!recordset.Eof()) {
            records_.push_back({ReadValues(recordset), {}, QString(), nextId_++});
            recordset.MoveNext();
        }
    } catch (const Exception&) {
        // The list shows the records that could be read.
    }
    Arrange(true);
    endResetModel();
}

QString TRecordListModel::Text(int record, int column) const
{
    if (record < 0 || record >= RecordCount() || column < 0 || column >= columnCount())
        return {};
    return Cells(records_[record])[column];
}

int TRecordListModel::RecordOfRow(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[row] : -1;
}

int TRecordListModel::RowOfRecord(int record) const
{
    // Unless the user ordered the list or searched it, row i shows record i.
    if (record >= 0 && record < rowCount() && rows_[record] == record)
        return record;
    const auto found = std::find(rows_.begin(), rows_.end(), record);
    return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

void TRecordListModel::PutRecord(int from, int to, TNyRecordset& recordset)
{
    std::vector<QVariant> values = ReadValues(recordset);
    if (from >= RecordCount() || to < 0 || to >= RecordCount() + (from < 0 ? 1 : 0))
        return;
    // Read again unchanged where it was: nothing for the view to do.
    if (from == to && records_[from].values == values)
        return;
    ArrangeInView(true, [&] {
        TRecord record{std::move(values), {}, QString(), from < 0 ? nextId_++ : records_[from].id};
        if (from >= 0)
            records_.erase(records_.begin() + from);
        records_.insert(records_.begin() + to, std::move(record));
    });
}

void TRecordListModel::RemoveRecord(int record)
{
    if (record < 0 || record >= RecordCount())
        return;
    ArrangeInView(true, [&] { records_.erase(records_.begin() + record); });
}

void TRecordListModel::SetOrder(int column, bool descending)
{
    if (column >= columnCount())
        column = -1;
    orderColumn_ = column;
    descending_ = column >= 0 && descending;
    ArrangeInView(true);
}

void TRecordListModel::SetSearch(const QString& text)
{
    const QString folded = FoldedForSearch(text.simplified());
    if (folded == search_)
        return;
    search_ = folded;
    ArrangeInView(false);
}

void TRecordListModel::SetRowFilter(std::function<bool(const QStringList& cells)> accepts)
{
    accepts_ = std::move(accepts);
}

void TRecordListModel::Refilter()
{
    ArrangeInView(false);
}

bool TRecordListModel::Matches(TRecord& record, const QStringList& words)
{
    const QStringList& cells = Cells(record);
    if (accepts_ && !accepts_(cells))
        return false;
    if (words.isEmpty())
        return true;
    if (record.folded.isEmpty()) {
        QStringList folded;
        for (const QString& cell : cells)
            folded << FoldedForSearch(cell);
        // Apart by a line break, so that no word is found across two cells.
        record.folded = folded.join(QLatin1Char('\n'));
    }
    // Every word typed must be there, in any cell and any order.
    for (const QString& word : words) {
        if (!record.folded.contains(word))
            return false;
    }
    return true;
}

void TRecordListModel::Arrange(bool reorder)
{
    const int count = RecordCount();
    if (reorder) {
        order_.resize(count);
        std::iota(order_.begin(), order_.end(), 0);
        if (orderColumn_ >= 0 && count > 1) {
            std::vector<const QString*> texts;
            texts.reserve(count);
            for (const TRecord& record : records_)
                texts.push_back(&Cells(record)[orderColumn_]);
            const TColumnKind kind = KindOfColumn(texts);
            // One key per record, worked out once: (filled, value). Text
            // sorts in the names' order with numbers by value; the full
            // collation's keys are taken for the whole column when one of
            // its texts needs them.
            using TValue = std::variant<qint64, double, std::u16string, QCollatorSortKey>;
            std::vector<std::pair<bool, TValue>> keys;
            keys.reserve(count);
            bool fullKeys = false;
            for (const QString* cell : texts) {
                const QString& text = *cell;
                if (text.isEmpty()) {
                    keys.emplace_back(false, TValue(qint64(0)));
                } else if (kind == TColumnKind::Date) {
                    keys.emplace_back(true, TValue(DateKey(text).value_or(0)));
                } else if (kind == TColumnKind::Number) {
                    keys.emplace_back(true, TValue(NumberKey(text).value_or(0.0)));
                } else if (std::optional<std::u16string> key = NameOrderKey(text, true); key && !fullKeys) {
                    keys.emplace_back(true, TValue(std::move(*key)));
                } else {
                    fullKeys = true;
                    keys.emplace_back(true, TValue(qint64(0)));
                }
            }
            if (fullKeys) {
                for (int i = 0; i < count; ++i) {
                    if (keys[i].first)
                        keys[i].second = FullNameOrderKey(*texts[i], true);
                }
            }
            const auto less = [&keys](int a, int b) {
                const auto& [filledA, valueA] = keys[a];
                const auto& [filledB, valueB] = keys[b];
                if (filledA != filledB)
                    return !filledA;
                if (!filledA)
                    return false;
                if (const auto* x = std::get_if<qint64>(&valueA))
                    return *x < std::get<qint64>(valueB);
                if (const auto* x = std::get_if<double>(&valueA))
                    return *x < std::get<double>(valueB);
                if (const auto* x = std::get_if<std::u16string>(&valueA))
                    return *x < std::get<std::u16string>(valueB);
                return std::get<QCollatorSortKey>(valueA).compare(std::get<QCollatorSortKey>(valueB)) < 0;
            };
            if (descending_)
                std::stable_sort(order_.begin(), order_.end(), [&less](int a, int b) { return less(b, a); });
            else
                std::stable_sort(order_.begin(), order_.end(), less);
        }
    }
    rows_.clear();
    if (!accepts_ && search_.isEmpty()) {
        rows_ = order_;
        return;
    }
    const QStringList words = search_.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    rows_.reserve(order_.size());
    for (int record : order_) {
        if (Matches(records_[record], words))
            rows_.push_back(record);
    }
}

void TRecordListModel::ArrangeInView(bool reorder, const std::function<void()>& change)
{
    // A new search or order that shows the same rows (each letter of a name
    // typed while every row still holds it) is no change for the view: it
    // would only paint the same rows again.
    std::vector<int> arranged;
    if (!change) {
        const std::vector<int> shown = rows_;
        Arrange(reorder);
        if (rows_ == shown)
            return;
        arranged = std::exchange(rows_, shown);
    }
    // The view and its selection hand over the indexes they keep once told;
    // each follows its record, or goes when the record is no longer shown.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList kept = persistentIndexList();
    std::vector<quint64> ids;
    ids.reserve(kept.size());
    for (const QModelIndex& index : kept)
        ids.push_back(records_[rows_[index.row()]].id);
    if (change) {
        change();
        Arrange(reorder);
    } else {
        rows_ = std::move(arranged);
    }
    std::unordered_map<quint64, int> rowOfId;
    for (quint64 id : ids)
        rowOfId.emplace(id, -1);
    for (size_t row = 0; row < rows_.size() && !ids.empty(); ++row) {
        const auto found = rowOfId.find(records_[rows_[row]].id);
        if (found != rowOfId.end())
            found->second = static_cast<int>(row);
    }
    QModelIndexList moved;
    moved.reserve(kept.size());
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const int row = rowOfId[ids[i]];
        moved << (row >= 0 ? index(row, kept[i].column()) : QModelIndex());
    }
    changePersistentIndexList(kept, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
