#include "SaveReadableReport.h"

#include "CompilationMessages.h"
#include "Dialogs.h"
#include "Exception.h"
#include "PagedPdf.h"
#include "ReadableReportPdf.h"
#include "UnitOperationInProgress.h"

void SaveReadableReportPdf(QWidget* parent, const TReadableReport& report)
{
    const QString fileName = GetSaveFileName(parent, QStringLiteral("Relazione in PDF"),
                                             QStringLiteral("File PDF (*.pdf)"), QStringLiteral("pdf"),
                                             ReadableReportFileName(report));
    if (fileName.isEmpty())
        return;
    QString error;
    try {
        const TOperationInProgress progress(parent, QStringLiteral("Attendere, scrittura della relazione in corso..."));
        SavePdf(fileName, ReadableReportPdf(report));
    } catch (const Exception& e) {
        error = e.Message();
    }
    // Told once the progress window is gone, so that nothing covers the box.
    if (!error.isEmpty())
        WarningBox(parent, PdfNotWrittenText() + error);
}
