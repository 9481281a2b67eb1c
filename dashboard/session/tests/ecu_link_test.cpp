// The receive framer and the ignition correction, fed from an in-memory port.
#include <gtest/gtest.h>

#include "dashboard/dashboard_core.h"
#include "dashboard/link/ecu_lines.h"
#include "dashboard/link/memory_serial_port.h"

namespace kvr {
namespace {



std::string goodRecord(int ignitionRaw = 20, char sign = ' ') {
    LiveFields f;
    f.ignitionRaw = ignitionRaw;
    f.ignitionSign = sign;
    return sealLiveRecord(liveRecordBody(f));
}

std::string imageText(char fill = 'A') {
    std::string body = ")" + std::string(2238, fill);
    return sealImageText(body);
}

class Framer : public ::testing::Test {
protected:
    Framer() : core(port) {
        port.resetResults[0] = 1;
        port.reset(0, 8192, 8192);
        core.session.portNumber = 0;
        core.decodeValues = [this] { ++decodes; };
    }
    std::vector<std::string> takeMemo() {
        std::vector<std::string> m;
        m.swap(core.messages.lines);
        return m;
    }
    MemorySerialPort port;
    DashboardCore core;
    int decodes = 0;
};

TEST_F(Framer, GoodLiveRecordIsKeptCorrectedAndAcknowledged) {
    core.session.status.dataError = true;
    port.feed(goodRecord(20) + "\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.lastRecordGood);
    EXPECT_FALSE(core.session.status.dataError);
    EXPECT_EQ(decodeLiveRecord(core.session.lastRecordLine, {}).ignition, 36);
    EXPECT_EQ(core.session.lastRecordLine.substr(12, 2), "36");
    EXPECT_EQ(port.takeWritten(), "Q\r");
    EXPECT_TRUE(takeMemo().empty());
}

TEST_F(Framer, ExtraCharactersBeforeTheLineEndStayInTheRecord) {
    port.feed(goodRecord() + "\r\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.lastRecordGood);
    EXPECT_EQ(core.session.lastRecordLine.size(), 67u);
    EXPECT_EQ(core.session.lastRecordLine.back(), '\r');
}

TEST_F(Framer, BadLiveChecksumLightsTheLampAndIsNotAcknowledged) {
    std::string bad = goodRecord();
    bad[20] = bad[20] == '5' ? '6' : '5';  // a changed digit, same checksum
    port.feed(bad + "\n");
    core.session.readQueue();
    EXPECT_FALSE(core.session.lastRecordGood);
    EXPECT_TRUE(core.session.status.dataError);
    EXPECT_EQ(port.takeWritten(), "");
    auto memo = takeMemo();
    ASSERT_EQ(memo.size(), 2u);
    EXPECT_EQ(memo[0], "checksum error....!$" + bad.substr(64, 2));
    EXPECT_EQ(memo[1], bad);
}

TEST_F(Framer, SecondStartCharacterRestartsTheSum) {
    // The ECU summed from the first "*"; the framer sums from the second.
    const std::string body = liveRecordBody(LiveFields{});
    const std::string line = sealLiveRecord("*" + body.substr(0, 63));
    ASSERT_EQ(line.substr(0, 2), "**");
    port.feed(line + "\n");
    core.session.readQueue();
    EXPECT_FALSE(core.session.lastRecordGood);
    EXPECT_TRUE(core.session.status.dataError);
}

TEST_F(Framer, UnreadableLiveChecksumReportsPollsAgainAndLeavesTheRest) {
    std::string record = goodRecord();
    record.replace(64, 2, "G1");
    port.feed(record + "\n" + goodRecord() + "\n");
    core.session.readQueue();
    EXPECT_EQ(takeMemo(), std::vector<std::string>{"error in checksum read....$G1"});
    EXPECT_EQ(port.takeWritten(), "Q\r");
    EXPECT_FALSE(core.session.lastRecordGood);
    EXPECT_EQ(port.input.size(), 67u) << "the next line waits for the next call";
    core.session.readQueue();
    EXPECT_TRUE(core.session.lastRecordGood);
}

TEST_F(Framer, TruncatedLiveRecordCannotBeRead) {
    port.feed(goodRecord().substr(0, 65) + "\n");
    core.session.readQueue();
    auto memo = takeMemo();
    ASSERT_EQ(memo.size(), 1u);
    EXPECT_EQ(memo[0].rfind("error in checksum read....$", 0), 0u);
    EXPECT_EQ(port.takeWritten(), "Q\r");
}

TEST_F(Framer, TextLoggingCopiesTheLastGoodRecordEveryTime) {
    core.session.echoLines = true;
    const std::string good = goodRecord(20);
    std::string bad = goodRecord(30);
    bad[65] = bad[65] == '0' ? '1' : '0';
    port.feed(good + "\n" + bad + "\n");
    core.session.readQueue();
    auto memo = takeMemo();
    ASSERT_EQ(memo.size(), 4u);
    EXPECT_EQ(memo[0], core.session.lastRecordLine);
    EXPECT_EQ(memo[3], core.session.lastRecordLine) << "after a failure: the previous good record";
    EXPECT_NE(memo[0], good) << "the copy carries the corrected ignition";
}

TEST_F(Framer, SetupLinePassesOrReportsTheDifference) {
    const std::string body = "^SETUP 12 34 56 78 9A BC ";
    ASSERT_EQ(body.size(), 25u);
    const std::string good = sealSetupLine(body);
    port.feed(good + "\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.setupReceived);
    EXPECT_EQ(takeMemo(), (std::vector<std::string>{"^ RCVD", good}));

    unsigned sum = 0;
    for (char c : body) sum += static_cast<unsigned char>(c);
    sum %= 256;
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", (sum + 3) % 256);
    const std::string off = body + digits;
    port.feed(off + "\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.status.dataError);
    const auto memo = takeMemo();
    ASSERT_EQ(memo.size(), 4u);
    EXPECT_EQ(memo[1], "SETUP CONFIG DATA checksum error.....");
    ASSERT_LT(sum + 3, 256u) << "the test line must not wrap its checksum";
    EXPECT_EQ(memo[2], "3 PCCHKSUM=" + std::to_string(sum));
    EXPECT_EQ(memo[3], off);
}

TEST_F(Framer, ImageTextPassesDecodesAndSetsTheInterval) {
    core.session.dataIntervalText = "100";
    const std::string image = imageText();
    port.feed(image + "\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.valuesLoaded);
    EXPECT_EQ(core.session.valuesText, image);
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(core.out.notesClears, 1);
    EXPECT_EQ(core.session.status.tickIntervalMs, 95);
    EXPECT_EQ(takeMemo(), (std::vector<std::string>{"2243", image}));
}

TEST_F(Framer, ImageTextMismatchSlowsTheTick) {
    std::string image = imageText();
    image[100] = 'B';  // one more than the ECU summed
    port.feed(image + "\n");
    core.session.readQueue();
    EXPECT_FALSE(core.session.valuesLoaded);
    EXPECT_EQ(decodes, 0);
    EXPECT_EQ(core.session.status.tickIntervalMs, 1200);
    const auto memo = takeMemo();
    ASSERT_EQ(memo.size(), 4u);
    EXPECT_EQ(memo[1], "KVR VALUES checksum error, trouble connecting to KVR computer.)");
    EXPECT_EQ(memo[2].rfind("DIFFERENCE=-1 PCCHKSUM=", 0), 0u);
}

TEST_F(Framer, ImageTextWithGarbledChecksumIsDroppedSilently) {
    std::string image = imageText();
    image.replace(2239, 4, "12X4");
    port.feed(image + "\n" + goodRecord() + "\n");
    core.session.readQueue();
    EXPECT_FALSE(core.session.valuesLoaded);
    EXPECT_EQ(takeMemo(), std::vector<std::string>{"2243"});
    EXPECT_FALSE(port.input.empty()) << "the rest waits for the next call";
}

TEST_F(Framer, TwoLinesInOneBatchAreBothHandled) {
    port.feed(imageText() + "\n" + goodRecord() + "\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.valuesLoaded);
    EXPECT_TRUE(core.session.lastRecordGood);
}

TEST_F(Framer, ALineThatNeverEndsIsCutWithOneReport) {
    for (int i = 0; i < 16; ++i) {
        port.feed(std::string(64 * 1024, 'x'));  // a noisy line: 1 MiB, no line end
        core.session.readQueue();
    }
    EXPECT_EQ(core.session.framer.line().size(), 8192u);
    const auto memo = takeMemo();
    ASSERT_EQ(memo.size(), 1u);
    EXPECT_NE(memo[0].find("longer than 8192"), std::string::npos);
    port.feed("\n" + goodRecord() + "\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.lastRecordGood) << "the link recovers at the next line";
    EXPECT_TRUE(takeMemo().empty());
}

TEST_F(Framer, LinesOfUnknownKindAndEmptyLinesAreIgnored) {
    port.feed("\n\nhello\n" + goodRecord() + "\n");
    core.session.readQueue();
    EXPECT_TRUE(core.session.lastRecordGood);
    EXPECT_TRUE(takeMemo().empty());
}

// The same byte stream gives the same results however it is split across
// calls of the framer.
TEST(FramerSplits, ResultsDoNotDependOnWhereTheStreamIsCut) {
    std::string bad = goodRecord(40);
    bad[30] ^= 1;
    const std::string stream = sealSetupLine("^SETUP 00 11 22 33 44 55 ") + "\n" + goodRecord(10) + "\r\n" +
                               imageText('7') + "\n" + bad + "\n" + "junk\n" + goodRecord(5, '-') + "\n";
    auto run = [&](size_t cut) {
        MemorySerialPort port;
        port.resetResults[0] = 1;
        port.reset(0, 8192, 8192);
        DashboardCore core(port);
        core.session.echoLines = true;
        std::vector<std::string> liveRecords;
        port.feed(stream.substr(0, cut));
        core.session.readQueue();
        port.feed(stream.substr(cut));
        core.session.readQueue();
        return std::make_tuple(core.messages.lines, port.written, core.session.lastRecordLine, core.session.valuesText,
                               core.session.setupLine, decodeLiveRecord(core.session.lastRecordLine, {}).ignition,
                               core.session.status.dataError);
    };
    const auto whole = run(stream.size());
    EXPECT_EQ(std::get<5>(whole), -5);
    // Two good records in one reading are acknowledged by one poll: a
    // second would keep two polls in flight.
    EXPECT_EQ(std::get<1>(whole), "Q\r");
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        ASSERT_EQ(run(cut), whole) << "cut at " << cut;
    }
}

TEST(IgnitionCorrection, SignAdvanceAndRetard) {
    struct Case {
        char sign;
        std::string digits;
        int ignition;
        std::string written;  // positions 12-14 afterwards
    };
    const Case cases[] = {
        {'-', "05", -5, "-05"}, {' ', "20", 36, " 36"}, {' ', "50", 6, "  6"},
        {' ', "56", 0, "  0"},  {' ', "60", -4, "- 4"}, {' ', "99", -43, "-43"},
        {' ', "xx", 56, " 56"},  // not a number: read as 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.digits);
        std::string line = goodRecord();
        line[11] = c.sign;
        line.replace(12, 2, c.digits);
        EXPECT_EQ(correctIgnition(line), c.ignition);
        EXPECT_EQ(line.substr(11, 3), c.written);
        EXPECT_EQ(decodeLiveRecord(line, {}).ignition, c.ignition) << "the corrected line reads as it";
    }
}

}  // namespace
}  // namespace kvr
