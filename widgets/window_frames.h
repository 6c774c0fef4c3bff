// Frames, placement and showing of the program's windows.
#pragma once

class QWidget;

// A fixed single border with only a close box, sized to its contents.
void MakeFixedDialogFrame(QWidget* window);
// Centres a window on the desktop, or over another window.
void CentreOnDesktop(QWidget* window);
void CentreOver(QWidget* window, const QWidget* over);
// Shows a window that lives for the whole run and brings it to the front, not modally.
void ShowAndRaise(QWidget* window);
