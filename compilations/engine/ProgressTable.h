// The progress table of a child as text, the same on screen and in the
// PDF: one row per compilation in date order with its date, the child's age,
// the educator, the description, the points of each area with the change
// from the previous compilation, and the total.
#pragma once

#include "StoredScores.h"

#include <QString>
#include <QStringList>
#include <vector>

struct TProgressCell {
    QString Text;
    // +1 up, -1 down, 0 no change or nothing to compare (the first row).
    int Direction = 0;
};

struct TProgressTable {
    QStringList Headers;
    // The areas shown (those holding questions), as indexes of TScore::Areas.
    std::vector<int> Areas;
    int FirstPointsColumn = 4;
    std::vector<std::vector<TProgressCell>> Rows;
};

TProgressTable MakeProgressTable(const TChildProgress& progress);
