// The record list windows the main window opens, one per register.
#pragma once

class QWidget;
class TFormRSShow;

enum class TRecordWindow { Children, Teachers, Areas, Phases, Questions, Compilations };

// Creates (does not show) the list window, owned by owner; the owner stays
// disabled until the window closes. Raises the data-access exception when
// the window's first load fails.
TFormRSShow* CreateRecordWindow(TRecordWindow which, QWidget* owner);
