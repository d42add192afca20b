// Driving the record windows as a user does: the main window stands by
// disabled, rows are clicked, dialogs are typed into from inside their own
// event loop, and message boxes are answered by the script of Dialogs.h.
#pragma once

#include "Dialogs.h"
#include "RecordWindows.h"
#include "Settings.h"
#include "TestDatabase.h"
#include "UnitRSShow.h"
#include "TestText.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

class RecordWindowTest : public ::testing::Test {
protected:
    explicit RecordWindowTest(TestProvider provider = TestProvider::File)
        : db_(provider)
    {
    }

    void SetUp() override
    {
        if (db_.OnServer() && TestDatabase::ServerConnection().isEmpty())
            GTEST_SKIP() << "no test server: BALTERO_TEST_PG is not set (scripts/test.sh starts one)";
        DialogScript::Begin();
        owner_ = std::make_unique<QWidget>();
        owner_->show();
    }

    void TearDown() override
    {
        if (IsSkipped())
            return;
        delete window_.data();
        owner_.reset();
        DialogScript::End();
        // A list order or window place chosen in one test is not the next one's.
        TSettings::ReleaseInstance();
    }

    TFormRSShow* Open(TRecordWindow which)
    {
        window_ = CreateRecordWindow(which, owner_.get());
        listFills_ = 0;
        QObject::connect(window_->ListViewData()->model(), &QAbstractItemModel::modelReset, window_,
                         [this] { ++listFills_; });
        window_->show();
        return window_;
    }

    QTreeView* List() const { return window_->ListViewData(); }
    QPushButton* Button(const char* name) const { return ButtonOf(window_, name); }

    static QPushButton* ButtonOf(QWidget* form, const char* name)
    {
        auto* button = form->findChild<QPushButton*>(QLatin1String(name));
        EXPECT_NE(button, nullptr) << name;
        return button;
    }

    int RowCount() const { return List()->model()->rowCount(); }
    QString Text(int row, int column) const { return List()->model()->index(row, column).data().toString(); }

    // The text of one column of every row shown, top to bottom.
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < RowCount(); ++row)
            texts << Text(row, column);
        return texts;
    }

    // What the list shows, and how often it was filled afresh since the
    // window opened: equal snapshots are the same rows, not read again.
    struct TListSnapshot {
        int fills = 0;
        QList<QStringList> rows;
        bool operator==(const TListSnapshot&) const = default;
        friend void PrintTo(const TListSnapshot& s, std::ostream* out)
        {
            *out << s.fills << " fills";
            for (const QStringList& row : s.rows)
                *out << "\n  " << row.join(QLatin1String(" | ")).toStdString();
        }
    };
    TListSnapshot Snapshot() const
    {
        TListSnapshot snapshot{listFills_, {}};
        for (int row = 0; row < RowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < List()->model()->columnCount(); ++column)
                cells << Text(row, column);
            snapshot.rows << cells;
        }
        return snapshot;
    }
    int ListFills() const { return listFills_; }

    int SelectedRow() const
    {
        const QModelIndexList selected = List()->selectionModel()->selectedIndexes();
        return selected.isEmpty() ? -1 : selected.first().row();
    }

    QPoint RowPoint(int row) const
    {
        const QModelIndex index = List()->model()->index(row, 0);
        EXPECT_TRUE(index.isValid()) << "no row " << row;
        List()->scrollTo(index);
        return List()->visualRect(index).center();
    }

    void ClickRow(int row) { QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(row)); }
    void DoubleClickRow(int row) { DoubleClick(List()->viewport(), RowPoint(row)); }

    // What the window system delivers for a double-click: a click, then the
    // double-click and its release.
    static void DoubleClick(QWidget* widget, QPoint point)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, point);
        QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
    }

    // Clicks the button; drive runs on the modal dialog the click opens,
    // from inside that dialog's event loop. A dialog that drive leaves open,
    // or no dialog at all, fails the test instead of hanging it.
    static void ClickAndDrive(QPushButton* button, const std::function<void(QDialog*)>& drive)
    {
        DriveNextDialog(drive);
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    static void DriveNextDialog(const std::function<void(QDialog*)>& drive)
    {
        QTimer::singleShot(0, qApp, [drive] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no dialog opened";
                return;
            }
            dialog->activateWindow();
            if (!QTest::qWaitForWindowActive(dialog))
                ADD_FAILURE() << "the dialog did not become the active window";
            drive(dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                dialog->reject();
            }
        });
    }

    // For actions that must not open a dialog: one that opens anyway is
    // closed and fails the test.
    static void ExpectNoDialog(const std::function<void()>& action)
    {
        QTimer::singleShot(0, qApp, [] {
            if (auto* dialog = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a dialog opened: " << dialog->windowTitle().toStdString();
                dialog->close();
            }
        });
        action();
        QCoreApplication::processEvents();
    }

    template <typename T>
    static T* Field(QDialog* dialog, const char* name)
    {
        auto* field = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(field, nullptr) << name;
        return field;
    }

    // Key by key, accented letters too.
    static void TypeText(QWidget* field, const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(field, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    static void Type(QWidget* field, const QString& text)
    {
        field->setFocus();
        TypeText(field, text);
    }

    static void Replace(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        TypeText(field, text);
    }

    static void ClickOK(QDialog* dialog) { QTest::mouseClick(ButtonOf(dialog, "BitBtnOK"), Qt::LeftButton); }
    static void ClickCancel(QDialog* dialog) { QTest::mouseClick(ButtonOf(dialog, "BitBtnCancel"), Qt::LeftButton); }

    QStringList Rows(const QString& sql) { return db_.Rows(sql); }

    TestDatabase db_;
    std::unique_ptr<QWidget> owner_;
    QPointer<TFormRSShow> window_;
    int listFills_ = 0;
};

// The same windows on the file and on the test server (INSTANTIATE_FOR_EACH_PROVIDER).
class ProviderRecordWindowTest : public RecordWindowTest, public ::testing::WithParamInterface<TestProvider> {
protected:
    ProviderRecordWindowTest()
        : RecordWindowTest(GetParam())
    {
    }
};
