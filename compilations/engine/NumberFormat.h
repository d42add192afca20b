// Numbers as the compilation windows and the report show them.
#pragma once

#include <QString>

// The points of an area or a compilation with exactly two decimals, at least
// one integer digit, no thousands separator and the regional decimal
// separator ("0.00"). Halves go away from zero, judged on the decimal value
// as a person reads it: 2.675 gives 2.68 although the double just below it is
// what is stored. A value that rounds to zero has no minus sign; NaN and the
// infinities, which no score can be, print as zero.
QString FormatPoints(double value);
