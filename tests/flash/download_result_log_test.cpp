// What a download leaves behind: the one line of the result file for the
// calling script, and the run log for support; without a log the flash ends
// as with one.
#include <algorithm>

#include "platform/run_log.h"
#include "support/download_fixture.h"

namespace quillan::test_support {
namespace {

TEST(ResultFile, OneLineReplacedEachTimeAndOnlyWhereAsked) {
    const std::filesystem::path folder = FreshScratchDir("quillan-result");
    LiveResultPath = (folder / "LIVE.TMP").string();
    TestResultPath = (folder / "missing-folder" / "TEST.TMP").string();
    WriteResultLine("START\n", true, false);
    WriteResultLine(FailLine(4), true, false);
    EXPECT_EQ(ReadAll(LiveResultPath), "FAIL4\r\n");
    WriteResultLine("COMPLETE\n", false, false);  // neither mode: nothing written
    EXPECT_EQ(ReadAll(LiveResultPath), "FAIL4\r\n");
    WriteResultLine("COMPLETE\n", false, true);  // the test folder is missing: skipped quietly
    EXPECT_FALSE(std::filesystem::exists(TestResultPath));
    std::filesystem::remove_all(folder);
}

// What support reads after a chunked download whose second piece the drive
// refused: which drive, which file, the power supply, each command and the
// drive's answer, the box the user saw, the result line the calling script
// got, and the keep-awake request with its release.
TEST_F(Download, RunLogOfAFailedChunkedDownload) {
    SetRunLogClock([] { return std::string("12:00:00.000"); });
    sim::DriveSettings drive = XdDrive();
    drive.faults.push_back(RefuseCdb(kMiddleChunkCdb, MediumError()));
    Prepare(ChunkedFile(Info(), 3, 16), drive);
    form->ToolButton2Click();
    SetRunLogClock(nullptr);

    // The log lies beside the result file; each line is stamped and ends CR LF.
    std::ifstream in(scratch_ / "QUILLAN.LOG", std::ios::binary);
    Lines log;
    for (std::string line; std::getline(in, line);) {
        ASSERT_EQ(line.back(), '\r');
        log.push_back(line.substr(0, line.size() - 1));
    }
    const std::string t = "12:00:00.000 window ";
    const std::string result = (scratch_ / "QUILLAN.TMP").string();
    const auto from = std::find_if(log.begin(), log.end(), [&](const std::string& l) {
        return l.rfind(t + "file \"", 0) == 0;
    });
    ASSERT_NE(from, log.end()) << "no line for the loaded file";
    EXPECT_EQ(from->substr(0, from->find(": 81920")), t + "file \"" + file_->Path() + "\"");
    EXPECT_NE(from->find(": 81920 bytes, layout trailer, model \"HALVERN DVD-ROM XD-340  \" revision \"1.20\" code "
                         "\"XDA\", image 81920 bytes in 3 x 32 KB, sha-256 "),
              std::string::npos)
        << *from;
    const std::string tur = t + "command 00 00 00 00 00 00, in 0 -> status 4, sense 2/3A/00";
    const Lines expected = {
        t + "opened file for list entry 0: accepted",
        tur, tur, tur, tur, tur,
        t + "power at the start: AC online, battery unknown: the download goes on",
        t + "sleep held off: Windows is asked to keep the system awake",
        t + "result START written to " + result,
        t + "command FF 00 01 00 00 00 00 00 00 00 00 00, out 32768 -> status 1 good",
        t + "command FF 00 01 00 00 FF 00 00 00 00 00 00, out 32768 -> status 4, sense 3/0C/00",
        t + "box \"MESSAGE\": Flash Cmd Fail!!",
        t + "sleep allowed again: the keep-awake request is withdrawn",
    };
    EXPECT_EQ(Lines(from + 1, log.end()), expected);
    EXPECT_EQ(log.front(), t + "start: Quillan 3.23.3, command line \"q.exe -LIVE\", Windows 4.10.2222");
    EXPECT_NE(std::find(log.begin(), log.end(),
                        t + "drive 0 found at ha 0 target 0: \"HALVERN \" \"DVD-ROM XD-340  \" \"1.10\""),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(),
                        t + "identity of device 0: \"HALVERN DVD-ROM XD-340  \" \"1.10\" code \"XDA\" (read from the drive)"),
              log.end());
}

// No folder takes the log (the program's own, the temporary one): the flash
// runs and ends exactly as it does with one.
TEST_F(Download, AFlashWithoutAWritableLogEndsAsBefore) {
    const std::vector<uint8_t> bytes = ChunkedFile(Info(), 3, 16);
    host.programFolder = (scratch_ / "no such folder" / "").string();
    host.tempFolder = host.programFolder;
    sim::SimDrive* drive = Prepare(bytes, {}, "");
    ASSERT_FALSE(RunLogOpen());
    form->ToolButton2Click();
    RunToTheEnd();
    ExpectFlashedAndRestarted(drive, bytes);
}

}  // namespace
}  // namespace quillan::test_support
