// The user guide: the Help command and the F1 key of every window.
#pragma once

#include <QObject>

class QWidget;

// Hands the user guide (AppPaths.h) to the desktop, or says it is missing
// (message 23001) in a box owned by owner.
void OpenUserGuide(QWidget* owner);

// While it lives, F1 opens the user guide from any window of the program,
// also from a list or edit window that has the main window disabled.
class TUserGuideKey : public QObject {
public:
    explicit TUserGuideKey(QObject* parent);
    ~TUserGuideKey() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
