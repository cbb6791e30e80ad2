#pragma once

#include <string>

// Message boxes with an OK button and no owner window. Show returns once the user has closed it.
class Messages {
public:
    virtual ~Messages() = default;
    virtual void Show(const std::string& title, const std::string& text) = 0;
};

// Writes every message to standard error as title, ": ", text and a newline; with no display that
// line is the message.
class StderrMessages : public Messages {
public:
    void Show(const std::string& title, const std::string& text) override;
};
