// The user guide's pictures: the program's real windows, opened on the
// demonstration school (DemoSchool.h) on Qt's offscreen platform and
// grabbed, each with a title bar drawn above it as the desktop would show.
#pragma once

#include <QImage>
#include <QString>
#include <map>

class TFormMain;
struct TDemoSchool;

// Every picture by the name the guide's text uses ("picture:NAME").
// Raises Exception when a window cannot be opened or a picture not made.
std::map<QString, QImage> MakeGuidePictures(TFormMain& mainWindow, const TDemoSchool& demo);
