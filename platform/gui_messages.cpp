#include "platform/gui_messages.h"

#include "platform/gui_application.h"
#include "platform/qt_text.h"

#include <QMessageBox>

void GuiMessages::Show(const std::string& title, const std::string& text)
{
    StderrMessages().Show(title, text);
    if (!EnsureGuiApplication())
        return;
    QMessageBox box(QMessageBox::Information, ToQString(title), ToQString(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
