#include "RecordWindows.h"

#include "UnitAreas.h"
#include "UnitChildProgress.h"
#include "UnitChildren.h"
#include "UnitPhases.h"
#include "UnitQuestions.h"
#include "UnitTables.h"
#include "UnitTeachers.h"

TFormRSShow* CreateRecordWindow(TRecordWindow which, QWidget* owner)
{
    switch (which) {
    case TRecordWindow::Children: {
        auto* children = new TFormChildren(owner);
        children->SetProgressOpener(&TFormChildProgress::Show);
        return children;
    }
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
