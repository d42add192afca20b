#include "ProgramStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QPainter>
#include <QPixmapCache>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace {

const char kBlueCaption[] = "balteroBlueCaption";

class TProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box || !widget || !widget->property(kBlueCaption).toBool()) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QColor blue(0x00, 0x00, 0xff);
        QStyleOptionGroupBox blueCaption = *box;
        blueCaption.textColor = blue;
        blueCaption.palette.setColor(QPalette::WindowText, blue);
        QProxyStyle::drawComplexControl(control, &blueCaption, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto* focus = qstyleoption_cast<const QStyleOptionFocusRect*>(option);
        // A tree view draws its focused row's frame with no widget given.
        if (element == PE_FrameFocusRect && focus && (!widget || qobject_cast<const QAbstractItemView*>(widget))
            && painter->transform().type() <= QTransform::TxTranslate && !option->rect.isEmpty()) {
            DrawListFocus(*focus, painter, widget);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    // The frame around a list's focused row is an antialiased rounded
    // rectangle with a gradient, as costly to draw as all the row's cells
    // together, and the focus moves on every answer in the compilation
    // editor: it is drawn once per size and colour into a picture that is
    // then only copied.
    void DrawListFocus(const QStyleOptionFocusRect& focus, QPainter* painter, const QWidget* widget) const
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QString key = QStringLiteral("baltero-focus-%1x%2@%3-%4-%5-%6")
                                .arg(focus.rect.width())
                                .arg(focus.rect.height())
                                .arg(ratio)
                                .arg(focus.palette.color(QPalette::Highlight).rgba())
                                .arg(focus.backgroundColor.rgba())
                                .arg(int(focus.state));
        QPixmap frame;
        if (!QPixmapCache::find(key, &frame)) {
            frame = QPixmap(focus.rect.size() * ratio);
            frame.setDevicePixelRatio(ratio);
            frame.fill(Qt::transparent);
            QStyleOptionFocusRect atOrigin = focus;
            atOrigin.rect.moveTopLeft(QPoint(0, 0));
            QPainter framePainter(&frame);
            QProxyStyle::drawPrimitive(PE_FrameFocusRect, &atOrigin, &framePainter, widget);
            framePainter.end();
            QPixmapCache::insert(key, frame);
        }
        painter->drawPixmap(focus.rect.topLeft(), frame);
    }
};

} // namespace

void UseProgramStyle()
{
    if (!qApp || dynamic_cast<TProgramStyle*>(QApplication::style()))
        return;
    // The desktop's style, or the one the user asked for, underneath.
    QApplication::setStyle(new TProgramStyle(QApplication::style()->name()));
}

void ShowCaptionInBlue(QGroupBox* box)
{
    if (!box || box->property(kBlueCaption).toBool())
        return;
    UseProgramStyle();
    box->setProperty(kBlueCaption, true);
    box->update();
}
