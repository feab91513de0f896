#pragma once

#include <QString>

class QObject;
class QWidget;

// What a screen reader is told about the windows. The names and descriptions of every window's
// controls stand in one table, keyed by the window's and the control's object names and, for a
// button group, the button's index. A control that is not in the table keeps what Qt gives it:
// its caption as name, its tooltip as description.

// Makes a top-level window that is a plain widget known to a screen reader as a window, not as
// a bare panel. Call once, after the application object and before any window is made: Qt keeps
// what it first told about each widget.
void installAccessibleRoles();

// Names and describes the controls of `window` that are in the table. Windows call it each time
// they make their controls.
void nameControls(QWidget *window);

// Sets a control's description, and tells a screen reader that it changed.
void describe(QWidget *control, const QString &description);

// Tells a screen reader that `text` has appeared in `source` (a label or a text box), as text
// typed there would be: for messages that are shown without being typed.
void announceText(QObject *source, const QString &text);
