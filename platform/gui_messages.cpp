#include "platform/gui_messages.h"

#include "platform/gui_application.h"
#include "platform/gui_backend.h"

void GuiMessages::Show(const std::string& title, const std::string& text)
{
    StderrMessages().Show(title, text);
    if (EnsureGuiApplication())
        FindGuiBackend()->ShowMessageBox(title, text);
}
