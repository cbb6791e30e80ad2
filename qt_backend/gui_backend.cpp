#include "qt_backend/gui_backend.h"

#include "qt_backend/device_geometry.h"
#include "qt_backend/dialog_impl.h"
#include "qt_backend/dialog_style.h"
#include "qt_backend/text.h"

#include "platform/dialog_template.h"

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
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

// The 8-point dialog font at the primary screen's logical resolution (11 pixels at 96 DPI, where
// the point size is rounded to pixels as the classic font mapping does), and with it the base
// units that turn the templates' dialog units into pixels: a desktop that asks for larger text
// gets larger pages, and 96 DPI keeps exactly the classic 6 and 13.
static QFont DialogFont()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen != nullptr ? std::max(1, qRound(screen->logicalDotsPerInchY())) : 96;
    const auto sized = [](int pixels) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(pixels);
        return font;
    };
    const QFont font = sized((8 * dpi + 36) / 72);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetricsF metrics(font);
    const QFontMetricsF at96(sized(11));
    SetDialogBaseUnits(BaseUnitsOfFont(metrics.horizontalAdvance(letters), metrics.height(),
                                       at96.horizontalAdvance(letters), at96.height()));
    return font;
}

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
    QApplication::setFont(DialogFont());
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

DialogBaseUnits QtGuiBackend::BaseUnits()
{
    return GetDialogBaseUnits();
}

Rect QtGuiBackend::DesktopRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return Rect{};
    // In device pixels, as the host gives and takes window corners.
    return DeviceScreenRect(*screen);
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
