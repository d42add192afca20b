// A label behind a layout shield: a new text that wants the same room lays
// out nothing, one that wants more room still gets it.
#include "LayoutShield.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A label whose room does not follow its text, as the question's.
class TSameRoomLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override { return {120, 40}; }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

// A request posted while posted events are delivered waits for the next
// turn: a layout that climbs from box to box takes a few.
void Settle()
{
    for (int turn = 0; turn < 5; ++turn)
        QApplication::processEvents();
}

struct TLayoutCount : QObject {
    int requests = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        requests += event->type() == QEvent::LayoutRequest ? 1 : 0;
        return false;
    }
};

TEST(LayoutShield, ANewTextLaysOutTheWindowOnlyWhenItWantsOtherRoom)
{
    QWidget window;
    auto* box = new QGroupBox(QStringLiteral("Domanda"), &window);
    (new QVBoxLayout(&window))->addWidget(box);
    auto* boxLayout = new QVBoxLayout(box);
    auto* question = new TSameRoomLabel(QStringLiteral("Prima domanda"));
    auto* total = new QLabel(QStringLiteral("1"));
    boxLayout->addWidget(question);
    auto* totalRow = new QHBoxLayout;
    totalRow->addWidget(total);
    totalRow->addStretch();
    boxLayout->addLayout(totalRow);
    new TLayoutShield(question);
    new TLayoutShield(total);
    window.resize(600, 200);
    window.show();
    Settle();
    ASSERT_EQ(question->parentWidget()->geometry(), question->parentWidget()->parentWidget()->layout()
                                                        ->itemAt(0)->geometry());
    EXPECT_EQ(question->size(), question->parentWidget()->size());

    TLayoutCount count;
    window.installEventFilter(&count);
    box->installEventFilter(&count);
    question->setText(QStringLiteral("Una seconda domanda, più lunga della prima"));
    Settle();
    EXPECT_EQ(count.requests, 0);
    EXPECT_EQ(question->size(), question->parentWidget()->size());

    // The total wants more room: its row gives it.
    total->setText(QStringLiteral("Un totale scritto per esteso"));
    Settle();
    EXPECT_GT(count.requests, 0);
    EXPECT_GE(total->width(), total->sizeHint().width());
    EXPECT_EQ(total->size(), total->parentWidget()->size());
}

} // namespace
