// The user guide is built into a PDF where the wizard looks for it, relative to the build directory,
// with the pictures of the pages and symbols drawn in the same build. guide_pdf_check.py reads the
// PDF's text, outline and contents.
#include "tests/support/file_text.h"
#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

const char* const kPictures[] = {
    "page1_algorithm.png",
    "page2_characteristics.png",
    "page3_memory.png",
    "page4_summary.png",
    "symbol_convolutional_internal.png",
    "symbol_convolutional_external.png",
    "symbol_block_internal.png",
    "symbol_block_external.png",
};

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// The width and height a PNG file's header gives, in big-endian order right after "IHDR".
std::pair<uint32_t, uint32_t> PngSize(const std::string& png)
{
    if (png.size() < 24 || png.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto word = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16
            | uint32_t(uint8_t(png[at + 2])) << 8 | uint32_t(uint8_t(png[at + 3]));
    };
    return {word(16), word(20)};
}

TEST(UserGuidePdf, BuiltBesideTheWizardsInstallLayout)
{
    const std::string pdf = ReadFileText(ZORVEX_GUIDE_PDF);
    ASSERT_GE(pdf.size(), 1000u) << ZORVEX_GUIDE_PDF;
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    // A complete file ends with its end-of-file marker.
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos);
}

TEST(UserGuidePdf, SeveralPagesOfA4)
{
    const std::string pdf = ReadFileText(ZORVEX_GUIDE_PDF);
    size_t pages = 0;
    for (size_t at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_GE(pages, 4u);
    // A4 is 595.28 by 841.89 points.
    EXPECT_NE(pdf.find("/MediaBox [ 0 0 595.2"), std::string::npos);
}

TEST(UserGuidePdf, HoldsEveryPictureAtItsOwnSize)
{
    const std::string pdf = ReadFileText(ZORVEX_GUIDE_PDF);
    EXPECT_EQ(Count(pdf, "/Subtype /Image"), std::size(kPictures));
    // Stored without loss: not as JPEG.
    EXPECT_EQ(pdf.find("/DCTDecode"), std::string::npos);
    for (const char* picture : kPictures) {
        const auto [width, height] = PngSize(ReadFileText(std::filesystem::path(ZORVEX_GUIDE_PICTURES) / picture));
        ASSERT_GT(width, 100u) << picture;
        ASSERT_GT(height, 100u) << picture;
        EXPECT_NE(pdf.find("/Width " + std::to_string(width) + "\n/Height " + std::to_string(height) + "\n"),
                  std::string::npos)
            << picture;
    }
}

// A scratch folder for runs of the build's tools; removed afterwards.
class GuideBuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root = std::filesystem::temp_directory_path()
            / (std::string(test->test_suite_name()) + "-" + std::to_string(::getpid()) + "-" + test->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    // Runs the tool with the variables given. Leaks are not checked: Qt keeps some allocations until
    // the process ends.
    ProcessRun Run(const std::vector<std::string>& args, std::map<std::string, std::string> environment = {})
    {
        const char* asan = std::getenv("ASAN_OPTIONS");
        environment["ASAN_OPTIONS"] = std::string(asan != nullptr ? asan : "") + ":detect_leaks=0";
        return RunProgram(args, root, environment);
    }

    std::filesystem::path root;
};

TEST_F(GuideBuildTest, EveryRunDrawsTheSamePicturesAtEveryDisplayScale)
{
    // The build draws at two device pixels per pixel whatever scale its user works at.
    ASSERT_EQ(Run({RENDER_GUIDE_PICTURES, root.string()}, {{"QT_SCALE_FACTOR", "3"}}).exitStatus, 0);
    for (const char* picture : kPictures) {
        const std::string built = ReadFileText(std::filesystem::path(ZORVEX_GUIDE_PICTURES) / picture);
        ASSERT_FALSE(built.empty()) << picture;
        EXPECT_TRUE(built == ReadFileText(root / picture)) << picture;
    }
}

} // namespace
