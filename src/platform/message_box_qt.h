#pragma once

// For the window: which window owns the message boxes that belong to the main window.

class QWidget;
void SetMessageOwnerWindow(QWidget* Owner);
QWidget* MessageOwnerWindow();
