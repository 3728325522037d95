// What the DLL produces, checked natively: the log lines, the image files,
// the CRC in the log, and the Wine path mapping.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "drive/aspi_types.h"
#include "sim/sim_event_format.h"
#include "sim/sim_session.h"
#include "sim/sim_wine_path.h"
#include "support/scratch_dir.h"
#ifndef _WIN32
#include <cerrno>

#include "sim/sim_sg_io.h"
#endif
#include "tests/sim/sim_test_support.h"

namespace quillan::sim::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        dir = quillan::test_support::FreshScratchDir("quillan-sim");
    }
    SessionOptions Options(const std::string& config) {
        std::ofstream(dir / "sim.conf") << config;
        SessionOptions o;
        o.configPath = (dir / "sim.conf").string();
        o.logPath = (dir / "sim.log").string();
        o.platformId = 2;
        return o;
    }
    static uint32_t Send(SimSession& s, uint8_t target, const Bytes& cdb, Bytes data, uint8_t flags) {
        ExecBlock b = Exec(0, target, cdb, data.empty() ? nullptr : data.data(), uint32_t(data.size()), flags);
        return s.SendASPI32Command(&b.srb);
    }
    fs::path dir;
};

TEST_F(Session, LogsEveryEventAndWritesImagesOnCompletionAndClose) {
    SessionOptions options = Options("image-dir \"" + (dir / "images").string() + "\"\ndrive 0 1\ndisc no\n");
    const Bytes firmware = Pattern(2048, 11);
    {
        SimSession s(options);
        EXPECT_EQ(s.GetASPI32SupportInfo(), 0x0101u);
        EXPECT_EQ(Send(s, 1, kInquiryProbe, Bytes(36), SRB_DIR_IN), SS_COMP);
        EXPECT_EQ(Send(s, 1, SendDiagnosticCdb(8), Page(0x40, 0), SRB_DIR_OUT), SS_COMP);
        EXPECT_EQ(Send(s, 1, kTestUnitReady, {}, SRB_DIR_IN), SS_ERR);
        EXPECT_EQ(Send(s, 1, FlashDownloadCdb(2), firmware, SRB_DIR_OUT), SS_COMP);
        EXPECT_EQ(Send(s, 5, kTestUnitReady, {}, SRB_DIR_IN), SS_NO_DEVICE);
        s.Close();
    }
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(firmware.data(), firmware.size())));
    const std::string images = "images ha=0 target=1 image=2048 boot=0 single=0";
    const std::vector<std::string> expected = {
        "load platform=2",
        "config " + options.configPath + " drives=1 adapters=1",
        "support-info result=00000101 status=01 adapters=1",
        "exec ha=0 target=1 lun=0 cdb=120000002400 len=36 dir=in status=01 result=good in=36",
        "exec ha=0 target=1 lun=0 cdb=1d0000000800 len=8 dir=out status=01 result=good out=8800000400400000",
        "exec ha=0 target=1 lun=0 cdb=000000000000 len=0 dir=in status=04 result=check sense=02/3a/00 note=\"no disc\"",
        "exec ha=0 target=1 lun=0 cdb=ff0001000002000000000000 len=2048 dir=out status=01 result=good out-len=2048 "
        "out-crc32=" + std::string(crc) + " out-head=" + Hex(firmware.data(), 8) + " done=last-chunk",
        images,
        "exec ha=0 target=5 lun=0 cdb=000000000000 len=0 dir=in status=82",
        images,
        "unload"};
    EXPECT_EQ(Lines(dir / "sim.log"), expected);
    std::ifstream image(dir / "images" / "drive-0-1.image", std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(image), std::istreambuf_iterator<char>()), firmware);
    EXPECT_FALSE(fs::exists(dir / "images" / "drive-0-1.boot"));
}

TEST_F(Session, BadConfigurationMeansNoAdapters) {
    SimSession s(Options("drive 0 0\nbogus 1\n"));
    EXPECT_EQ(s.GetASPI32SupportInfo(), 0xE800u);
    EXPECT_EQ(Send(s, 0, kTestUnitReady, {}, SRB_DIR_IN), SS_INVALID_HA);
    EXPECT_EQ(Lines(dir / "sim.log"),
              (std::vector<std::string>{"load platform=2", "config error: line 2: unknown setting 'bogus'",
                                        "support-info result=0000e800 status=e8 adapters=0",
                                        "exec ha=0 target=0 lun=0 cdb=000000000000 len=0 dir=in status=81"}));
}

