// Helpers shared by the questionnaire tests: a compilation to store answers
// and start phases for (written with plain SQL by TestDatabase).
#pragma once

#include "Questions.h"
#include "TestDatabase.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <ostream>

// A compilation of a fresh child and educator, for the stored rows.
inline int NewCompilation(TestDatabase& db, const QString& childName = QStringLiteral("Anna"))
{
    return db.AddCompilation(db.AddChild(childName), db.AddTeacher(QStringLiteral("Maestra ") + childName),
                             QString());
}
