// The program's command-line switches.
#pragma once

#include <QStringList>

// True when one of the arguments (the program path excluded) is "NOSPLASH"
// after a single "/" or "-", in any mix of letter case. The bare word and
// "--nosplash" do not count.
bool HasNoSplashSwitch(const QStringList& arguments);
