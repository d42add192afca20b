// Printing an HTML document. Qt Print Support lives in a module of its own
// (baltero-print), loaded when the first document is printed, so that a
// start which never prints does not map it.
#pragma once

#include <QString>

class QWidget;

// The module's one entry point (defined in HtmlPrinting.cpp). With a PDF
// file name the document is written there, A4, without a dialog; otherwise
// the print dialog is shown first. False when the dialog was cancelled.
extern "C" bool BalteroPrintHtml(QWidget* parent, const QString& html, const QString& pdfFileName);

// The environment variable that names the module's file instead of its
// place beside the program (the build's tests use it).
inline constexpr char kPrintModuleVariable[] = "BALTERO_PRINT_MODULE";
