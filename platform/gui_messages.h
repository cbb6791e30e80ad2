#pragma once

#include "platform/messages.h"

// Message boxes of the desktop: every message is written to standard error as title, ": ", text
// and a newline, and, when a display can be had, also shown in a modal box with an OK button and
// no owner window.
class GuiMessages : public Messages {
public:
    void Show(const std::string& title, const std::string& text) override;
};
