#include "RecordFormLook.h"

#include "ListViewDelegate.h"

#include <QFormLayout>
#include <QLabel>
#include <QHeaderView>
#include <QKeySequence>
#include <QPainter>
#include <QPushButton>
#include <QTreeView>


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

void SetUpGridList(QTreeView* list)
{
    list->setItemDelegate(new TListViewDelegate(list));
    UseProgramStyle();
    LetScrollBarsRepaintAlone(list);
    // Multi-line notes would otherwise make single rows several lines high.
    list->setUniformRowHeights(true);
    const QStringList widths = list->property("columnWidths").toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int column = 0; column < widths.size() && list->model() && column < list->model()->columnCount(); ++column) {
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
