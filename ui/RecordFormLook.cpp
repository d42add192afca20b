#include "RecordFormLook.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

class TGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        const QRect r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }
};

} // namespace

void ShowCaptionInBlue(QGroupBox* box)
{
    if (!box)
        return;
    // A palette change would reach every label in the box; a style sheet
    // rule, added to any the layout sets, reaches the caption alone.
    const QString rule = QStringLiteral("\nQGroupBox#%1::title { color: #0000ff; }").arg(box->objectName());
    box->setStyleSheet(box->styleSheet() + rule);
}

void SetUpGridList(QTreeWidget* list)
{
    list->setItemDelegate(new TGridDelegate(list));
    // Multi-line notes would otherwise make single rows several lines high.
    list->setUniformRowHeights(true);
    const QStringList widths = list->property("columnWidths").toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int column = 0; column < widths.size() && column < list->columnCount(); ++column) {
        bool ok = false;
        const int width = widths[column].trimmed().toInt(&ok);
        // The widths were chosen for a smaller font than many desktops use:
        // a column is never narrower than its caption.
        if (ok && width > 0)
            list->setColumnWidth(column, qMax(width, list->header()->sectionSizeHint(column)));
    }
}
