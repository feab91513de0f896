#pragma once

class QWidget;

// What a screen reader is told about the windows, beyond what each window's own table of
// controls names.

// Tells a screen reader more than Qt does by itself: a top-level window that is a plain widget
// is a window, not a bare panel, and a message box's prompt is text, so that it arrives as a text
// event when the box comes up. Call once, after the application object and before any window is
// made: Qt keeps what it first told about each widget.
void installAccessibility();

// Names and describes a control from its window's table. A null text keeps what Qt gives: the
// caption as name, the tooltip as description.
void describeControl(QWidget *control, const char16_t *name, const char16_t *description);
