// The plain-text question file of Baltero 1.x: one line per area ("*name"),
// phase ("#name") or question (any other text), in questionnaire order.
//
// Phases are numbered by their position inside their area, and every area
// shares the same phase table: the n-th "#" of any area is phase n. The name
// of phase n is the last name given at that position, whichever area gave it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

struct TLegacyQuestionnaire {
    static constexpr int MaxAreas = 50;
    static constexpr int MaxPhases = 50; // per area
    static constexpr int MaxQuestions = 1000;

    struct Area {
        QString description;
        int phaseCount = 0;
    };
    struct Question {
        QString text;
        int areaIndex = 0;  // 0-based into areas
        int phaseIndex = 0; // 0-based position inside the area
    };

    std::vector<Area> areas;
    // Empty text for a position that was only ever opened by a lone "#".
    std::array<QString, MaxPhases> phaseNames;
    std::vector<Question> questions;

    // The number of phases the questionnaire needs: the most any area has.
    int PhaseTotal() const;
};

// Reads the lines in order. Lines beyond the capacities are dropped as the
// earlier version dropped them: a 51st area continues the 50th, a 51st phase
// continues the 50th, questions after the 1000th are lost.
TLegacyQuestionnaire ParseLegacyQuestionLines(const QStringList& lines);

// The file's text. Windows-1252 unless the bytes start with a byte-order mark
// (UTF-8 or UTF-16) or are valid UTF-8 with at least one multi-byte sequence,
// which is how a file edited and saved by today's editors arrives.
// Raises Exception for bytes that are not text at all, UTF-16 included: an
// odd byte at the end or a surrogate outside its pair.
QString DecodeLegacyQuestionText(const QByteArray& bytes);

// Splits at CR LF, CR or LF.
QStringList SplitLegacyQuestionLines(const QString& text);

// Reads, decodes and parses the whole file, one line at a time: beside the
// file's bytes only what the questionnaire keeps is held. Raises Exception
// when the file cannot be read or is not a question file, before anyone acts
// on it.
TLegacyQuestionnaire ReadLegacyQuestionFile(const QString& path);
