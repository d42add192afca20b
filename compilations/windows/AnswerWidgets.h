// The controls of the compilation editor that change on every answer: each
// repaints alone (see TStillBackground), without the box around it.
#pragma once

#include "StillBackground.h"

#include <QLabel>
#include <QPushButton>

// The text of the question being answered: word-wrapped, and of a size that
// does not follow its text, which changes with every answer; a label that
// asked for a new size each time would have the whole window laid out again
// on every key. It asks for room for a few lines and takes what its row gives
// it; its tooltip carries a question too long to show whole.
class TQuestionLabel : public TStillBackground<QLabel> {
public:
    using TStillBackground<QLabel>::TStillBackground;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return false; }
    int heightForWidth(int) const override { return -1; }

    static constexpr int kLines = 3;
};

// The total points.
class TPointsLabel : public TStillBackground<QLabel> {
public:
    using TStillBackground<QLabel>::TStillBackground;
};

// "Sì", "A volte", "No", "Non so": two of them change at each answer, and
// each has only a few looks (up or down, in an active window or not). Each
// look is drawn once, over the still background, and then copied: drawn
// through the answer style sheet every time, the two buttons cost a sixth
// of each answer key.
class TAnswerButton : public TStillBackground<QPushButton> {
public:
    using TStillBackground<QPushButton>::TStillBackground;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TLook {
        int state;
        int features;
        QString text;
        qint64 background;
        QPixmap picture;
    };
    QList<TLook> looks_;
};
