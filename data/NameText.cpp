#include "NameText.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>

#include <sqlcipher/sqlite3.h>

namespace {

QString Folded(const QString& name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
}

struct TWeights {
    char16_t character;
    quint8 primary[3];
    quint8 secondary[3];
};

constexpr TWeights kWeights[] = {
#include "NameOrderWeights.inc"
};

const TWeights* WeightsOf(char16_t character)
{
    const auto found = std::lower_bound(std::begin(kWeights), std::end(kWeights), character,
                                        [](const TWeights& w, char16_t c) { return w.character < c; });
    return found != std::end(kWeights) && found->character == character ? found : nullptr;
}

constexpr char16_t kCommonSecondary = 1;

// The collator of the full Unicode order, for the names the program's own
// table does not cover: made on the first such name only, because it keeps
// the large ICU collation data in memory. A collator is not to be shared
// between threads.
const QCollator& FullCollator(bool numeric)
{
    thread_local std::unique_ptr<QCollator> collators[2];
    std::unique_ptr<QCollator>& collator = collators[numeric ? 1 : 0];
    if (!collator) {
        collator = std::make_unique<QCollator>(QLocale(QLocale::Italian, QLocale::Italy));
        // Names equal but for letter case sort as equals: the next key of
        // the ORDER BY decides, as it did under NOCASE.
        collator->setCaseSensitivity(Qt::CaseInsensitive);
        collator->setNumericMode(numeric);
    }
    return *collator;
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// The keys of the names one connection has sorted, each worked out once: the
// compilations list compares the same two hundred names tens of thousands of
// times, and a key costs ten comparisons of two keys.
class TNameKeys {
public:
    // Before each comparison: a key handed out stays valid until the next.
    void MakeRoom()
    {
        if (keys_.size() >= kMost)
            keys_.clear();
    }

    const std::optional<std::u16string>& KeyOf(const void* text, int length)
    {
        scratch_.assign(static_cast<const char*>(text), size_t(length));
        const auto found = keys_.find(scratch_);
        if (found != keys_.end())
            return found->second;
        return keys_.emplace(scratch_, NameOrderKey(QString::fromUtf8(scratch_.data(), length), false))
            .first->second;
    }

private:
    static constexpr size_t kMost = 4096;
    std::string scratch_;
    std::unordered_map<std::string, std::optional<std::u16string>> keys_;
};

int CompareNames(void* keys, int length1, const void* text1, int length2, const void* text2)
{
    auto& known = *static_cast<TNameKeys*>(keys);
    known.MakeRoom();
    const std::optional<std::u16string>& a = known.KeyOf(text1, length1);
    const std::optional<std::u16string>& b = known.KeyOf(text2, length2);
    if (a && b)
        return Sign(a->compare(*b));
    return Sign(FullCollator(false).compare(QString::fromUtf8(static_cast<const char*>(text1), length1),
                                            QString::fromUtf8(static_cast<const char*>(text2), length2)));
}

void DeleteNameKeys(void* keys)
{
    delete static_cast<TNameKeys*>(keys);
}

} // namespace

bool SameName(const QString& a, const QString& b)
{
    return Folded(a) == Folded(b);
}

std::optional<std::u16string> NameOrderKey(const QString& name, bool numeric)
{
    const QString text = name.normalized(QString::NormalizationForm_D);
    std::u16string key;
    std::u16string secondary;
    key.reserve(2 * size_t(text.size()) + 1);
    secondary.reserve(size_t(text.size()));
    const auto isDigit = [&text](qsizetype i) { return text[i] >= u'0' && text[i] <= u'9'; };
    for (qsizetype i = 0; i < text.size();) {
        if (numeric && isDigit(i)) {
            // A run of digits weighs as its number: where a digit would, then
            // its length without leading zeros, then its digits.
            qsizetype end = i;
            while (end < text.size() && isDigit(end))
                ++end;
            while (i + 1 < end && text[i] == u'0')
                ++i;
            if (end - i > 0xffff)
                return std::nullopt;
            key += char16_t(WeightsOf(u'0')->primary[0]);
            key += char16_t(end - i);
            for (; i < end; ++i)
                key += char16_t(text[i].unicode() - u'0' + 1);
            secondary += kCommonSecondary;
            continue;
        }
        const TWeights* weights = WeightsOf(text[i].unicode());
        if (!weights)
            return std::nullopt;
        for (const quint8 weight : weights->primary)
            if (weight)
                key += char16_t(weight);
        for (const quint8 weight : weights->secondary)
            if (weight)
                secondary += char16_t(weight);
        ++i;
    }
    key += u'\0';
    key += secondary;
    return key;
}

int CompareNameOrder(const QString& a, const QString& b)
{
    const std::optional<std::u16string> keyA = NameOrderKey(a, false);
    if (keyA) {
        if (const std::optional<std::u16string> keyB = NameOrderKey(b, false))
            return Sign(keyA->compare(*keyB));
    }
    return Sign(FullCollator(false).compare(a, b));
}

QCollatorSortKey FullNameOrderKey(const QString& name, bool numeric)
{
    return FullCollator(numeric).sortKey(name);
}

bool RegisterNameOrder(sqlite3* db)
{
    // One set of keys per connection, freed by the engine with the connection.
    auto* keys = new TNameKeys;
    if (sqlite3_create_collation_v2(db, kNameOrderCollation, SQLITE_UTF8, keys, CompareNames, DeleteNameKeys)
        == SQLITE_OK)
        return true;
    // The engine frees the keys only once it has taken them.
    delete keys;
    return false;
}
