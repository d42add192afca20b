// The report look of the program's list views: grid lines around every cell
// and a fixed alignment per column, whoever fills the rows.
#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <initializer_list>

class QAbstractScrollArea;
class QTreeView;

class TListViewDelegate : public QStyledItemDelegate {
public:
    explicit TListViewDelegate(QObject* parent = nullptr);

    void SetColumnAlignment(int column, Qt::Alignment alignment);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Tall enough for the font's descenders above the grid line.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    // A cell's text as laid out for one font and width, elided when it does
    // not fit. Laying text out is most of the cost of a cell, and the lists
    // paint the same texts again and again (each answer in the compilation
    // editor repaints its rows; the compilations list, opened again, shows
    // the same rows), so each is laid out once for all the lists.
    struct TTextKey {
        QString Text;
        QFont Font;
        int Width;
        bool operator==(const TTextKey& other) const
        {
            return Width == other.Width && Text == other.Text && Font == other.Font;
        }
        friend size_t qHash(const TTextKey& key, size_t seed = 0) { return qHashMulti(seed, key.Text, key.Width); }
    };
    // What a plain cell's size follows: Qt asks for the sizes of the first
    // row's cells whenever that row changes (each answer in the first area
    // of the compilation editor), even where all rows have one height, and
    // measuring lays each text out again.
    struct TSizeKey {
        QString Text;
        QFont Font;
        const QStyle* Style;
        bool operator==(const TSizeKey& other) const
        {
            return Style == other.Style && Text == other.Text && Font == other.Font;
        }
        friend size_t qHash(const TSizeKey& key, size_t seed = 0) { return qHashMulti(seed, key.Text, key.Style); }
    };
    mutable QHash<TSizeKey, QSize> sizes_;
    static const QStaticText& LaidOutText(const QString& text, const QFont& font, int width, Qt::TextElideMode elide);
    // The text of a plain cell (no icon, check box or wrapping) drawn in
    // the place and colour the style gives it; false for any other cell.
    bool PaintPlainCell(QPainter* painter, QStyleOptionViewItem& cell) const;

    QHash<int, Qt::Alignment> alignments_;
};

// Read-only, whole-row, single selection, no tree decoration, grid lines; the
// given columns (and their headings) centred. A list other than a
// QTreeWidget must have its model, which keeps the headings' alignment.
void SetReportStyle(QTreeView* list, std::initializer_list<int> centredColumns);

// A scroll bar the style paints whole is marked so: moving it (each answer
// in the compilation editor scrolls the question list) then repaints the bar
// alone, without the list's frame, the box around it and the window beneath.
void LetScrollBarsRepaintAlone(QAbstractScrollArea* area);
