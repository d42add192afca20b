// The readable report of a compilation ("Relazione") as an A4 PDF for a
// family or a colleague: the header, the points of each area with a bar and
// the previous compilation's points, then every question with its answer.
#pragma once

#include "ReadableReport.h"

#include <QByteArray>
#include <QString>

QByteArray ReadableReportPdf(const TReadableReport& report);
// The name the file dialog proposes: "Relazione - <bambino> - <data>.pdf",
// without characters a file name cannot hold.
QString ReadableReportFileName(const TReadableReport& report);
// The PDF of the stored compilation written to fileName; raises Exception.
void ExportReadableReport(int idCompiledTable, const QString& fileName);
