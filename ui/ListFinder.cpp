#include "ListFinder.h"

#include "Regional.h"

#include <QCollator>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <numeric>
#include <optional>
#include <variant>
#include <vector>

namespace {

// The folded text of a row's cells, kept on the row until its text changes.
constexpr int SearchTextRole = Qt::UserRole + 41;

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

const QCollator& ItalianCollator()
{
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Italian, QLocale::Italy)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    return collator;
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

TColumnKind KindOfColumn(const QTreeWidget* list, int column)
{
    bool dates = true;
    bool numbers = true;
    bool any = false;
    for (int row = 0; row < list->topLevelItemCount() && (dates || numbers); ++row) {
        const QString text = list->topLevelItem(row)->text(column);
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

void SortListRows(QTreeWidget* list, int column, bool descending)
{
    if (column < 0 || column >= list->columnCount())
        return;
    const TColumnKind kind = KindOfColumn(list, column);
    QTreeWidgetItem* current = list->currentItem();
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    const QSignalBlocker blocker(list);
    QList<QTreeWidgetItem*> items = list->invisibleRootItem()->takeChildren();

    // One key per row, worked out once: (filled, value).
    using TValue = std::variant<qint64, double, QCollatorSortKey>;
    std::vector<std::pair<bool, TValue>> keys;
    keys.reserve(items.size());
    for (const QTreeWidgetItem* item : items) {
        const QString text = item->text(column);
        if (text.isEmpty()) {
            keys.emplace_back(false, TValue(qint64(0)));
        } else if (kind == TColumnKind::Date) {
            keys.emplace_back(true, TValue(DateKey(text).value_or(0)));
        } else if (kind == TColumnKind::Number) {
            keys.emplace_back(true, TValue(NumberKey(text).value_or(0.0)));
        } else {
            keys.emplace_back(true, TValue(ItalianCollator().sortKey(text)));
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
        return std::get<QCollatorSortKey>(valueA).compare(std::get<QCollatorSortKey>(valueB)) < 0;
    };
    std::vector<int> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    if (descending)
        std::stable_sort(order.begin(), order.end(), [&less](int a, int b) { return less(b, a); });
    else
        std::stable_sort(order.begin(), order.end(), less);
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(items.size());
    for (int i : order)
        sorted << items[i];
    list->addTopLevelItems(sorted);

    if (current)
        list->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* item : selected)
        item->setSelected(true);
}

TListFinder::TListFinder(QTreeWidget* list, QLineEdit* field, QLabel* count)
    : QObject(list)
    , list_(list)
    , field_(field)
    , count_(count)
{
    QHeaderView* header = list_->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, &TListFinder::HeaderClicked);
    connect(field_, &QLineEdit::textChanged, this, &TListFinder::Filter);
    QAbstractItemModel* model = list_->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &TListFinder::RowsChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TListFinder::RowsChanged);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
                if (applying_ || (!roles.isEmpty() && !roles.contains(Qt::DisplayRole)))
                    return;
                // The changed rows' text is read again when next needed.
                applying_ = true;
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                    if (QTreeWidgetItem* item = list_->topLevelItem(row))
                        item->setData(0, SearchTextRole, QVariant());
                }
                applying_ = false;
                RowsChanged();
            });
}

void TListFinder::SetRowFilter(std::function<bool(const QTreeWidgetItem*)> accepts)
{
    accepts_ = std::move(accepts);
}

void TListFinder::SetOrder(const TListOrder& order)
{
    order_ = order;
    if (order_.Column >= list_->columnCount())
        order_ = TListOrder();
}

void TListFinder::HeaderClicked(int column)
{
    if (order_.Column == column)
        order_.Descending = !order_.Descending;
    else
        order_ = TListOrder{column, false};
    Apply();
    emit OrderChanged(order_);
}

void TListFinder::RowsChanged()
{
    if (applying_ || pending_)
        return;
    // Whoever changes the rows may change several in a row: order and filter
    // once, when the change is done.
    pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            // An Apply in between has done the work already.
            if (pending_)
                Apply();
        },
        Qt::QueuedConnection);
}

void TListFinder::Apply()
{
    pending_ = false;
    applying_ = true;
    QHeaderView* header = list_->header();
    header->setSortIndicatorShown(order_.Column >= 0);
    if (order_.Column >= 0) {
        header->setSortIndicator(order_.Column, order_.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        SortListRows(list_, order_.Column, order_.Descending);
    }
    applying_ = false;
    Filter();
}

bool TListFinder::Matches(QTreeWidgetItem* item, const QString& folded) const
{
    if (accepts_ && !accepts_(item))
        return false;
    if (folded.isEmpty())
        return true;
    QVariant cached = item->data(0, SearchTextRole);
    if (!cached.isValid()) {
        QStringList cells;
        for (int column = 0; column < list_->columnCount(); ++column)
            cells << FoldedForSearch(item->text(column));
        // Apart by a line break, so that no word is found across two cells.
        cached = cells.join(QLatin1Char('\n'));
        item->setData(0, SearchTextRole, cached);
    }
    const QString text = cached.toString();
    // Every word typed must be there, in any cell and any order.
    for (const QString& word : folded.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!text.contains(word))
            return false;
    }
    return true;
}

void TListFinder::Filter()
{
    const bool wasApplying = applying_;
    applying_ = true;
    const QString folded = FoldedForSearch(field_->text().simplified());
    const int rows = list_->topLevelItemCount();
    int shown = 0;
    bool selectionHidden = false;
    for (int row = 0; row < rows; ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        const bool show = Matches(item, folded);
        if (item->isHidden() == show) {
            item->setHidden(!show);
            if (!show && item->isSelected())
                selectionHidden = true;
        }
        shown += show ? 1 : 0;
    }
    applying_ = wasApplying;
    shown_ = shown;
    count_->setText(QStringLiteral("%1 di %2").arg(shown).arg(rows));
    // The buttons act on the row the user sees selected, never on a hidden one.
    if (selectionHidden)
        list_->clearSelection();
}
