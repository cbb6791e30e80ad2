#include "interleaver/user_guide.h"

#include <gtest/gtest.h>

namespace {

TEST(UserGuidePath, OnlyAnExecutableNamedZorvexLooksBesideItsDirectory)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/tools/bin/zorvex", "/opt/tools/bin/../zorvex_core/doc/zorvex_guide.pdf"},
        {"/home/a b/zorvex", "/home/a b/../zorvex_core/doc/zorvex_guide.pdf"},
        {"zorvex", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"/opt/zorvex/bin/wizard", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"/opt/tools/Zorvex", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"/opt/tools/zorvex.exe", "../zorvex_core/doc/zorvex_guide.pdf"},
        {"", "../zorvex_core/doc/zorvex_guide.pdf"},
    };
    for (const auto& [executable, guide] : cases)
        EXPECT_EQ(UserGuidePath(executable), guide) << executable;
}

} // namespace
