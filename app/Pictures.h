// The program's pictures: the icon, the logos and the small pictures of the
// menu and the buttons, drawn from the SVG files compiled into the program.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The picture "name" (a file of resources/pictures without ".svg") at the
// given size in device-independent pixels, sharp on high-density screens.
// A null pixmap when there is no such picture.
QPixmap LoadPicture(const QString& name, const QSize& size);
// The picture as an icon at 16 and 32 pixels.
QIcon LoadIcon(const QString& name);

QIcon ProgramIcon();

// The main window's picture list: the menu entries and the buttons use the
// picture at these positions.
enum TMainPicture {
    PictureEsci = 0,
    PictureInformazioniSu = 1,
    PictureChildren = 3,
    PictureTeachers = 4,
    PictureSchool = 5,
    PictureAreas = 6,
    PicturePhases = 7,
    PictureQuestions = 8,
    PictureTablesManagement = 9,
    PictureCompactAndRepair = 10,
    PictureImportQuestions = 11,
    PictureUserGuide = 12,
    PictureExportData = 13,
    PictureBackup = 14,
    PictureRestore = 15,
    PicturePassword = 16
};
// A null icon for a position that holds no picture.
QIcon MainPicture(int index);
