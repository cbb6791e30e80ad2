#pragma once

#include "platform/dialog.h"

#include <QImage>
#include <QRect>
#include <Qt>

#include <functional>
#include <utility>
#include <vector>

// Starts the GUI application for a test, on the offscreen platform unless a display is chosen.
bool StartTestGui();

// Runs the dialog; body runs once it is shown. A dialog still running after body is ended with
// code 99, so no test can hang on it.
int RunShown(Dialog& dialog, const std::function<void(Dialog&)>& body);

// Lets the GUI process pending events, at most a bounded time, until done() holds.
bool ProcessEventsUntil(const std::function<bool()>& done);

// Presses and releases key as the window system delivers it: to the focus widget of the open
// pop-up, else to the application's focus widget, with the shortcut check before the press.
void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The smallest rectangle holding the dark (text-coloured) pixels of image within area; empty when
// there are none.
QRect InkBox(const QImage& image, const QRect& area);

// A dialog owner that records what it is told.
class RecordingHandler : public DialogHandler {
public:
    bool OnInitDialog() override
    {
        ++inits;
        if (onInit)
            onInit();
        return initResult;
    }
    void OnCommand(int id, Notification code) override
    {
        commands.emplace_back(id, code);
        if (onCommand)
            onCommand(id, code);
    }
    void OnOk() override { ++oks; }
    void OnCancel() override
    {
        ++cancels;
        if (onCancel)
            onCancel();
    }
    void OnHelp() override { ++helps; }

    int inits = 0;
    int oks = 0;
    int cancels = 0;
    int helps = 0;
    bool initResult = true;
    std::vector<std::pair<int, Notification>> commands;
    std::function<void()> onInit;
    std::function<void(int, Notification)> onCommand;
    std::function<void()> onCancel;
};
