// Widgets that repaint without their parent.
#pragma once

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <utility>

// What the widgets below share: the parent is drawn once for all of them.
class TStillBackgroundBase {
public:
    virtual ~TStillBackgroundBase() = default;

    virtual void KeepBackground(const QPixmap& parentPicture, qreal ratio) = 0;

protected:
    // Draws the parent alone (its background, frame and caption, none of its
    // children) and gives each of its children drawn this way its piece.
    static void TakeParentPicture(QWidget* parent, qreal ratio)
    {
        QPixmap picture(parent->size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        parent->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        for (QObject* child : parent->children()) {
            if (auto* still = dynamic_cast<TStillBackgroundBase*>(child))
                still->KeepBackground(picture, ratio);
        }
    }
};

// A widget drawn over a still picture of what its parent paints beneath it.
// A label or button that does not fill its own background makes its parent
// (a group box: its frame, its tint and its caption) paint again under it
// whenever it changes; in the compilation editor that is on every answer. The
// picture is taken from the parent once, and again only when the widget or
// its parent is resized or restyled.
template <typename Widget>
class TStillBackground : public Widget, public TStillBackgroundBase {
public:
    template <typename... Args>
    explicit TStillBackground(Args&&... args)
        : Widget(std::forward<Args>(args)...)
    {
        this->setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void KeepBackground(const QPixmap& parentPicture, qreal ratio) override
    {
        const QRect area(this->geometry().topLeft() * ratio, this->size() * ratio);
        background_ = parentPicture.copy(area);
        background_.setDevicePixelRatio(ratio);
        backgroundGeometry_ = this->geometry();
        parentSize_ = this->parentWidget()->size();
    }

protected:
    // What the parent paints beneath this widget, taken again when stale; a
    // widget without a parent has none.
    const QPixmap& StillPicture()
    {
        if (QWidget* parent = this->parentWidget()) {
            const qreal ratio = this->devicePixelRatioF();
            if (background_.isNull() || backgroundGeometry_ != this->geometry() || parentSize_ != parent->size()
                || background_.devicePixelRatio() != ratio)
                TakeParentPicture(parent, ratio);
        }
        return background_;
    }

    void paintEvent(QPaintEvent* event) override
    {
        if (this->parentWidget()) {
            QPainter painter(this);
            painter.drawPixmap(0, 0, StillPicture());
        }
        Widget::paintEvent(event);
    }

    void changeEvent(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::EnabledChange:
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
