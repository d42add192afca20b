// Another educator's program on the school's server, for the tests of two
// programs at once: it opens the compilations list on the server database and
// acts on one compilation through the program's own windows.
//
//   CompilationClient CONNECTION save|delete DESCRIPTION ANSWER
//
// save    opens the compilation in the editor, answers every question with
//         ANSWER (the stored code) and describes it "ANSWER-DESCRIPTION"
// delete  selects the compilation in the list
//
// Then it writes "ready" on standard output and waits for a line on standard
// input before it presses OK (save) or "Elimina" and confirms (delete), so
// that the test decides when the programs act, at once or one after the
// other. Last it writes "saved", "deleted", or the kind and text of every
// message the program showed, one a line ("warning: ...").
#include "CompilationMessages.h"
#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "Questions.h"
#include "TestEnvironment.h"
#include "UnitTableEdit.h"
#include "UnitTables.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void AwaitGo()
{
    Say(QStringLiteral("ready"));
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        std::exit(3);
}

// The messages shown but the one asked for (empty: none), or ok when there
// were no others.
void Report(const QString& ok, const QString& asked = QString())
{
    QStringList lines;
    for (const DialogScript::Shown& box : DialogScript::ShownDialogs())
        if (box.text != asked)
            lines << box.kind + QStringLiteral(": ") + QString(box.text).replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    Say(lines.isEmpty() ? ok : lines.join(QLatin1Char('\n')));
}

} // namespace

int main(int argc, char** argv)
{
    PrepareTestEnvironment();
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: CompilationClient CONNECTION save|delete DESCRIPTION ANSWER\n");
        return 1;
    }
    const QString action = QString::fromUtf8(argv[2]);
    const QString description = QString::fromUtf8(argv[3]);
    const int answer = QString::fromUtf8(argv[4]).toInt();
    DialogScript::Begin();
    try {
        TDatabase* database = TDatabase::GetInstance();
        database->SetConnectionTemplate(QString::fromUtf8(argv[1]));
        database->Open(QString());
        TFormTables window(nullptr);
        QTreeView* list = window.ListViewData();
        const QAbstractItemModel* rows = list->model();
        int row = 0;
        while (row < rows->rowCount() && rows->index(row, 3).data().toString() != description)
            ++row;
        if (row == rows->rowCount())
            throw Exception(QStringLiteral("no compilation ") + description);
        list->setCurrentIndex(rows->index(row, 0));

        if (action == QLatin1String("delete")) {
            AwaitGo();
            DialogScript::PushAnswer(TBoxAnswer::Yes);
            window.BitBtnDeleteClick();
            Report(QStringLiteral("deleted"), Message11300());
        } else {
            bool edited = false;
            QTimer::singleShot(0, &window, [&] {
                auto* editor = qobject_cast<TFormTableEdit*>(QApplication::activeModalWidget());
                if (!editor)
                    return;
                editor->findChild<QLineEdit*>(QStringLiteral("EditDescription"))
                    ->setText(QStringLiteral("%1-%2").arg(answer).arg(description));
                TQuestions& questionnaire = editor->Questionnaire();
                for (int i = 0; i < questionnaire.QuestionCount(); ++i)
                    questionnaire.SetAnswer(i, static_cast<std::uint8_t>(answer));
                AwaitGo();
                // Told that the compilation changed meanwhile: keep the window.
                DialogScript::PushAnswer(TBoxAnswer::No);
                editor->BitBtnOKClick();
                Report(QStringLiteral("saved"));
                edited = true;
                if (editor->isVisible()) {
                    DialogScript::PushAnswer(TBoxAnswer::Yes); // closing loses the changes
                    editor->reject();
                }
            });
            window.BitBtnEditClick();
            if (!edited)
                throw Exception(QStringLiteral("the editor did not come up"));
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "compilation-client: %s\n", qPrintable(e.Message()));
        return 2;
    }
    TDatabase::ReleaseInstance();
    return 0;
}
