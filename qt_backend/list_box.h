#pragma once

#include <QListWidget>

class QtListBoxDelegate;

// A list box that allows no selection: long entries keep their beginning and their file name; while
// the list has the focus it shows a focus frame, outlines its current entry and shows that entry's
// whole text when the list cuts it short, so that a keyboard user can read every entry.
class QtListBox : public QListWidget {
public:
    explicit QtListBox(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QtListBoxDelegate* delegate_;

    void ShowCurrentWholeText();
};
