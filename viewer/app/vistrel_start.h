#pragma once
// Program start of the viewer: the windows created in their fixed order,
// the main window first.
#include <QString>

namespace vistrel {

// The application's title: the caption of its message boxes. It is not
// Qt's display name, which the window system would append to every title.
inline const QString kApplicationTitle = QStringLiteral("Просмотр осциллограмм");

// Names the application, leaving every window's title exactly its caption.
void SetApplicationName();

// Separators of the system locale for the number formatting of the Qt-free code.
void SetSeparatorsFromLocale();

// FormGraph, Form1, FormAxis, FormTool, TrasWin, in this order.
void CreateForms();
// Frees them in reverse order; safe to call when they were never created.
void DestroyForms();

}  // namespace vistrel
