// Widgets that repaint without their parent.
#pragma once

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <utility>

// A widget drawn over a still image of what its parent paints beneath it.
// A label or button that does not fill its own background makes its parent
// (a group box: its frame, its tint and its caption) paint again under it
// whenever it changes; in the compilation editor that is on every answer. The
// image is taken from the parent once, and again only when the widget or its
// parent is resized or restyled.
template <typename Widget>
class TStillBackground : public Widget {
public:
    template <typename... Args>
    explicit TStillBackground(Args&&... args)
        : Widget(std::forward<Args>(args)...)
    {
        this->setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (QWidget* parent = this->parentWidget()) {
            const qreal ratio = this->devicePixelRatioF();
            if (background_.isNull() || backgroundGeometry_ != this->geometry() || parentSize_ != parent->size()
                || background_.devicePixelRatio() != ratio) {
                background_ = QPixmap(this->size() * ratio);
                background_.setDevicePixelRatio(ratio);
                background_.fill(Qt::transparent);
                parent->render(&background_, QPoint(), QRegion(this->geometry()), QWidget::DrawWindowBackground);
                backgroundGeometry_ = this->geometry();
                parentSize_ = parent->size();
            }
            QPainter painter(this);
            painter.drawPixmap(0, 0, background_);
        }
        Widget::paintEvent(event);
    }

    void changeEvent(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::EnabledChange:
        case QEvent::ParentChange:
        case QEvent::FontChange:
            background_ = QPixmap();
            break;
        default:
            break;
        }
        Widget::changeEvent(event);
        // A style sheet, polished in before this event, clears the attribute.
        if (event->type() == QEvent::StyleChange)
            this->setAttribute(Qt::WA_OpaquePaintEvent);
    }

private:
    QPixmap background_;
    QRect backgroundGeometry_;
    QSize parentSize_;
};
