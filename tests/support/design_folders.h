#pragma once

#include "tests/support/file_text.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

// A fresh folder for each test, with designs/ for design files and work/ as the current folder of
// the programs it runs; removed afterwards.
class DesignFoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root = std::filesystem::temp_directory_path()
            / (std::string(test->test_suite_name()) + "-" + std::to_string(::getpid()) + "-" + test->name());
        std::filesystem::remove_all(root);
        designs = root / "designs";
        work = root / "work";
        std::filesystem::create_directories(designs);
        std::filesystem::create_directories(work);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::filesystem::path root;
    std::filesystem::path designs;
    std::filesystem::path work;
};
