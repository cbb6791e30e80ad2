// Draws the wizard's pictures and icon at ratio 1 and writes them as 8-bit BMP files into the
// folder named on the command line. Run by hand when a picture changes; its output is kept with the
// sources. The drawing itself is the one the wizard uses at other device pixel ratios.
#include "qt_backend/page_pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& folder, const QString& name)
{
    const QImage converted = EightBit(image);
    const QString path = QDir(folder).filePath(name);
    if (!converted.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s: %dx%d, %d colours\n", qPrintable(name), converted.width(), converted.height(),
                int(converted.colorCount()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pictures <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    for (const int bitmap : {120, 121, 122, 123, 1012})
        ok = Save(DrawPagePicture(bitmap, 1.0), folder, QStringLiteral("%1.bmp").arg(bitmap)) && ok;
    ok = Save(DrawIcon(32), folder, QStringLiteral("icon32.bmp")) && ok;
    ok = Save(DrawIcon(16), folder, QStringLiteral("icon16.bmp")) && ok;
    return ok ? 0 : 1;
}
