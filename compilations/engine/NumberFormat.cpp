#include "NumberFormat.h"

#include "Regional.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Significant digits a double holds reliably. Reading the value to this many
// digits gives back the decimal number the sums meant (0.1 + 0.2 reads as
// 0.3, and 2.675 as 2.675), so the rounding below sees the number a person
// would, not the binary noise around it.
constexpr int kSignificantDigits = 15;

// Adds one unit to the last digit of a string of decimal digits; true when
// the carry runs out of the front.
bool IncrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    return true;
}

} // namespace

QString FormatPoints(double value)
{
    const QString separator = RegionalLocale().decimalPoint();
    if (!std::isfinite(value))
        return QStringLiteral("0") + separator + QStringLiteral("00");

    // Scientific form "-d.dddddddddddddde+XX": locale-independent, and the
    // exponent places the decimal point without any binary arithmetic.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                         kSignificantDigits - 1);
    if (ec != std::errc())
        return QStringLiteral("0") + separator + QStringLiteral("00");
    const std::string text(buffer, end);

    const bool negative = text.front() == '-';
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i) {
        if (text[i] != '.')
            digits += text[i];
    }
    const long exponent = std::strtol(text.c_str() + ePos + 1, nullptr, 10);
    // How many of the digits stand before the decimal point (may be zero or
    // less for values below 1, or more than there are digits).
    const long pointPos = exponent + 1;

    std::string integerPart;
    std::string fraction;
    if (pointPos <= 0) {
        integerPart = "0";
        // Below 0.001 nothing reaches the third decimal.
        fraction = pointPos < -2 ? std::string() : std::string(std::size_t(-pointPos), '0') + digits;
    } else if (std::size_t(pointPos) >= digits.size()) {
        integerPart = digits + std::string(std::size_t(pointPos) - digits.size(), '0');
    } else {
        integerPart = digits.substr(0, std::size_t(pointPos));
        fraction = digits.substr(std::size_t(pointPos));
    }
    fraction.resize(std::max<std::size_t>(fraction.size(), 3), '0');

    // Rounding on the magnitude sends halves away from zero on both sides.
    const bool roundUp = fraction[2] >= '5';
    fraction.resize(2);
    if (roundUp && IncrementDigits(fraction) && IncrementDigits(integerPart))
        integerPart.insert(integerPart.begin(), '1');

    const std::size_t firstSignificant = integerPart.find_first_not_of('0');
    integerPart = firstSignificant == std::string::npos ? "0" : integerPart.substr(firstSignificant);

    const bool isZero = integerPart == "0" && fraction == "00";
    QString result;
    if (negative && !isZero)
        result += QLatin1Char('-');
    result += QString::fromLatin1(integerPart.data(), qsizetype(integerPart.size()));
    result += separator;
    result += QString::fromLatin1(fraction.data(), qsizetype(fraction.size()));
    return result;
}
