// The list window and edit dialog framework, driven through the children and
// areas windows, and the fill functions on real recordsets.
#include "RecordWindowsTestSupport.h"

#include "FillFunctions.h"
#include "RecordListModel.h"
#include "RecordMessages.h"
#include "UnitOperationInProgress.h"

#include <QAccessible>
#include <QGroupBox>
#include <QHeaderView>
#include <stdexcept>

namespace {

class RecordFrameworkTest : public RecordWindowTest {
protected:
    // Four children, listed Anna, Bruno, Carla, Dario.
    void AddFourChildren()
    {
        for (const char* name : {"Carla", "Anna", "Dario", "Bruno"})
            db_.AddChild(QLatin1String(name));
    }

    void AddChildThroughDialog(const QString& name)
    {
        ClickAndDrive(Button("BitBtnNew"), [name](QDialog* dialog) {
            Type(Field<QLineEdit>(dialog, "EditName"), name);
            ClickOK(dialog);
        });
    }
};

TEST_F(RecordFrameworkTest, EmptyListOffersOnlyNewAndIgnoresDoubleClicks)
{
    Open(TRecordWindow::Areas);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_TRUE(Button("BitBtnNew")->isEnabled());
    EXPECT_FALSE(Button("BitBtnEdit")->isEnabled());
    EXPECT_FALSE(Button("BitBtnDelete")->isEnabled());
    ExpectNoDialog([this] {
        DoubleClick(List()->viewport(), QPoint(20, 10));
        DoubleClick(List()->viewport(), List()->viewport()->rect().center());
    });
    EXPECT_FALSE(Button("BitBtnEdit")->isEnabled());
    EXPECT_TRUE(DialogScript::ShownDialogs().empty());
}

TEST_F(RecordFrameworkTest, ListWindowDisablesItsOwnerUntilClosed)
{
    Open(TRecordWindow::Children);
    EXPECT_FALSE(owner_->isEnabled());
    EXPECT_TRUE(window_->isEnabled());
    QTest::mouseClick(Button("BitBtnClose"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(owner_->isEnabled());
    EXPECT_TRUE(window_.isNull());

    Open(TRecordWindow::Teachers);
    EXPECT_FALSE(owner_->isEnabled());
    QTest::keyClick(window_, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(owner_->isEnabled());
    EXPECT_TRUE(window_.isNull());
}

// Counts the times a widget is enabled or disabled.
class TEnabledChanges : public QObject {
public:
    explicit TEnabledChanges(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::EnabledChange;
        return false;
    }
};

TEST_F(RecordFrameworkTest, SelectionKeepsItsRowIndexAfterNewAndEdit)
{
    AddFourChildren();
    Open(TRecordWindow::Children);
    ClickRow(1); // Bruno
    // A row stays selected throughout: the buttons are never disabled and
    // enabled again (each time repainted) while the list changes.
    const TEnabledChanges editButton(Button("BitBtnEdit"));

    // The new child sorts before the selection; the index stays, so the row
    // selected now shows Anna and the new child is not selected.
    AddChildThroughDialog(QStringLiteral("Aldo"));
    EXPECT_EQ(Column(0), QStringList({"Aldo", "Anna", "Bruno", "Carla", "Dario"}));
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_TRUE(Button("BitBtnEdit")->isEnabled());

    // Editing row 1 edits Anna, who moves to the end; row 1 stays selected.
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) {
        auto* name = Field<QLineEdit>(dialog, "EditName");
        EXPECT_EQ(name->text(), "Anna");
        Replace(name, QStringLiteral("Zoe"));
        ClickOK(dialog);
    });
    EXPECT_EQ(Column(0), QStringList({"Aldo", "Bruno", "Carla", "Dario", "Zoe"}));
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(db_.Count("Children", "Name='Anna'"), 0);
    EXPECT_EQ(editButton.count, 0);
}

TEST_F(RecordFrameworkTest, DoubleClickEditsTheRecordOfThatRow)
{
    AddFourChildren();
    Open(TRecordWindow::Children);
    // Each row opens its own record, whatever order the rows were added in.
    for (int row : {3, 0, 2}) {
        const QString expected = Text(row, 0);
        DriveNextDialog([expected](QDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Modifica dati bambino");
            EXPECT_EQ(Field<QLineEdit>(dialog, "EditName")->text(), expected);
            ClickCancel(dialog);
        });
        DoubleClickRow(row);
        QCoreApplication::processEvents();
    }
}

TEST_F(RecordFrameworkTest, CancelledDialogsAndRefusedDeletionsDoNotReload)
{
    AddFourChildren();
    Open(TRecordWindow::Children);
    ClickRow(1);
    const TListSnapshot before = Snapshot();

    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        Type(Field<QLineEdit>(dialog, "EditName"), QStringLiteral("Elena"));
        ClickCancel(dialog);
    });
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) {
        Replace(Field<QLineEdit>(dialog, "EditName"), QStringLiteral("Elena"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    DialogScript::PushAnswer(TBoxAnswer::No);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);
    DialogScript::PushAnswer(TBoxAnswer::Cancel);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);

    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(db_.Count("Children"), 4);
    EXPECT_EQ(db_.Count("Children", "Name='Elena'"), 0);
    EXPECT_EQ(DialogScript::Texts("question"), QStringList({Message11005(), Message11005()}));
}

