#include "LayoutShield.h"

#include <QLayout>

TLayoutShield::TLayoutShield(QWidget* child)
    : TStillBackground<QWidget>(child->parentWidget())
    , child_(child)
{
    setObjectName(child->objectName() + QStringLiteral("Shield"));
    if (QWidget* parent = child->parentWidget(); parent && parent->layout())
        delete parent->layout()->replaceWidget(child, this);
    child->setParent(this);
    child->move(0, 0);
    child->show();
    TakeChildHints();
}

TLayoutShield::THints TLayoutShield::ChildHints() const
{
    return {child_->sizeHint(), child_->minimumSizeHint(), child_->minimumSize(), child_->maximumSize(),
            child_->sizePolicy()};
}

void TLayoutShield::TakeChildHints()
{
    hints_ = ChildHints();
    setSizePolicy(hints_.Policy);
    setMinimumSize(hints_.MinimumSize);
    setMaximumSize(hints_.MaximumSize);
    updateGeometry();
}

QSize TLayoutShield::sizeHint() const
{
    return child_->sizeHint();
}

QSize TLayoutShield::minimumSizeHint() const
{
    return child_->minimumSizeHint();
}

bool TLayoutShield::hasHeightForWidth() const
{
    return child_->hasHeightForWidth();
}

int TLayoutShield::heightForWidth(int width) const
{
    return child_->heightForWidth(width);
}

bool TLayoutShield::event(QEvent* event)
{
    // The child's call for a new layout, posted here as to any parent
    // without a layout of its own.
    if (event->type() == QEvent::LayoutRequest) {
        if (!(ChildHints() == hints_))
            TakeChildHints();
        return true;
    }
    // A hidden child asks nothing: what changed meanwhile counts at the show.
    if (event->type() == QEvent::Show && !(ChildHints() == hints_))
        TakeChildHints();
    return TStillBackground<QWidget>::event(event);
}

void TLayoutShield::resizeEvent(QResizeEvent* event)
{
    child_->setGeometry(rect());
    TStillBackground<QWidget>::resizeEvent(event);
}
