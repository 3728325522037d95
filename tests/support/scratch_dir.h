// A scratch folder of its own for the running test case, under the test
// framework's temporary folder and named after the suite, the test and the
// process, so that test processes run in parallel never share (or delete)
// one: not those of one suite, nor those of another build tree's suite run
// at the same time. Each folder goes when the process ends.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace quillan::test_support {

namespace scratch_detail {

inline long ProcessId() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

// Removes every folder this process made, at its end.
struct MadeFolders {
    std::vector<std::filesystem::path> folders;
    ~MadeFolders() {
        std::error_code ignored;
        for (const auto& folder : folders) std::filesystem::remove_all(folder, ignored);
    }
};

inline MadeFolders& Made() {
    static MadeFolders made;
    return made;
}

}  // namespace scratch_detail

inline std::filesystem::path FreshScratchDir(const char* prefix) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(prefix) + "-";
    name += info != nullptr ? std::string(info->test_suite_name()) + "-" + info->name() : "no-test";
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    name += "-" + std::to_string(scratch_detail::ProcessId());
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    scratch_detail::Made().folders.push_back(dir);
    return dir;
}

}  // namespace quillan::test_support
