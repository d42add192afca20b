#include "RecordWindows.h"

#include "UnitRSShow.h"

TFormRSShow* CreateRecordWindow(TRecordWindow which, QWidget* owner)
{
    // Each register's window is added here as it is built.
    (void)which;
    (void)owner;
    return nullptr;
}
