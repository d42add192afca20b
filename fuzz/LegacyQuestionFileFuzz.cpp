// The question file of Baltero 1.x: any bytes are either refused with a
// message or give a questionnaire within its capacities, and reading the
// file line by line gives the same questionnaire as decoding it whole.
#include "FuzzSupport.h"

#include "Exception.h"
#include "LegacyQuestionFile.h"

#include <QFile>

#include <optional>

namespace {

bool Same(const TLegacyQuestionnaire& a, const TLegacyQuestionnaire& b)
{
    if (a.areas.size() != b.areas.size() || a.questions.size() != b.questions.size() || a.phaseNames != b.phaseNames)
        return false;
    for (size_t i = 0; i < a.areas.size(); ++i) {
        if (a.areas[i].description != b.areas[i].description || a.areas[i].phaseCount != b.areas[i].phaseCount)
            return false;
    }
    for (size_t i = 0; i < a.questions.size(); ++i) {
        const auto& x = a.questions[i];
        const auto& y = b.questions[i];
        if (x.text != y.text || x.areaIndex != y.areaIndex || x.phaseIndex != y.phaseIndex)
            return false;
    }
    return true;
}

void CheckCapacities(const TLegacyQuestionnaire& q)
{
    FUZZ_CHECK(q.areas.size() <= size_t(TLegacyQuestionnaire::MaxAreas));
    FUZZ_CHECK(q.questions.size() <= size_t(TLegacyQuestionnaire::MaxQuestions));
    FUZZ_CHECK(q.PhaseTotal() <= TLegacyQuestionnaire::MaxPhases);
    for (const auto& area : q.areas)
        FUZZ_CHECK(area.phaseCount >= 0 && area.phaseCount <= TLegacyQuestionnaire::MaxPhases);
    for (const auto& question : q.questions) {
        FUZZ_CHECK(question.areaIndex >= 0 && size_t(question.areaIndex) < q.areas.size());
        FUZZ_CHECK(question.phaseIndex >= 0 && question.phaseIndex < TLegacyQuestionnaire::MaxPhases);
        FUZZ_CHECK(question.phaseIndex < q.areas[size_t(question.areaIndex)].phaseCount);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    std::optional<TLegacyQuestionnaire> whole;
    try {
        whole = ParseLegacyQuestionLines(SplitLegacyQuestionLines(DecodeLegacyQuestionText(bytes)));
    } catch (const Exception& e) {
        FUZZ_CHECK(!e.Message().isEmpty());
    }
    if (whole)
        CheckCapacities(*whole);

    const QString fileName = FuzzFolder() + QStringLiteral("/domande.txt");
    {
        QFile file(fileName);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }
    std::optional<TLegacyQuestionnaire> byLines;
    try {
        byLines = ReadLegacyQuestionFile(fileName);
    } catch (const Exception& e) {
        FUZZ_CHECK(!e.Message().isEmpty());
    }
    FUZZ_CHECK(whole.has_value() == byLines.has_value());
    if (whole)
        FUZZ_CHECK(Same(*whole, *byLines));
    return 0;
}
