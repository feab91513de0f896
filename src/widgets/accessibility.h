#pragma once

class QWidget;

// What a screen reader is told about the windows. The names and descriptions of every window's
// controls stand in one table, keyed by the window's and the control's object names and, for a
// button group, the button's index. A control that is not in the table keeps what Qt gives it:
// its caption as name, its tooltip as description.

// Tells a screen reader more than Qt does by itself: a top-level window that is a plain widget
// is a window, not a bare panel, and a message box's prompt is text, so that it arrives as a text
// event when the box comes up. Call once, after the application object and before any window is
// made: Qt keeps what it first told about each widget.
void installAccessibility();

// Names and describes the controls of `window` that are in the table. Windows call it each time
// they make their controls.
void nameControls(QWidget *window);
