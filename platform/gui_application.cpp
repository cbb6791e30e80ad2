#include "platform/gui_application.h"

#include "platform/qt_dialog_style.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include <cstdlib>

namespace {

bool DisplayAvailable()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

} // namespace

// The pictures and the icon are linked into a static library, so their registration has to be
// asked for; it must be named outside any namespace.
static void LoadPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

bool EnsureGuiApplication()
{
    if (QCoreApplication::instance() != nullptr)
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (!DisplayAvailable())
        return false;

    // The application lives until the process ends; its arguments must outlive it.
    static int argc = 1;
    static char name[] = "zorvex";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);

    LoadPictureResources();
    QApplication::setStyle(new QtDialogStyle);
    // The dialog templates are laid out for an 8-point font at 96 DPI, 11 pixels high; a pixel
    // size keeps the texts in their controls whatever resolution the display reports.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    QIcon icon;
    icon.addFile(QStringLiteral(":/bitmaps/icon16.bmp"));
    icon.addFile(QStringLiteral(":/bitmaps/icon32.bmp"));
    QApplication::setWindowIcon(icon);
    return application != nullptr;
}
