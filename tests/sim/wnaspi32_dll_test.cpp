// WNASPI32.DLL as the program meets it: loaded from the exe's folder, its two
// undecorated exports answering from the configured drives, the log and the
// images written by the time it is unloaded.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/sim/sim_test_support.h"

namespace quillan::sim::test {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the DLL with the given configuration, runs body(send, info), unloads,
// and returns the log.
template <typename Body>
std::string WithDll(const std::string& dir, const std::string& configPath, Body body) {
    char exe[MAX_PATH];
    const std::string exePath(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
    DeleteFileA((dir + "sim.log").c_str());
    SetEnvironmentVariableA("QUILLAN_SIM_CONFIG", configPath.c_str());
    SetEnvironmentVariableA("QUILLAN_SIM_LOG", (dir + "sim.log").c_str());
    HMODULE dll = LoadLibraryA((exePath.substr(0, exePath.find_last_of('\\') + 1) + "WNASPI32.DLL").c_str());
    EXPECT_NE(dll, nullptr);
    if (dll == nullptr) return "";
    // Through a generic function pointer: FARPROC's own type differs.
    auto send = reinterpret_cast<SendAspi32CommandFn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "SendASPI32Command")));
    auto info = reinterpret_cast<GetAspi32SupportInfoFn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "GetASPI32SupportInfo")));
    EXPECT_TRUE(send != nullptr && info != nullptr);
    if (send != nullptr && info != nullptr) body(send, info);
    FreeLibrary(dll);
    return ReadText(dir + "sim.log");
}

std::string TempDir() {
    char temp[MAX_PATH];
    const std::string dir = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "quillan-dll\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

TEST(Wnaspi32Dll, AnswersFromTheConfiguredDriveAndWritesImages) {
    const std::string dir = TempDir();
    std::ofstream(dir + "sim.conf") << "image-dir " << dir << "\ndrive 1 0\nvendor \"HALVERN \"\n";
    DeleteFileA((dir + "drive-1-0.single").c_str());
    Bytes inquiry(36, kGuard), single = Pattern(1024, 12);
    const std::string log = WithDll(dir, dir + "sim.conf", [&](SendAspi32CommandFn send, GetAspi32SupportInfoFn info) {
        EXPECT_EQ(info(), 0x0102u);
        ExecBlock b = Exec(1, 0, kInquiryProbe, inquiry.data(), 36, SRB_DIR_IN);
        EXPECT_EQ(send(&b.srb), SS_COMP);
        EXPECT_EQ(b.srb.SRB_Status, SS_COMP);
        b = Exec(1, 0, FlashDownloadCdb(0x01, 0xF0), single.data(), 1024, SRB_DIR_OUT);
        EXPECT_EQ(send(&b.srb), SS_COMP);
    });
    EXPECT_EQ(std::string(inquiry.begin() + 8, inquiry.begin() + 16), "HALVERN ");
    EXPECT_EQ(log.rfind("load platform=", 0), 0u) << log;
    for (const char* line : {"\nsupport-info result=00000102 status=01 adapters=2\n",
                             "\nexec ha=1 target=0 lun=0 cdb=120000002400 len=36 dir=in status=01 result=good in=36\n",
                             " done=single-command\n", "\nunload\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
    const std::string image = ReadText(dir + "drive-1-0.single");
    EXPECT_EQ(Bytes(image.begin(), image.end()), single);
}

// A Unix path is looked up on Wine's drive Z:; without a configuration there are no adapters.
TEST(Wnaspi32Dll, MissingConfigurationReportsNoAdapters) {
    const std::string log = WithDll(TempDir(), "/quillan-missing/sim.conf", [](SendAspi32CommandFn, GetAspi32SupportInfoFn info) {
        EXPECT_EQ(info(), 0xE800u);
    });
    EXPECT_NE(log.find("\nconfig error: cannot read Z:\\quillan-missing\\sim.conf\n"), std::string::npos) << log;
}

}  // namespace
}  // namespace quillan::sim::test
