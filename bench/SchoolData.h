// The school the benchmark measures: 1000 questions in 6 areas x 8 phases,
// 200 children, 20 educators and any number of compilations of 1000
// answers, made row by row the same way for the file and for a server.
#pragma once

#include <QVariant>
#include <vector>

constexpr int kAreas = 6;
constexpr int kPhases = 8;
constexpr int kQuestions = 1000;
constexpr int kChildren = 200;
constexpr int kTeachers = 20;

// The cell (area * kPhases + phase, from 0) of question q (from 0): the
// questions fill the 48 cells in order.
int CellOf(int q);

// Receives rows table by table; values are integers or UTF-8 text
// (QByteArray).
class TSchoolWriter {
public:
    virtual ~TSchoolWriter() = default;
    // The rows that follow go into these columns of table.
    virtual void Table(const char* table, const std::vector<const char*>& columns) = 0;
    virtual void Row(const std::vector<QVariant>& values) = 0;
    // Ends the last table.
    virtual void Finish() = 0;
};

// Areas, phases and questions, each question's text made from textPattern
// ("%1" is the question's number).
void WriteQuestionnaire(TSchoolWriter& writer, const char* textPattern);
// The questionnaire, the register and the compilations with their answers
// and start phases.
void WriteSchool(TSchoolWriter& writer, int compilations);
