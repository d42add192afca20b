#include "RecordWindows.h"

#include "UnitAreas.h"
#include "UnitChildren.h"
#include "UnitPhases.h"
#include "UnitQuestions.h"
#include "UnitTables.h"
#include "UnitTeachers.h"

TFormRSShow* CreateRecordWindow(TRecordWindow which, QWidget* owner)
{
    switch (which) {
    case TRecordWindow::Children:
        return new TFormChildren(owner);
    case TRecordWindow::Teachers:
        return new TFormTeachers(owner);
    case TRecordWindow::Areas:
        return new TFormAreas(owner);
    case TRecordWindow::Phases:
        return new TFormPhases(owner);
    case TRecordWindow::Questions:
        return new TFormQuestions(owner);
    case TRecordWindow::Compilations:
        return new TFormTables(owner);
    }
    return nullptr;
}
