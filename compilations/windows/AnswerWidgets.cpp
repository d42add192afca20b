#include "AnswerWidgets.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

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

void TAnswerButton::paintEvent(QPaintEvent*)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QPixmap& background = StillPicture();
    const qint64 backgroundKey = background.cacheKey();
    auto look = std::find_if(looks_.cbegin(), looks_.cend(), [&](const TLook& kept) {
        return kept.state == int(option.state) && kept.features == int(option.features) && kept.text == option.text
            && kept.background == backgroundKey;
    });
    if (look == looks_.cend()) {
        // A handful of looks at most; more means a stale background.
        if (looks_.size() >= 8)
            looks_.clear();
        const qreal ratio = devicePixelRatioF();
        QPixmap picture(size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        {
            // The button drawn as QPushButton draws itself, with the pen and
            // font a painter on the widget would start with.
            QStylePainter painter(&picture, this);
            if (!background.isNull())
                painter.drawPixmap(0, 0, background);
            painter.setPen(QPen(palette().brush(foregroundRole()), 1));
            painter.setBackground(palette().brush(backgroundRole()));
            painter.setFont(QFont(font(), this));
            painter.drawControl(QStyle::CE_PushButton, option);
        }
        looks_.append({int(option.state), int(option.features), option.text, backgroundKey, picture});
        look = looks_.cend() - 1;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, look->picture);
}

void TAnswerButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
        looks_.clear();
        break;
    default:
        break;
    }
    TStillBackground<QPushButton>::changeEvent(event);
}

void TAnswerButton::resizeEvent(QResizeEvent* event)
{
    looks_.clear();
    TStillBackground<QPushButton>::resizeEvent(event);
}
