#include "qt_backend/gui_backend.h"

#include "qt_backend/dialog_impl.h"
#include "qt_backend/dialog_style.h"
#include "qt_backend/text.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace {

// A text with tabs as a table in rich text, as a message box that expands tabs shows it: each line
// a row that never wraps, each run of tabs the start of the next column, columns as wide as their
// widest cell and apart by gap pixels, so that they line up whatever the widths of the font.
QString TabbedTextAsTable(const QString& text, int gap)
{
    const QRegularExpression tabs(QStringLiteral("\t+"));
    std::vector<QStringList> rows;
    qsizetype columns = 1;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        rows.push_back(line.split(tabs));
        columns = std::max(columns, rows.back().size());
    }
    QString html = QStringLiteral("<table cellspacing=0 cellpadding=0>");
    for (const QStringList& cells : rows) {
        html += QStringLiteral("<tr>");
        for (qsizetype column = 0; column < cells.size(); ++column) {
            const bool last = column + 1 == cells.size();
            // An empty line keeps the height of a line.
            const QString cell = cells[column].isEmpty() ? QStringLiteral("&nbsp;") : cells[column].toHtmlEscaped();
            html += QStringLiteral("<td colspan=%1 style='white-space:pre; padding-right:%2px'>%3</td>")
                        .arg(last ? columns - column : 1)
                        .arg(last ? 0 : gap)
                        .arg(cell);
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

} // namespace

// The pictures and the icon are compiled into this library, so their registration has to be
// asked for; it must be named outside any namespace.
static void LoadPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

bool QtGuiBackend::EnsureApplication(const std::string& platform)
{
    if (QCoreApplication::instance() != nullptr)
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;

    // The application lives until the process ends; its arguments must outlive it. A platform
    // given on the command line takes precedence over QT_QPA_PLATFORM.
    static std::string platformName = platform;
    static char name[] = "zorvex";
    static char platformOption[] = "-platform";
    static char* argv[] = {name, platformOption, platformName.data(), nullptr};
    static int argc = platformName.empty() ? 1 : 3;
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

std::unique_ptr<DialogImpl> QtGuiBackend::CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler)
{
    return std::make_unique<QtDialogImpl>(dialogTemplate, handler);
}

Rect QtGuiBackend::DesktopRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return Rect{};
    const QRect geometry = screen->geometry();
    return Rect{geometry.left(), geometry.top(), geometry.left() + geometry.width(),
                geometry.top() + geometry.height()};
}

void QtGuiBackend::ShowMessageBox(const std::string& title, const std::string& text)
{
    QMessageBox box(QMessageBox::Information, ToQString(title), QString(), QMessageBox::Ok);
    const QString message = ToQString(text);
    if (message.contains(QLatin1Char('\t'))) {
        box.setTextFormat(Qt::RichText);
        box.setText(TabbedTextAsTable(message, 2 * box.fontMetrics().averageCharWidth()));
    } else {
        box.setTextFormat(Qt::PlainText);
        box.setText(message);
    }
    box.exec();
}

extern "C" __attribute__((visibility("default"))) GuiBackend* ZorvexQtBackend()
{
    static QtGuiBackend backend;
    return &backend;
}
