// The program's style reads some of the desktop style's pictures itself (to
// keep the image-format plugins unloaded): what it draws must be what the
// desktop's style draws, pixel for pixel.
#include "ProgramStyle.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Two group boxes, with a caption and without, and a search field showing
// its clear button.
std::unique_ptr<QWidget> BoxesAndSearchField()
{
    auto window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    auto* captioned = new QGroupBox(QStringLiteral("Cerca"));
    auto* search = new QLineEdit(QStringLiteral("Rossi"));
    search->setClearButtonEnabled(true);
    (new QVBoxLayout(captioned))->addWidget(search);
    layout->addWidget(captioned);
    layout->addWidget(new QGroupBox);
    window->resize(240, 160);
    return window;
}

TEST(ProgramStyle, DrawsGroupBoxesAndTheClearButtonAsTheDesktopStyle)
{
    UseProgramStyle();
    const auto* program = qobject_cast<QProxyStyle*>(QApplication::style());
    ASSERT_TRUE(program);
    const std::unique_ptr<QStyle> desktop(QStyleFactory::create(program->baseStyle()->name()));
    ASSERT_TRUE(desktop);

    const std::unique_ptr<QWidget> styled = BoxesAndSearchField();
    const std::unique_ptr<QWidget> plain = BoxesAndSearchField();
    plain->setStyle(desktop.get());
    for (QWidget* child : plain->findChildren<QWidget*>())
        child->setStyle(desktop.get());

    const QImage drawn = styled->grab().toImage();
    EXPECT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn, plain->grab().toImage());
}

} // namespace
