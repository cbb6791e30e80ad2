#pragma once

#include "platform/dialog_impl.h"

#include <QString>

class DialogControls;
class QWidget;

// Gives the controls of a running dialog the names and descriptions a screen reader reads, from
// what they show now; called again whenever a text or picture changes.
void UpdateAccessibleTexts(const DialogControls& controls);

// Sets a widget's accessible name or description. Only a text that differs is set, so a screen
// reader hears of real changes only.
void SetAccessibleTextOf(QWidget& widget, AccessibleText which, const QString& text);

// What the accessibility layer reports for the widget: its name or description.
QString AccessibleTextOf(QWidget& widget, AccessibleText which);

// Has combo boxes and panels reported to screen readers as this layer means them, for every dialog
// from now on: a combo box by its name with its text as value, a panel as a picture.
void InstallAccessibleInterfaces();
