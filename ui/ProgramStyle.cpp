#include "ProgramStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <qdrawutil.h>
#include <QGroupBox>
#include <QImageReader>
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
        if (element == PE_FrameGroupBox && baseStyle()->name() == QLatin1String("fusion")) {
            if (groupBoxFrame_.isNull())
                groupBoxFrame_ = StylePicture(QStringLiteral("fusion_groupbox.png"));
            if (!groupBoxFrame_.isNull()) {
                DrawFusionGroupBoxFrame(*option, painter, widget);
                return;
            }
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    // Qt's styles read a few of their pictures from files without naming the
    // format, and an image read so has every image-format plugin of the
    // system loaded and asked whether the picture is theirs: six libraries
    // (SVG, GIF, JPEG, icons) and 0.4 MB kept for the rest of the run, by any
    // window with a group box or a search field. The program reads the same
    // pictures as the PNG files they are, and draws them where Qt would.
    QPixmap standardPixmap(StandardPixmap standardPixmap, const QStyleOption* option,
                           const QWidget* widget) const override
    {
        const bool leftToRight =
            !(option && option->direction == Qt::RightToLeft) && !(widget && widget->isRightToLeft());
        if (standardPixmap == SP_LineEditClearButton && leftToRight) {
            const QPixmap picture = StylePicture(QStringLiteral("cleartext-16.png"));
            if (!picture.isNull())
                return picture;
        }
        return QProxyStyle::standardPixmap(standardPixmap, option, widget);
    }

private:
    static QPixmap StylePicture(const QString& name)
    {
        QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/") + name, "png");
        reader.setAutoDetectImageFormat(false);
        return QPixmap::fromImage(reader.read());
    }

    // Fusion's group box frame: its picture stretched over the box below
    // the caption.
    void DrawFusionGroupBoxFrame(const QStyleOption& option, QPainter* painter, const QWidget* widget) const
    {
        const int belowCaption = 3;
        const auto* box = qobject_cast<const QGroupBox*>(widget);
        const int top = box && !box->isCheckable() && box->title().isEmpty()
            ? belowCaption
            : qMax(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight), option.fontMetrics.height()) + belowCaption;
        qDrawBorderPixmap(painter, option.rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6), groupBoxFrame_);
    }

    mutable QPixmap groupBoxFrame_;

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
