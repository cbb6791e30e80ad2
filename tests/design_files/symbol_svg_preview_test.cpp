// The symbol as SVG, rasterised, against the preview the wizard paints for the same variation; and
// tarnwick's --svg option. Ends with status 77, skipped, when rsvg-convert is not installed.
#include "design_files/symbol_svg.h"

#include "settings/interleaver_settings.h"
#include "qt_backend/device_context.h"
#include "symbol/interleaver_symbol.h"
#include "symbol/symbol_graphic.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string RsvgConvert()
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / "rsvg-convert";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

class SymbolSvgRaster : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("symbol_svg_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // The SVG without its texts, rasterised on white.
    QImage Rasterise(const std::string& svg)
    {
        std::ofstream(folder / "lines.svg") << std::regex_replace(svg, std::regex("<text[^\n]*</text>\n"), "");
        const ProcessRun run = RunProgram({RsvgConvert(), "-b", "white", "-o", (folder / "lines.png").string(),
                                           (folder / "lines.svg").string()},
                                          folder);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        return QImage(QString::fromStdString((folder / "lines.png").string()));
    }

    fs::path folder;
};

bool Ink(const QImage& image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() && qGray(image.pixel(x, y)) < 128;
}

// The ink pixels of from, moved by (dx, dy), that have no ink within a pixel of them in to.
int UnmatchedInk(const QImage& from, int dx, int dy, const QImage& to, int& inkCount)
{
    int unmatched = 0;
    inkCount = 0;
    for (int y = 0; y < from.height(); ++y) {
        for (int x = 0; x < from.width(); ++x) {
            if (!Ink(from, x, y))
                continue;
            ++inkCount;
            bool near = false;
            for (int ny = -1; ny <= 1 && !near; ++ny)
                for (int nx = -1; nx <= 1 && !near; ++nx)
                    near = Ink(to, x + dx + nx, y + dy + ny);
            unmatched += near ? 0 : 1;
        }
    }
    return unmatched;
}

} // namespace

// For every variation the pages can make, the body lines and pin stubs of the SVG drawn from the
// symbol lines lie within a pixel of those the preview paints, both ways round.
TEST_F(SymbolSvgRaster, LinesAndPinStubsLieWhereThePreviewPaintsThem)
{
    for (int variation = 0; variation < 8; ++variation) {
        InterleaverSettings settings;
        settings.CONVOLUTIONAL = variation & 1;
        settings.BLOCK = 1 - settings.CONVOLUTIONAL;
        settings.INTERLEAVER = (variation >> 1) & 1;
        settings.DEINTERLEAVER = 1 - settings.INTERLEAVER;
        settings.INTERNAL_DPRAM = (variation >> 2) & 1;
        settings.EXTERNAL_DPRAM = 1 - settings.INTERNAL_DPRAM;
        SymbolGraphic symbol(ReferenceSymbolWidth(), 192);
        LayOutInterleaverSymbol(symbol, settings, "f");

        std::ostringstream lines;
        symbol.WriteSymbolLines(lines);
        std::istringstream cnx(lines.str());
        std::string svg;
        std::string error;
        ASSERT_TRUE(SymbolSvg(cnx, "f", svg, error)) << error;
        const QImage raster = Rasterise(svg);
        ASSERT_EQ(raster.size(), QSize(symbol.symbolWidth + 1, symbol.symbolHeight + 1)) << variation;

        QImage preview(symbol.panelWidth(), symbol.panelHeight, QImage::Format_RGB32);
        preview.fill(Qt::white);
        {
            QPainter painter(&preview);
            QtDeviceContext dc(painter, Rgb(240, 240, 240));
            for (const auto& line : symbol.lines)
                line->Draw(dc);
            for (const auto& pin : symbol.pins)
                pin->stub.Draw(dc);
        }

        int previewInk = 0;
        int svgInk = 0;
        EXPECT_EQ(UnmatchedInk(preview, -symbol.originX, -symbol.originY, raster, previewInk), 0) << variation;
        EXPECT_EQ(UnmatchedInk(raster, symbol.originX, symbol.originY, preview, svgInk), 0) << variation;
        // The body alone is hundreds of pixels.
        EXPECT_GT(previewInk, 400) << variation;
        EXPECT_GT(svgInk, 400) << variation;
        if (variation == 0 && std::getenv("SYMBOL_SVG_KEEP") != nullptr) {
            preview.save(QString::fromStdString(std::getenv("SYMBOL_SVG_KEEP")) + "/preview.png");
            raster.save(QString::fromStdString(std::getenv("SYMBOL_SVG_KEEP")) + "/svg.png");
        }
    }
}

// tarnwick writes the symbol of the .cnx the wizard wrote, named after the design; a file it
// cannot write is a failure of its own. No entity can bear the name, so no design files are made.
TEST_F(SymbolSvgRaster, TarnwickWritesTheSymbolOfTheDesignOrFailsWithItsOwnStatus)
{
    const std::map<std::string, std::string> noDisplay{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    const std::string design = (folder / "fir&co.vhd").string();
    const ProcessRun run =
        RunProgram({TARNWICK_EXE, "-n", "-silent", "--no-design-files", "--svg", (folder / "s.svg").string(), design},
                   folder, noDisplay);
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    std::ifstream cnx(folder / "fir&co.cnx");
    std::string expected;
    std::string error;
    ASSERT_TRUE(SymbolSvg(cnx, "fir&co", expected, error)) << error;
    std::ifstream written(folder / "s.svg");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), expected);
    EXPECT_NE(expected.find(">fir&amp;co</text>"), std::string::npos) << expected;

    const std::string unwritable = (folder / "no such folder" / "s.svg").string();
    const ProcessRun failed =
        RunProgram({TARNWICK_EXE, "-n", "-silent", "--no-design-files", "--svg", unwritable, design}, folder, noDisplay);
    EXPECT_EQ(failed.exitStatus, 125);
    EXPECT_NE(failed.err.find("cannot write " + unwritable), std::string::npos) << failed.err;
}

int main(int argc, char** argv)
{
    if (RsvgConvert().empty()) {
        std::fputs("rsvg-convert is not installed: skipped\n", stderr);
        return 77;
    }
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
