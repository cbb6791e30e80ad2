#pragma once

#include "platform/dialog_impl.h"

#include <QString>

class DialogControls;
class QWidget;

// Gives the controls of a running dialog the names and descriptions a screen reader reads, from
// what the controls show now:
// - a combo box or list box is named by its label, the static text or read-only edit before it
//   in the template (pictures and group boxes between them are passed over), without mnemonic
//   markers and surrounding blanks;
// - a radio button is described by the title of the group box around it;
// - a read-only edit used as a label is named by its text and tied to its box as its label, as a
//   static text is;
// - a read-only multi-line text is described by its text (its short name is the page's);
// - a push button is named by its text without mnemonic markers and arrows;
// - a picture is named and described by what its bitmap shows.
// Called once the controls are built and again whenever a text or picture changes, so names
// follow their labels.
void UpdateAccessibleTexts(const DialogControls& controls);

// Sets a widget's accessible name or description. Only a text that differs is set, so a screen
// reader hears of real changes only.
void SetAccessibleTextOf(QWidget& widget, AccessibleText which, const QString& text);

// What the accessibility layer reports for the widget: its name or description.
QString AccessibleTextOf(QWidget& widget, AccessibleText which);

// Has combo boxes and panels reported to screen readers as this layer means them, for every
// dialog from now on: a combo box by its accessible name (the toolkit names an editable combo box
// by its text on this platform) with its text as value, a panel as a picture (a graphic) rather
// than an empty area. Called before the first dialog's controls are made; later calls do nothing.
void InstallAccessibleInterfaces();