TEST_F(RecordFrameworkTest, DeletionSelectsTheFollowingRowOrNothingAfterTheLast)
{
    AddFourChildren();
    Open(TRecordWindow::Children);

    ClickRow(1);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);
    EXPECT_EQ(Column(0), QStringList({"Anna", "Carla", "Dario"}));
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_TRUE(Button("BitBtnDelete")->isEnabled());

    ClickRow(2);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);
    EXPECT_EQ(Column(0), QStringList({"Anna", "Carla"}));
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_FALSE(Button("BitBtnEdit")->isEnabled());
    EXPECT_FALSE(Button("BitBtnDelete")->isEnabled());
    EXPECT_EQ(Rows("SELECT Name FROM Children ORDER BY Name"), QStringList({"Anna", "Carla"}));
    EXPECT_TRUE(DialogScript::Texts("warning").isEmpty());
}

TEST_F(RecordFrameworkTest, FailedDeletionReportsAndKeepsTheList)
{
    AddFourChildren();
    Open(TRecordWindow::Children);
    ClickRow(2);
    const TListSnapshot before = Snapshot();
    // Carla disappears behind the window's back: her row cannot be deleted.
    db_.Db().Execute(QStringLiteral("DELETE FROM Children WHERE Name='Carla'"));

    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);
    const QStringList warnings = DialogScript::Texts("warning");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message11008() + "NYADO exception: ")) << warnings[0].toStdString();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(db_.Count("Children"), 3);

    // The list still maps its rows to the right records.
    DriveNextDialog([](QDialog* dialog) {
        EXPECT_EQ(Field<QLineEdit>(dialog, "EditName")->text(), "Dario");
        ClickCancel(dialog);
    });
    DoubleClickRow(3);
    QCoreApplication::processEvents();
}

// Esc and the close box run the "Annulla" handling: the new record pending
// in the list's recordset is dropped, so it cannot be written later.
TEST_F(RecordFrameworkTest, ClosingTheDialogWithoutOKLeavesNoPendingRecord)
{
    Open(TRecordWindow::Children);
    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        Type(Field<QLineEdit>(dialog, "EditName"), QStringLiteral("Esc"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        Type(Field<QLineEdit>(dialog, "EditName"), QStringLiteral("Chiusura"));
        dialog->close();
    });
    EXPECT_EQ(window_->Recordset()->RecordCount(), 0);
    AddChildThroughDialog(QStringLiteral("Gina"));
    EXPECT_EQ(Rows("SELECT Name FROM Children"), QStringList({"Gina"}));
    EXPECT_EQ(Column(0), QStringList({"Gina"}));
}

