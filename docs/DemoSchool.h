// A small school for the user guide's pictures: an institute name, a few
// children and educators and a few compilations with answers, written
// through the program's own records and questionnaire engine into the
// database that is open.
#pragma once

#include <QString>

// What the pictures show: the child followed over time and the compilation
// opened in the editor.
struct TDemoSchool {
    int ChildFollowed = 0;
    QString ChildFollowedName;
    int CompilationShown = 0;
};

// Fills the open database (which holds the example questionnaire and
// nothing else). Raises Exception.
TDemoSchool FillDemoSchool();
