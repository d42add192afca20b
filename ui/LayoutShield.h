// A label whose text changes at every key without the window laid out again.
#pragma once

#include "StillBackground.h"

#include <QSizePolicy>

// A label's new text asks for a new layout. Qt answers by laying out the
// label's box and then, because the box's layout asks the same of the box,
// the whole window, even when the label wants the same room as before: in
// the compilation editor that was a twelfth of every answer key. The shield
// takes the label's place in its layout and holds the label, filling it: the
// label's request stops here and goes on only when the label's size hints or
// size policy have changed. The shield draws the still picture of its parent
// beneath the label, so that a label drawn over a still background still
// finds its parent's look.
class TLayoutShield : public TStillBackground<QWidget> {
public:
    // Takes the child's place in its parent's layout, and the child in.
    explicit TLayoutShield(QWidget* child);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct THints {
        QSize Size, Minimum, MinimumSize, MaximumSize;
        QSizePolicy Policy;
        bool operator==(const THints& other) const
        {
            return Size == other.Size && Minimum == other.Minimum && MinimumSize == other.MinimumSize
                && MaximumSize == other.MaximumSize && Policy == other.Policy;
        }
    };
    THints ChildHints() const;
    void TakeChildHints();

    QWidget* child_;
    THints hints_;
};
