// The one date conversion: any number and any typed or stored text converts
// without harm, and what the program writes it reads back as the same day.
#include "FuzzSupport.h"

#include "DateTime.h"
#include "Regional.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);

    // Any stored number: formatting never fails, and the stored text reads
    // back as the same whole second.
    const double value = provider.ConsumeFloatingPoint<double>();
    const QString stored = DateTimeToStorageText(value);
    const std::optional<TDateTime> reread = DateTimeFromStorageText(stored);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(DateTimeToStorageText(*reread) == stored);
    (void)FormatDateTimeShort(value);
    (void)FormatLongDate(value);
    (void)QDateTimeFromDateTime(value);

    // "Today" anywhere in the years a clock can show.
    const QDate today = QDate(1, 1, 1).addDays(provider.ConsumeIntegralInRange<qint64>(0, 3652058));
    const QString text = ConsumeRemainingText(provider);

    if (const std::optional<TDateTime> parsed = DateTimeFromStorageText(text)) {
        FUZZ_CHECK(std::isfinite(*parsed));
        const QString again = DateTimeToStorageText(*parsed);
        FUZZ_CHECK(DateTimeFromStorageText(again) == parsed);
    }

    if (const std::optional<QDate> typed = DateFromTypedText(text, today)) {
        FUZZ_CHECK(typed->isValid() && typed->year() >= 1);
        // The date as the field shows it reads back as the same day.
        const QString shown = FormatShortDate(DateTimeFromQDate(*typed));
        FUZZ_CHECK(DateFromTypedText(shown, today) == typed);
        FUZZ_CHECK(DateTimeFromQDateTime(QDateTimeFromDateTime(DateTimeFromQDate(*typed))) == DateTimeFromQDate(*typed));
    }
    return 0;
}
