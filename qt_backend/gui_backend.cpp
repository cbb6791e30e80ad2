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
#include <optional>
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

// The font the desktop hands the application through its platform theme (KDE's, LXQt's, qt6ct's),
// or none. It is the font the application starts with, before the wizard sets its own. Without a
// desktop's theme Qt still starts with a font: its generic theme's built-in "Sans Serif" at 9
// points (plain xcb, offscreen, and the KDE and GNOME themes with nothing configured), which is no
// choice of the user's and leaves the pages as the templates draw them. A theme asked for by name
// in QT_QPA_PLATFORMTHEME (other than the generic one) counts whatever font it gives, that default
// included: qt6ct and LXQt's theme set their font on the application once its event loop runs,
// over the wizard's own, so the pages must be laid out for it. Qt names the active theme through
// private API only; the environment and the font are what a program can see.
static std::optional<QFont> DesktopFont()
{
    const QFont font = QGuiApplication::font();
    const QString theme = qEnvironmentVariable("QT_QPA_PLATFORMTHEME");
    if (!theme.isEmpty() && theme != QLatin1String("generic"))
        return font;
    const bool genericDefault =
        font.family() == QLatin1String("Sans Serif") && font.pixelSize() == -1 && font.pointSizeF() == 9;
    if (genericDefault)
        return std::nullopt;
    return font;
}

// The pages' font and with it the base units that turn the templates' dialog units into pixels.
// The desktop's font when it hands one, as it hands it, so that the pages' texts and their room
// come from the same font whatever the theme sets later. Otherwise the templates' 8-point face at
// the primary screen's logical resolution (11 pixels at 96 DPI, where the point size is rounded to
// pixels as the classic font mapping does): a desktop that asks for larger text gets larger
// pages, and 96 DPI keeps exactly the classic 6 and 13. Either font is measured against the
// templates' face at 96 DPI, for which the templates give their texts room.
static QFont DialogFont()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen != nullptr ? std::max(1, qRound(screen->logicalDotsPerInchY())) : 96;
    const auto sized = [](int pixels) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(pixels);
        return font;
    };
    const QFont font = DesktopFont().value_or(sized((8 * dpi + 36) / 72));
    const QFontMetricsF metrics(font);
    const QFontMetricsF at96(sized(11));
    const auto unitsBy = [&](const QString& sample) {
        return BaseUnitsOfFont(metrics.horizontalAdvance(sample), metrics.height(), at96.horizontalAdvance(sample),
                               at96.height());
    };
    // The classic width is that of the 52 Latin letters. The pages' texts are mostly small
    // letters, and a face whose small letters run wider against its capitals than the templates'
    // face does (DejaVu Sans by some 8 percent) would clip them, so the small letters alone are
    // measured too and the wider of the two counts. The templates' own face grows alike by both.
    const DialogBaseUnits byLetters = unitsBy(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogBaseUnits bySmallLetters = unitsBy(QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    SetDialogBaseUnits(DialogBaseUnits{std::max(byLetters.x, bySmallLetters.x), byLetters.y});
    return font;
}

// The pictures and the icon are compiled into this library, so their registration has to be
// asked for; it must be named outside any namespace.
static void LoadPictureResources()
{
    Q_INIT_RESOURCE(pictures);
    Q_INIT_RESOURCE(window_icons);
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
    for (const char* size : {"48", "64", "128"})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(QLatin1String(size)));
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
