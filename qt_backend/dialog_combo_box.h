#pragma once

#include <QComboBox>

// The drop-down combo box of a dialog template: an edit with a list of entries, keyed as the
// classic control is. Opening the list (F4, Alt+Down, Alt+Up, the arrow) highlights the entry that
// reads as the edit does, or none;
class QtDialogComboBox : public QComboBox {
public:
    explicit QtDialogComboBox(QWidget* parent);

    // The list entry that reads exactly as the edit text, or -1.
    int EntryOfText() const;
    // What picking entry index from the list does: the entry becomes the edit text and the
    // combo box reports the activation.
    void Choose(int index);

    void showPopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Makes the combo box's current entry the one that reads as the edit text (none when no
    // entry does), keeping the text; the arrow keys then step from there.
    void FollowText();
    // Closes the open list, taking its highlighted entry if there is one.
    void CloseList();
};