TEST_F(RecordFrameworkTest, ColumnsTakeTheirWidthsAndAlignmentFromTheLayout)
{
    db_.AddChild(QStringLiteral("Anna"));
    db_.Db().Execute(QStringLiteral("UPDATE Children SET Info='prima riga\r\nseconda riga'"));
    Open(TRecordWindow::Children);
    EXPECT_EQ(List()->columnWidth(0), 130);
    // Wide enough for the caption "Data di nascita" in any font.
    EXPECT_GE(List()->columnWidth(1), 90);
    EXPECT_GE(List()->columnWidth(1), List()->fontMetrics().horizontalAdvance("Data di nascita"));
    const QAbstractItemModel* rows = List()->model();
    for (int column : {1, 2}) {
        SCOPED_TRACE(column);
        const Qt::Alignment centred = column == 1 ? Qt::AlignHCenter : Qt::Alignment();
        EXPECT_EQ(Qt::Alignment(rows->index(0, column).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
                  centred);
        EXPECT_EQ(Qt::Alignment(rows->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt())
                      & Qt::AlignHorizontal_Mask,
                  centred);
    }
    EXPECT_EQ(rows->headerData(1, Qt::Horizontal).toString(), "Data di nascita");
    EXPECT_EQ(Text(0, 1), "04/03/2020");
    // A note of several lines keeps its row one line high.
    EXPECT_EQ(Text(0, 2), "prima riga seconda riga");
}

TEST_F(RecordFrameworkTest, EveryReachableControlHasAnAccessibleName)
{
    db_.AddArea(1, QStringLiteral("Linguaggio"));
    db_.AddPhase(1, QStringLiteral("Prima"));
    db_.AddQuestion(1, 1, 1, QStringLiteral("Domanda"));
    db_.AddChild(QStringLiteral("Anna"));
    db_.AddTeacher(QStringLiteral("Bice"));

    auto unnamed = [](QWidget* form) {
        QStringList names;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            // A widget that hands its focus on (the text part of the date
            // picker) is reached as the one it hands it to.
            if (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy() || widget->isWindow()
                || !widget->isVisibleTo(form))
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
                names << widget->objectName() + " (" + widget->metaObject()->className() + ")";
        }
        return names;
    };

    for (TRecordWindow which : {TRecordWindow::Children, TRecordWindow::Teachers, TRecordWindow::Areas,
                                TRecordWindow::Phases, TRecordWindow::Questions}) {
        Open(which);
        EXPECT_EQ(unnamed(window_), QStringList()) << window_->windowTitle().toStdString();
        for (bool edit : {false, true}) {
            if (edit)
                ClickRow(0);
            ClickAndDrive(Button(edit ? "BitBtnEdit" : "BitBtnNew"), [&unnamed](QDialog* dialog) {
                EXPECT_EQ(unnamed(dialog), QStringList()) << dialog->windowTitle().toStdString();
                ClickCancel(dialog);
            });
        }
        delete window_.data();
    }
}

// The fill functions on recordsets of the database.

class FillFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_.AddArea(1, QStringLiteral("Autonomia"));
        db_.AddArea(3, QStringLiteral("Linguaggio"));
        db_.AddArea(7, QStringLiteral("Motricit\u00e0"));
    }

    TestDatabase db_;
    QComboBox combo_;
};

TEST_F(FillFunctionsTest, FillComboBoxWithAndWithoutIdKeepsThePosition)
{
    auto areas = db_.Db().OpenRecordset(QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea"));
    areas->SetAbsolutePosition(2);
    FillComboBox(&combo_, *areas, true);
    ASSERT_EQ(combo_.count(), 3);
    EXPECT_EQ(combo_.itemText(1), "3 (Linguaggio)");
    EXPECT_EQ(combo_.itemText(2), "7 (Motricit\u00e0)");
    EXPECT_EQ(areas->GetAbsolutePosition(), 2);

    combo_.addItem(QStringLiteral("vecchia voce"));
    FillComboBox(&combo_, *areas, false);
    EXPECT_EQ(combo_.count(), 3);
    EXPECT_EQ(combo_.itemText(1), "Linguaggio");
    EXPECT_EQ(areas->GetAbsolutePosition(), 2);

    auto ids = db_.Db().OpenRecordset(QStringLiteral("SELECT IDArea FROM Areas ORDER BY IDArea"));
    FillComboBox(&combo_, *ids, true);
    EXPECT_EQ(combo_.itemText(2), "7");
    FillComboBox(&combo_, *ids, false);
    EXPECT_EQ(combo_.count(), 3);
    EXPECT_EQ(combo_.itemText(0), "");
}

TEST_F(FillFunctionsTest, RangeAndSelectionByIndex)
{
    FillComboBoxRange(&combo_, 1, 255);
    ASSERT_EQ(combo_.count(), 255);
    EXPECT_EQ(combo_.itemText(0), "1");
    EXPECT_EQ(combo_.itemText(254), "255");

    SelectComboBoxItem(&combo_, 6, -1);
    EXPECT_EQ(combo_.currentText(), "7");
    SelectComboBoxItem(&combo_, 300, -1);
    EXPECT_EQ(combo_.currentIndex(), -1);
    SelectComboBoxItem(&combo_, 300, 0);
    EXPECT_EQ(combo_.currentIndex(), -1);

    FillComboBoxRange(&combo_, 5, 4);
    EXPECT_EQ(combo_.count(), 0);
}

TEST_F(FillFunctionsTest, SelectByIdLeavesTheRecordsetOnTheMatch)
{
    auto areas = db_.Db().OpenRecordset(QStringLiteral("SELECT IDArea, Description FROM Areas ORDER BY IDArea"));
    FillComboBox(&combo_, *areas, true);
    SelectComboBoxById(&combo_, *areas, QStringLiteral("IDArea"), 7);
    EXPECT_EQ(combo_.currentIndex(), 2);
    EXPECT_EQ(areas->GetFieldAsString(QStringLiteral("Description")), "Motricit\u00e0");

    SelectComboBoxById(&combo_, *areas, QStringLiteral("IDArea"), 4);
    EXPECT_EQ(combo_.currentIndex(), 2);
    EXPECT_TRUE(areas->Eof());
}

TEST_F(FillFunctionsTest, AListFillLeavesColumnsBeyondTheFieldsEmpty)
{
    TRecordListModel list({"A", "B", "C"}, {});
    auto areas = db_.Db().OpenRecordset(QStringLiteral("SELECT * FROM Areas ORDER BY IDArea"));
    list.Fill(*areas, {QStringLiteral("Description"), QStringLiteral("NoSuchField")});
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.index(1, 0).data().toString(), "Linguaggio");
    EXPECT_EQ(list.index(1, 1).data().toString(), "");
    EXPECT_EQ(list.index(1, 2).data().toString(), "");
    EXPECT_TRUE(areas->Eof());
}

} // namespace

