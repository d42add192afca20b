#include "RecordFormLook.h"

#include "ListViewDelegate.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QHeaderView>
#include <QKeySequence>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOption>
#include <QTreeWidget>

namespace {

// Draws a group box's caption in blue and everything else as the program's
// style does. Set on a box alone, it reaches no widget inside it, where a
// style sheet on the box would have every one of them drawn through the
// slower style-sheet machinery (each list row and each button the editor
// repaints on every answer).
class TBlueCaptionStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QStyleOptionGroupBox blue = *box;
        blue.textColor = kCaptionColour;
        blue.palette.setColor(QPalette::WindowText, kCaptionColour);
        QProxyStyle::drawComplexControl(control, &blue, painter, widget);
    }

    static constexpr QColor kCaptionColour = QColor(0x00, 0x00, 0xff);
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
    // A palette change would reach every label in the box; a style of its
    // own reaches the box alone. One style serves every box; it lives as
    // long as the application and follows the application's own style.
    static QPointer<TBlueCaptionStyle> style;
    if (!style) {
        style = new TBlueCaptionStyle(QApplication::style()->name());
        style->setParent(qApp);
    }
    if (box->style() != style)
        box->setStyle(style);
}

void SetUpGridList(QTreeWidget* list)
{
    list->setItemDelegate(new TListViewDelegate(list));
    LetScrollBarsRepaintAlone(list);
    SetListStyle(list);
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
