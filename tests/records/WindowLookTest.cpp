// What the record windows look like: list rows tall enough for their font and
// the edit dialogs' fields in one column.
#include "RecordWindowsTestSupport.h"

#include <QDebug>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>

namespace {

class WindowLookTest : public RecordWindowTest {
protected:
    void TearDown() override
    {
        RecordWindowTest::TearDown();
        QApplication::setFont(font_);
    }

    QFont font_ = QApplication::font();
};

TEST_F(WindowLookTest, ListRowsHoldTheWholeLineAboveTheGridAtAnyFontSize)
{
    db_.AddChild(QStringLiteral("Giorgio Pasquale"));
    db_.AddChild(QStringLiteral("Filippo"));
    for (int pointSize : {9, 16}) {
        SCOPED_TRACE(pointSize);
        QFont font = font_;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        Open(TRecordWindow::Children);
        const QFontMetrics metrics = List()->fontMetrics();
        ASSERT_EQ(RowCount(), 2);
        for (int row = 0; row < RowCount(); ++row)
            // The grid line takes the row's last pixel line.
            EXPECT_GE(List()->visualRect(List()->model()->index(row, 0)).height() - 1, metrics.lineSpacing());
        delete window_.data();
    }
}

TEST_F(WindowLookTest, EditDialogsStartTheirLabelsAndFieldsAtTheSameDistanceFromTheLeft)
{
    db_.AddArea(1, QStringLiteral("Linguaggio"));
    db_.AddPhase(1, QStringLiteral("Prima"));
    QMap<int, QStringList> labelEdges, fieldEdges; // left edge in the dialog: dialog captions
    for (TRecordWindow which : {TRecordWindow::Children, TRecordWindow::Teachers, TRecordWindow::Areas,
                                TRecordWindow::Phases, TRecordWindow::Questions}) {
        Open(which);
        ClickAndDrive(Button("BitBtnNew"), [&](QDialog* dialog) {
            auto* form = qobject_cast<QFormLayout*>(Field<QGroupBox>(dialog, "GroupBoxData")->layout());
            ASSERT_NE(form, nullptr);
            for (int row = 0; row < form->rowCount(); ++row) {
                QWidget* label = form->itemAt(row, QFormLayout::LabelRole)->widget();
                QWidget* field = form->itemAt(row, QFormLayout::FieldRole)->widget();
                const QString where = dialog->windowTitle() + " " + label->objectName();
                labelEdges[label->mapTo(dialog, QPoint(0, 0)).x()] << where;
                fieldEdges[field->mapTo(dialog, QPoint(0, 0)).x()] << where;
                // The widest label is not cut.
                EXPECT_GE(label->width(), label->sizeHint().width()) << where.toStdString();
            }
            ClickCancel(dialog);
        });
        delete window_.data();
    }
    EXPECT_EQ(labelEdges.size(), 1) << QDebug::toString(labelEdges).toStdString();
    EXPECT_EQ(fieldEdges.size(), 1) << QDebug::toString(fieldEdges).toStdString();
}

} // namespace
