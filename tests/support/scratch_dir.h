// A scratch folder of its own for the running test case, under the test
// framework's temporary folder and named after the suite and the test, so
// that test processes run in parallel never share (or delete) one.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

namespace quillan::testing {

inline std::filesystem::path FreshScratchDir(const char* prefix) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(prefix) + "-";
    name += info != nullptr ? std::string(info->test_suite_name()) + "-" + info->name() : "no-test";
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace quillan::testing
