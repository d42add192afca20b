// The program's style: the desktop's own, with the few things the program
// draws its own way. It is set on the application, not on single widgets: a
// style or a style sheet set on a window's box is handed down to every
// control inside it, which costs a window a fifth of its opening time, and a
// style sheet has each of them drawn through the slower style-sheet engine.
#pragma once

class QGroupBox;

// Makes the program's style the application's, once; later calls cost
// nothing.
void UseProgramStyle();

// Colours only the caption: the labels inside the box keep the usual colour.
void ShowCaptionInBlue(QGroupBox* box);
