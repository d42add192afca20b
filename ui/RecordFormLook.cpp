#include "RecordFormLook.h"

#include <QApplication>
#include <QCommonStyle>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QHeaderView>
#include <QKeySequence>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionGroupBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

// The application's style, with a blue caption on the group boxes it is set
// on. Set on a box alone, it reaches neither the labels inside (a palette
// would) nor restyles every widget in the box through a style sheet, which
// costs each of them its own style-sheet rules in memory.
class TBlueCaptionStyle final : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* box = control == CC_GroupBox ? qstyleoption_cast<const QStyleOptionGroupBox*>(option) : nullptr;
        if (!box || box->text.isEmpty() || !(box->subControls & SC_GroupBoxLabel)) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        // The frame as usual, then the caption centred in its place.
        QStyleOptionGroupBox frame(*box);
        frame.subControls &= ~SC_GroupBoxLabel;
        QProxyStyle::drawComplexControl(control, &frame, painter, widget);
        QPalette palette = box->palette;
        palette.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xff));
        int alignment = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!proxy()->styleHint(SH_UnderlineShortcut, option, widget))
            alignment |= Qt::TextHideMnemonic;
        // Where the caption always stood: the style's place for it, no
        // narrower than the common style's.
        static const QCommonStyle common;
        QRect place = proxy()->subControlRect(control, option, SC_GroupBoxLabel, widget);
        place.setSize(place.size().expandedTo(common.subControlRect(control, option, SC_GroupBoxLabel, widget).size()));
        proxy()->drawItemText(painter, place, alignment, palette, box->state & State_Enabled, box->text,
                              QPalette::WindowText);
    }
};

class TGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width(), qMax(size.height(), GridRowHeight(option.fontMetrics))};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // The text keeps clear of the grid lines.
        QStyleOptionViewItem cell = option;
        cell.rect.adjust(0, 0, -1, -1);
        QStyledItemDelegate::paint(painter, cell, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        const QRect r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }
};

} // namespace

int GridRowHeight(const QFontMetrics& metrics)
{
    return metrics.lineSpacing() + 2 * 2 + 1;
}

void AlignFormLabels(QFormLayout* form)
{
    if (!form)
        return;
    // The widest label of any edit dialog sets the column for all of them.
    const QString widestLabel = QStringLiteral("Data di nascita:");
    QList<QLabel*> labels;
    int width = 0;
    for (int row = 0; row < form->rowCount(); ++row) {
        QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole);
        auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
        if (!label)
            continue;
        if (labels.isEmpty()) {
            QLabel widest(widestLabel);
            widest.setFont(label->font());
            width = widest.sizeHint().width();
        }
        labels << label;
        width = qMax(width, label->sizeHint().width());
    }
    for (QLabel* label : labels)
        label->setMinimumWidth(width);
}

void ShowCaptionInBlue(QGroupBox* box)
{
    if (!box)
        return;
    // One style for every box, made with the application's own style
    // beneath it and ended with the application.
    static QPointer<TBlueCaptionStyle> style;
    if (!style) {
        style = new TBlueCaptionStyle;
        style->setParent(qApp);
    }
    if (box->style() != style)
        box->setStyle(style);
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

void GiveCommandKey(QPushButton* button, const QKeySequence& keys)
{
    button->setShortcut(keys);
    QString name = button->text();
    name.remove(QLatin1Char('&'));
    button->setToolTip(QStringLiteral("%1 (%2)").arg(name, keys.toString(QKeySequence::NativeText)));
}
