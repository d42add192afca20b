// Times the compilation editor window on a 1000-question compilation (10
// areas, 10 phases): opening it, one answer key in the question list with
// auto-advance (answer, row, scores and the repaint that follows), and OK.
// Prints the median and the slowest of each.
//
//   build/release/bench/EditorKeystrokeBench
#include "BenchSupport.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Settings.h"
#include "UnitTableEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QString kListSql = QStringLiteral(
    "SELECT CompiledTables.*, Children.Name, Teachers.Name FROM Teachers INNER JOIN (Children INNER JOIN "
    "CompiledTables ON Children.IDChild = CompiledTables.IDChild) ON Teachers.IDTeacher = CompiledTables.IDTeacher");

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.mdb"));
    CreateDatabaseFile(path);
    OpenDatabaseFile(path);
    TDatabase& db = *TDatabase::GetInstance();
    FillLargeQuestionnaire(db);
    TSettings::GetInstance()->SetAutoAdvancing(true);

    auto list = db.OpenRecordset(kListSql);
    std::unique_ptr<TFormTableEdit> editor;
    const Timing open = Measure(5, [&] {
        editor = std::make_unique<TFormTableEdit>(nullptr, *list, true);
        editor->show();
        QApplication::processEvents();
    });
    auto* questions = editor->findChild<QTreeView*>(QStringLiteral("ListViewData"));
    questions->setFocus();
    const char keys[] = "svno";
    int k = 0;
    const Timing key = Measure(999, [&] {
        QTest::keyClick(questions, keys[k++ % 4]);
        // The repaint the key causes belongs to the keystroke.
        QApplication::processEvents();
    });
    const Timing save = Measure(3, [&] {
        // The timing includes the progress window's show and hide.
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnOK")), Qt::LeftButton);
        editor->show();
    });

    std::printf("questions: %d\n", editor->Questionnaire().QuestionCount());
    std::printf("open the editor            median %8.2f ms, slowest %8.2f ms\n", open.median, open.slowest);
    std::printf("one answer key + repaint   median %8.3f ms, slowest %8.3f ms\n", key.median, key.slowest);
    std::printf("OK (save in a transaction) median %8.2f ms, slowest %8.2f ms\n", save.median, save.slowest);
    editor.reset();
    list.reset();
    TSettings::ReleaseInstance();
    TDatabase::ReleaseInstance();
    return 0;
}
