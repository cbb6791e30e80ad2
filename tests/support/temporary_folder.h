#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

// A fresh folder for each test, made by mkdtemp in the test framework's temporary folder and
// named after the test suite; removed afterwards.
class TemporaryFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string pattern = ::testing::TempDir() + test->test_suite_name() + "_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
};
