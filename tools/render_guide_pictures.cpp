// render_guide_pictures: draws the pictures of the user guide with the wizard's own code, offscreen:
// the four pages as they open for a new variation, and the preview symbol of each algorithm and
// memory choice. Run at build time, so that the guide always shows the pages of its build. Every
// picture has twice the pixels of the window it shows, so that it stays sharp when a reader zooms
// in; the guide shows it at half its pixel size, the size of the window on the screen.
#include "host/wizard_page.h"
#include "interleaver/interleaver_wizard.h"
#include "platform/dialog.h"
#include "platform/gui_application.h"
#include "platform/host_message.h"
#include "platform/messages.h"
#include "qt_backend/device_context.h"
#include "settings/interleaver_settings.h"
#include "symbol/interleaver_symbol.h"
#include "symbol/preview_painting.h"
#include "symbol/symbol_graphic.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSaveFile>
#include <QStyleHints>
#include <QWidget>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Device pixels per pixel of the window in every picture.
constexpr int kPictureScale = 2;

// The design the pictures show: the summary lists its files, the symbol carries its name.
constexpr const char* kDesignPath = "/designs/filter.vhd";
constexpr const char* kDesignName = "filter";

const char* const kPageFiles[] = {
    "page1_algorithm.png",
    "page2_characteristics.png",
    "page3_memory.png",
    "page4_summary.png",
};

// Writes the image as a PNG; it replaces the file only once it is written whole.
bool WritePng(const QImage& image, const std::string& path)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "png");
    return writer.write(image) && file.commit();
}

// A wizard that shows its pages but never writes a file: finishing does nothing.
class PictureWizard : public InterleaverWizard {
public:
    using InterleaverWizard::InterleaverWizard;
    void FinishWizard() override {}
};

// The running page's window once the window system has made it the active window, so that its
// focus shows as a user sees it; null when no page runs.
QWidget* ActivePage()
{
    QWidget* window = QApplication::activeModalWidget();
    QElapsedTimer timer;
    timer.start();
    while (window != nullptr && !window->isActiveWindow() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    return window;
}

// Runs the pages for a new variation of the design, saving each as it opens, and goes on with Next
// until Finish on the last. Returns the number of pages saved.
int SavePages(const std::string& directory)
{
    static InterleaverSettings settings;
    static SymbolGraphic symbol(ReferenceSymbolWidth, 192);
    StderrMessages messages;
    SocketHostMessenger messenger; // never used: no host is named
    PictureWizard wizard(settings, symbol, WizardServices{messages, messenger, "/nonexistent/zorvex"});

    int saved = 0;
    int shown = 0;
    Dialog::SetShownHook([&](Dialog& dialog) {
        const int page = shown++;
        if (page >= int(std::size(kPageFiles))) {
            dialog.PressEscape();
            return;
        }
        QWidget* window = ActivePage();
        const std::string path = directory + "/" + kPageFiles[page];
        if (window != nullptr && WritePng(window->grab().toImage(), path))
            ++saved;
        else
            std::fprintf(stderr, "render_guide_pictures: cannot write %s\n", path.c_str());
        dialog.Click(page + 1 < int(std::size(kPageFiles)) ? kNextButton : kFinishButton);
        // A page that refuses to be left would wait for a user; the run ends there instead.
        if (dialog.IsRunning())
            dialog.PressEscape();
    });
    const char* const arguments[] = {"zorvex", "-n", kDesignPath};
    wizard.Run(int(std::size(arguments)), arguments);
    Dialog::SetShownHook(nullptr);
    return saved;
}

struct SymbolChoice {
    const char* file;
    bool block;
    bool internal;
};

const SymbolChoice kSymbols[] = {
    {"symbol_convolutional_internal.png", false, true},
    {"symbol_convolutional_external.png", false, false},
    {"symbol_block_internal.png", true, true},
    {"symbol_block_external.png", true, false},
};

// Paints the preview panel as a page shows it, for the initial settings with the given algorithm
// and memory.
QImage PaintSymbol(const SymbolChoice& choice)
{
    InterleaverSettings settings;
    settings.CONVOLUTIONAL = choice.block ? 0 : 1;
    settings.BLOCK = choice.block ? 1 : 0;
    settings.INTERNAL_DPRAM = choice.internal ? 1 : 0;
    settings.EXTERNAL_DPRAM = choice.internal ? 0 : 1;
    SymbolGraphic symbol(ReferenceSymbolWidth, 192);
    LayOutInterleaverSymbol(symbol, settings, kDesignName);

    QImage image(symbol.panelWidth() * kPictureScale, symbol.panelHeight * kPictureScale, QImage::Format_RGB32);
    image.setDevicePixelRatio(kPictureScale);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QColor face = QApplication::palette().color(QPalette::Button);
    QtDeviceContext dc(painter, Rgb(face.red(), face.green(), face.blue()));
    PaintPreviewPanel(dc, Rect{0, 0, symbol.panelWidth(), symbol.panelHeight}, symbol);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_guide_pictures OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];
    // Set before the application exists, so that no display is ever looked for, and the pages are
    // drawn at the size and scale the guide expects whatever scale the user building it works at.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* scaling : {"QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "QT_ENABLE_HIGHDPI_SCALING",
                                "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_USE_PHYSICAL_DPI"})
        qunsetenv(scaling);
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kPictureScale));
    if (!EnsureGuiApplication()) {
        std::fprintf(stderr, "render_guide_pictures: cannot start the GUI\n");
        return 1;
    }
    // A blinking text cursor would be caught on or off depending on the moment of the grab; a
    // steady one makes every run give the same pictures.
    QGuiApplication::styleHints()->setCursorFlashTime(0);

    if (SavePages(directory) != int(std::size(kPageFiles)))
        return 1;
    for (const SymbolChoice& choice : kSymbols) {
        const std::string path = directory + "/" + choice.file;
        if (!WritePng(PaintSymbol(choice), path)) {
            std::fprintf(stderr, "render_guide_pictures: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