#ifndef _WIN32
// What Wine's SG_IO call gets back for each outcome of a drive (the status,
// sense and residual count it copies into the pass-through block), and that
// the drive's `device` file is what routes a request to it.
TEST_F(Session, SgIoAnswersAsTheKernelWould) {
    const std::string config = "drive 0 2\ndevice \"" + (dir / "f.dev").string() +
                               "\"\ndisc no\nfault cdb ff0001 check 03/0c/00\n";
    SimSession s(Options(config));
    ASSERT_EQ(s.DriveConfigs().size(), 1u);
    EXPECT_EQ(s.DriveConfigs()[0].devicePath, (dir / "f.dev").string());
    struct Case {
        const char* what;
        uint8_t target;
        Bytes cdb;
        int direction;
        uint32_t length;
        int error;
        uint8_t status;
        uint8_t senseWritten;
        int resid;
        std::string logged;  // the pass-through's own line
    } cases[] = {
        {"inquiry, 36 of 96 asked", 2, kInquiryProbe, SG_DXFER_FROM_DEV, 96, 0, 0, 0, 60,
         "sg-io ha=0 target=2 dir=from-dev len=96 cmd-len=6 timeout-ms=60000 sense-max=24"},
        {"no disc: check condition with its sense", 2, kTestUnitReady, SG_DXFER_FROM_DEV, 0, 0, 2, 18, 0,
         "sg-io ha=0 target=2 dir=from-dev len=0 cmd-len=6 timeout-ms=60000 sense-max=24"},
        {"a failing flash command", 2, FlashDownloadCdb(2), SG_DXFER_TO_DEV, 2048, 0, 2, 18, 0,
         "sg-io ha=0 target=2 dir=to-dev len=2048 cmd-len=12 timeout-ms=60000 sense-max=24"},
        {"no drive there", 5, kTestUnitReady, SG_DXFER_FROM_DEV, 0, EIO, 0, 0, 0,
         "sg-io ha=0 target=5 dir=from-dev len=0 cmd-len=6 timeout-ms=60000 sense-max=24"},
        {"no direction is no ASPI request", 2, kTestUnitReady, SG_DXFER_NONE, 0, EIO, 0, 0, 0,
         "sg-io ha=0 target=2 dir=none len=0 cmd-len=6 timeout-ms=60000 sense-max=24"},
    };
    for (const Case& c : cases) {
        Bytes cdb = c.cdb, data(std::max<uint32_t>(c.length, 1), 0xEE), sense(32, 0xEE);
        sg_io_hdr_t io = {};
        io.interface_id = 'S';
        io.dxfer_direction = c.direction;
        io.cmd_len = static_cast<unsigned char>(cdb.size());
        io.cmdp = cdb.data();
        io.dxfer_len = c.length;
        io.dxferp = data.data();
        io.mx_sb_len = 24;
        io.sbp = sense.data();
        io.timeout = 60000;
        io.status = io.sb_len_wr = 0xAA;  // must be overwritten
        EXPECT_EQ(AnswerSgIo(s, 0, c.target, io), c.error) << c.what;
        if (c.error != 0) continue;
        EXPECT_EQ(io.status, c.status) << c.what;
        EXPECT_EQ(io.sb_len_wr, c.senseWritten) << c.what;
        EXPECT_EQ(io.resid, c.resid) << c.what;
        if (c.senseWritten != 0) {
            EXPECT_EQ(sense[2], c.direction == SG_DXFER_TO_DEV ? 0x03 : 0x02) << c.what << ": sense key";
        }
        EXPECT_EQ(sense[c.senseWritten], 0xEE) << c.what << ": sense written past what was reported";
    }
    std::vector<std::string> notes;
    for (const std::string& line : Lines(dir / "sim.log"))
        if (line.rfind("sg-io ", 0) == 0) notes.push_back(line);
    std::vector<std::string> expected;
    for (const Case& c : cases) expected.push_back(c.logged);
    EXPECT_EQ(notes, expected);
}
#endif

TEST(EventFormat, Crc32KnownValue) {
    const char text[] = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(text), 9), 0xCBF43926u);
}

TEST(WinePath, MapsUnixAbsolutePathsToDriveZ) {
    const std::pair<std::string, std::string> cases[] = {
        {"/tmp/sim/a.conf", "Z:\\tmp\\sim\\a.conf"}, {"C:\\x\\y", "C:\\x\\y"}, {"rel/x", "rel/x"}, {"", ""}};
    for (const auto& [in, out] : cases) EXPECT_EQ(WinePath(in), out) << in;
}

}  // namespace
}  // namespace quillan::sim::test
