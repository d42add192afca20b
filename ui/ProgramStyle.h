// The program's style: the desktop's own, with the few things the program
// draws its own way. It is set on the application, not on single widgets: a
// style or a style sheet set on a window's box is handed down to every
// control inside it, which costs a window a fifth of its opening time, and a
// style sheet has each of them drawn through the slower style-sheet engine.
#pragma once

class QWidget;

// Makes the program's style the application's, once; later calls cost
// nothing.
void UseProgramStyle();

// A group box (or any widget drawn as one) whose caption is drawn in blue;
// the labels inside it keep the usual colour.
void MarkCaptionBlue(QWidget* box);
