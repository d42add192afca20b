#include "AnswerWidgets.h"

QSize TQuestionLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {margins.left() + margins.right() + 2 * margin(),
            kLines * fontMetrics().lineSpacing() + margins.top() + margins.bottom() + 2 * margin()};
}

QSize TQuestionLabel::sizeHint() const
{
    return minimumSizeHint();
}
