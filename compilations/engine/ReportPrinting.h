// The compilation report as it goes to the printer.
#pragma once

#include <QString>

// The saved report with the style of its results table spelled out as the
// table and cell attributes Qt's rich-text engine honours (it ignores the
// style block a browser applies): every cell bordered, the table as wide as
// the page, the cells centred. The saved file itself stays as it is; any
// line this does not recognise is passed on unchanged.
QString PrintableReport(const QString& savedReport);
