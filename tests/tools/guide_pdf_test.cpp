// The user guide is built into a PDF where the wizard looks for it, relative to the build directory.
#include "tests/support/file_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

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
    // A4 is 595 by 842 points.
    EXPECT_NE(pdf.find("/MediaBox [0 0 595"), std::string::npos);
}

} // namespace