namespace {

// A list window whose form lacks one control (index into the six, or -1 for
// none): the framework refuses it in every build rather than crash on the
// missing control later.
class IncompleteListWindow : public TFormRSShow {
public:
    explicit IncompleteListWindow(int missing)
        : TFormRSShow(nullptr)
    {
        for (QWidget* part : std::initializer_list<QWidget*>{&group, &list, &new_, &edit, &delete_, &close_})
            part->setParent(this);
        TRecordListControls controls{&group, &list, &new_, &edit, &delete_, &close_};
        switch (missing) {
        case 0: controls.GroupBoxData = nullptr; break;
        case 1: controls.ListViewData = nullptr; break;
        case 2: controls.BitBtnNew = nullptr; break;
        case 3: controls.BitBtnEdit = nullptr; break;
        case 4: controls.BitBtnDelete = nullptr; break;
        case 5: controls.BitBtnClose = nullptr; break;
        }
        Initialize(controls);
    }

protected:
    QString GetSelectSQL() override { return QStringLiteral("SELECT * FROM Children"); }
    void GetColumnFields(QStringList& fields) override { fields << QStringLiteral("Name"); }
    TFormRSEdit* CreateEditForm(bool, TNyRecordset&) override { return nullptr; }
    bool ConfirmDelete() override { return false; }
    void ShowDeleteError(const QString&) override {}

private:
    QGroupBox group;
    QTreeView list;
    QPushButton new_, edit, delete_, close_;
};

} // namespace

TEST(ListWindowControls, EveryControlMustBeHandedOver)
{
    TestDatabase db;
    db.AddChild(QStringLiteral("Anna"));
    {
        IncompleteListWindow complete(-1);
        EXPECT_EQ(complete.ListViewData()->model()->rowCount(), 1);
    }
    for (int missing = 0; missing < 6; ++missing) {
        SCOPED_TRACE(missing);
        EXPECT_THROW(IncompleteListWindow window(missing), std::invalid_argument);
    }
}

// The busy window leaves its caller as it found it on every way out; the
// caller is disabled only while progress messages let events through.
TEST(OperationInProgress, CallerIsDisabledOnlyWhileMessagesFlowAndAlwaysRestored)
{
    for (const bool withMessages : {false, true}) {
        for (const bool fails : {false, true}) {
            SCOPED_TRACE(QStringLiteral("messages %1, fails %2").arg(withMessages).arg(fails).toStdString());
            QWidget caller;
            caller.show();
            try {
                TOperationInProgress progress(&caller, QStringLiteral("Attendere..."));
                EXPECT_TRUE(caller.isEnabled());
                EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
                if (withMessages) {
                    progress.SetMessage(QStringLiteral("1 di 2"));
                    EXPECT_FALSE(caller.isEnabled());
                }
                if (fails)
                    throw std::runtime_error("work failed");
            } catch (const std::runtime_error&) {
            }
            EXPECT_TRUE(caller.isEnabled());
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        }
    }
}
