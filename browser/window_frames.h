// Frames and placement shared by the program's dialogs.
#pragma once

class QWidget;

// A fixed single border with only a close box, sized to its contents.
void MakeFixedDialogFrame(QWidget* window);
// Centres a window on the desktop, or over another window.
void CentreOnDesktop(QWidget* window);
void CentreOver(QWidget* window, const QWidget* over);
