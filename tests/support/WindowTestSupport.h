// Driving the compilation windows as a user does: clicks on list rows, keys,
// modal dialogs answered from a timer, and snapshots of the stored
// compilations to compare before and after.
#pragma once

#include "Dialogs.h"
#include "NyRecordset.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// The compilations list's query, so that the editor works on the recordset
// it is lent in the program.
inline QString CompilationsListSql()
{
    return QStringLiteral(
        "SELECT CompiledTables.*, Children.Name, Teachers.Name FROM Teachers INNER JOIN (Children INNER JOIN "
        "CompiledTables ON Children.IDChild = CompiledTables.IDChild) ON Teachers.IDTeacher = CompiledTables.IDTeacher "
        "ORDER BY CompiledTables.DateTime, Children.Name, Teachers.Name, CompiledTables.Description, "
        "CompiledTables.IDCompiledTable");
}

// Every stored compilation with its answers and start phases, one text per row.
inline QStringList StoredCompilations(TestDatabase& db)
{
    QStringList rows;
    const char* queries[] = {
        "SELECT 'C' AS T, IDCompiledTable, IDChild, IDTeacher, DateTime, Description FROM CompiledTables "
        "ORDER BY IDCompiledTable",
        "SELECT 'A' AS T, IDCompiledTable, IDQuestion, IDAnswer FROM CompiledTablesAnswers "
        "ORDER BY IDCompiledTable, IDQuestion",
        "SELECT 'S' AS T, IDCompiledTable, IDArea, IDPhase FROM CompiledTablesStartPhase "
        "ORDER BY IDCompiledTable, IDArea",
    };
    for (const char* sql : queries)
        rows << db.Rows(QString::fromLatin1(sql));
    return rows;
}

// Runs the action on the first modal window of type T to come up, from the
// event loop of that window. Returns a flag that tells whether it ran.
template <typename T>
std::shared_ptr<bool> OnModal(std::function<void(T*)> action, int timeoutMs = 10000)
{
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, ran, clock, timeoutMs] {
        if (T* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            *ran = true;
            action(window);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return ran;
}

inline QTreeWidgetItem* Row(QTreeWidget* list, int row)
{
    return list->topLevelItem(row);
}

// A left click in the middle of the row, as the user gives it.
inline void ClickRow(QTreeWidget* list, int row, int column = 0)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    ASSERT_NE(item, nullptr) << "no row " << row;
    list->scrollToItem(item);
    const QRect rect = list->visualItemRect(item);
    const int x = list->header()->sectionViewportPosition(column) + 5;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, rect.center().y()));
}

inline int SelectedRow(QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

inline QStringList Column(QTreeWidget* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        texts << list->topLevelItem(row)->text(column);
    return texts;
}

// The same for a list over a model of its own (the editor's questions).
inline void ClickRow(QTreeView* list, int row, int column = 0)
{
    const QModelIndex index = list->model()->index(row, column);
    ASSERT_TRUE(index.isValid()) << "no row " << row;
    list->scrollTo(index);
    const QRect rect = list->visualRect(index);
    const int x = list->header()->sectionViewportPosition(column) + 5;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, rect.center().y()));
}

inline int SelectedRow(QTreeView* list)
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

inline QStringList Column(QTreeView* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        texts << list->model()->index(row, column).data().toString();
    return texts;
}

// Message boxes and file dialogs answered from a script for the length of a
// test.
struct ScriptedDialogs {
    ScriptedDialogs() { DialogScript::Begin(); }
    ~ScriptedDialogs() { DialogScript::End(); }
};
