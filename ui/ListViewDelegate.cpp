#include "ListViewDelegate.h"

#include "ProgramStyle.h"
#include "RecordFormLook.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>

namespace {

// A cell with any of these is drawn and measured by Qt alone.
constexpr auto kUnusualCell =
    QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;

} // namespace

TListViewDelegate::TListViewDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void TListViewDelegate::SetColumnAlignment(int column, Qt::Alignment alignment)
{
    alignments_.insert(column, alignment);
}

void TListViewDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto found = alignments_.constFind(index.column());
    if (found != alignments_.constEnd())
        option->displayAlignment = *found | Qt::AlignVCenter;
}

QSize TListViewDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto measure = [&] {
        const QSize measured = QStyledItemDelegate::sizeHint(option, index);
        return QSize(measured.width(), qMax(measured.height(), GridRowHeight(option.fontMetrics)));
    };
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.features & kUnusualCell)
        return measure();
    const TSizeKey key{cell.text, cell.font, cell.widget ? cell.widget->style() : QApplication::style()};
    const auto found = sizes_.constFind(key);
    if (found != sizes_.constEnd())
        return *found;
    if (sizes_.size() >= 2048)
        sizes_.clear();
    return *sizes_.insert(key, measure());
}

const QStaticText& TListViewDelegate::LaidOutText(const QString& text, const QFont& font, int width,
                                                  Qt::TextElideMode elide)
{
    static QHash<TTextKey, QStaticText> laidOut;
    TTextKey key{text, font, width};
    const auto found = laidOut.constFind(key);
    if (found != laidOut.constEnd())
        return *found;
    // The open windows show a few hundred different texts at most; a cache
    // that outgrows that holds texts long scrolled away.
    if (laidOut.size() >= 2048)
        laidOut.clear();
    // Each shaping of a text is a good part of drawing a new row: a text that
    // surely fits is shaped once, any other is shaped to be cut and then
    // laid out as cut (or whole).
    QString shown = text;
    if (elide != Qt::ElideNone) {
        const QFontMetrics metrics(font);
        const bool latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
        if (!latin1 || text.size() * metrics.maxWidth() > width)
            shown = metrics.elidedText(text, elide, width);
    }
    QStaticText laid(shown);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font);
    return *laidOut.insert(std::move(key), laid);
}

bool TListViewDelegate::PaintPlainCell(QPainter* painter, QStyleOptionViewItem& cell) const
{
    if ((cell.features & kUnusualCell) || (cell.state & QStyle::State_Editing) || cell.text.contains(QChar::LineSeparator)
        || cell.text.contains(QLatin1Char('\n')))
        return false;
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QString text = cell.text;
    // The style draws the background, the selection and the focus; the
    // text is drawn here where the style would put it. Without its text, a
    // plain cell without focus is the style's item panel alone (the row's
    // focus frame is the view's): drawn as such, without the item's layout.
    cell.text.clear();
    painter->save();
    painter->setClipRect(cell.rect, Qt::IntersectClip);
    if (cell.state & QStyle::State_HasFocus)
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    else
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
    if (text.isEmpty()) {
        painter->restore();
        return true;
    }

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect box = cell.rect.adjusted(margin, 0, -margin, 0);
    const QStaticText& laid = LaidOutText(text, cell.font, box.width(), cell.textElideMode);
    const QSizeF size = laid.size();
    const Qt::Alignment align = QStyle::visualAlignment(cell.direction, cell.displayAlignment);
    qreal x = box.x();
    if (align & Qt::AlignRight)
        x += box.width() - size.width();
    else if (align & Qt::AlignHCenter)
        x += (box.width() - size.width()) / 2;
    const int lineHeight = int(size.height());
    int y = box.y();
    if (align & Qt::AlignBottom)
        y += box.height() - lineHeight;
    else if (align & Qt::AlignVCenter)
        y += (box.height() - lineHeight) / 2;

    QPalette::ColorGroup group = (cell.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(group, (cell.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                     : QPalette::Text));
    painter->drawStaticText(QPointF(x, y), laid);
    painter->restore();
    return true;
}

void TListViewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The text keeps clear of the grid lines.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.rect.adjust(0, 0, -1, -1);
    if (!PaintPlainCell(painter, cell)) {
        QStyleOptionViewItem plain = option;
        plain.rect.adjust(0, 0, -1, -1);
        QStyledItemDelegate::paint(painter, plain, index);
    }
    const QColor grid = option.palette.color(QPalette::Mid);
    const QRect& r = option.rect;
    if (painter->transform().type() <= QTransform::TxTranslate && painter->device()
        && painter->device()->devicePixelRatioF() == 1.0) {
        // One pixel wide, unscaled: the same pixels as the lines below,
        // filled far faster than lines are drawn.
        painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), grid);
        painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), grid);
        return;
    }
    painter->save();
    painter->setPen(grid);
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

namespace {

// Whether the style paints every pixel of a scroll bar. Asked once per style.
bool StylePaintsScrollBarWhole(QScrollBar* bar)
{
    static QHash<QString, bool> answers;
    const QString style = bar->style()->name();
    const auto found = answers.constFind(style);
    if (found != answers.constEnd())
        return *found;
    QScrollBar probe(Qt::Vertical);
    probe.setStyle(bar->style());
    probe.resize(probe.sizeHint().width(), 120);
    QImage image(probe.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    probe.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    bool whole = true;
    for (int y = 0; y < image.height() && whole; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width() && whole; ++x)
            whole = qAlpha(line[x]) == 255;
    }
    answers.insert(style, whole);
    return whole;
}

} // namespace

void LetScrollBarsRepaintAlone(QAbstractScrollArea* area)
{
    for (QScrollBar* bar : {area->verticalScrollBar(), area->horizontalScrollBar()}) {
        if (bar && StylePaintsScrollBarWhole(bar))
            bar->setAttribute(Qt::WA_OpaquePaintEvent);
    }
}

void SetReportStyle(QTreeView* list, std::initializer_list<int> centredColumns)
{
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setAllColumnsShowFocus(true);
    list->setUniformRowHeights(true);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    // The heading shares the rows' selection only to highlight the selected
    // columns, which a report list does not do; shared, every move of the
    // selection (each answer in the compilation editor) paints the whole
    // heading again.
    if (list->model())
        list->header()->setSelectionModel(new QItemSelectionModel(list->model(), list->header()));
    auto* delegate = new TListViewDelegate(list);
    for (int column : centredColumns) {
        delegate->SetColumnAlignment(column, Qt::AlignHCenter);
        if (auto* widget = qobject_cast<QTreeWidget*>(list))
            widget->headerItem()->setTextAlignment(column, Qt::AlignCenter);
        else if (list->model())
            list->model()->setHeaderData(column, Qt::Horizontal, int(Qt::AlignCenter), Qt::TextAlignmentRole);
    }
    list->setItemDelegate(delegate);
    UseProgramStyle();
    LetScrollBarsRepaintAlone(list);
}
