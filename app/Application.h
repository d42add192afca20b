// The program's QApplication. A failure that no command caught is shown to
// the user and the program keeps running, instead of ending it with the
// user's unsaved work. It is the last resort only: Qt's own frames keep no
// clean-ups for an exception passing through them, so commands catch their
// own failures.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
