#include "OpenedFileCheck.h"

#include "Exception.h"
#include "NyConnection.h"
#include "NyRecordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

bool FileOpensForWriting(const QString& path)
{
    QFile file(path);
    // Opening for writing changes nothing in the file: no truncation, no
    // byte written.
    return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
}

bool FolderTakesNewFiles(const QString& path)
{
    QTemporaryFile probe(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".baltero-probe-XXXXXX")));
    // Removed again by the destructor.
    return probe.open();
}

QStringList QuickCheckProblems(TNyConnection& connection)
{
    QStringList problems;
    try {
        TNyRecordset check(connection);
        check.Open(QStringLiteral("PRAGMA quick_check"));
        for (; !check.Eof(); check.MoveNext()) {
            // The engine names the column after the pragma's full form.
            const QString line = check.GetFieldAsString(check.FieldName(0));
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (problems.isEmpty() && check.RecordCount() == 0)
            problems << QStringLiteral("the quick check gave no result");
    } catch (const Exception& e) {
        // A page the engine cannot even read stops the check: that is damage too.
        problems << e.Message();
    }
    return problems;
}

} // namespace

TOpenedFileCheck CheckOpenedFile(TNyConnection& connection, const QString& path)
{
    TOpenedFileCheck result;
    result.FileWritable = FileOpensForWriting(path);
    result.FolderWritable = FolderTakesNewFiles(path);
    result.Damage = QuickCheckProblems(connection);
    return result;
}
