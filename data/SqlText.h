// Writing values into SQL text.
#pragma once

#include <QString>

// Doubles every single quote; the result goes between single quotes.
QString SQLQuote(const QString& text);
