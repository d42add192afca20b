// The readable report of one compilation saved as a PDF where the user
// chooses, from the editor and from the compilations list alike.
#pragma once

class QWidget;
struct TReadableReport;

// Asks for the file name (the report's own proposed), writes the PDF and
// tells the user when it could not be written.
void SaveReadableReportPdf(QWidget* parent, const TReadableReport& report);
