// kvrtool asm and kvrtool print, run as a user runs them.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "dashboard/logging/log_files.h"
#include "dashboard/values/asm_listing.h"
#include "default_values_image.h"
#include "report_ui_test_support.h"

namespace kvr {
namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class KvrtoolReportCommandsTest : public ::testing::Test {
protected:
    std::string path(const char* name) const {
        return dir_.filePath(QString::fromLatin1(name)).toStdString();
    }

    std::string valuesFile(const std::string& image) const {
        const std::string file = path("run1.KVV");
        std::string error;
        EXPECT_TRUE(writeValuesFile(file, ValuesFile{image, {"notes"}}, error)) << error;
        return file;
    }

    ToolRun kvrtool(const std::string& args) const {
        const std::string out = path("stdout"), err = path("stderr");
        const std::string command =
            std::string(KVRTOOL_PATH) + " " + args + " >'" + out + "' 2>'" + err + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    QTemporaryDir dir_;
};

std::vector<std::string> crLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

TEST_F(KvrtoolReportCommandsTest, AsmWritesTheListingOfTheSimulatorImage) {
    const std::string image = kvrsim::defaultValuesImage();
    const std::string kvv = valuesFile(image);
    const ToolRun toFile = kvrtool("asm '" + kvv + "' -o '" + path("out.ASM") + "'");
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    const std::vector<std::string> lines = crLfLines(slurp(path("out.ASM")));
    ASSERT_EQ(lines.size(), 508u);

    // A loaded values file has been through a fill, so the header's separators are "_".
    const QRegularExpression header(
        QStringLiteral("^;asm file generated from KVRDash \\d{4}_\\d\\d_\\d\\d \\d\\d_\\d\\d_\\d\\d$"));
    EXPECT_TRUE(header.match(QString::fromStdString(lines[0])).hasMatch()) << lines[0];
    const AsmListing expected = buildAsmListing(image, DateTimeSeparators{'_', '_'}, LocalDateTime{});
    EXPECT_TRUE(std::equal(lines.begin() + 1, lines.end(), expected.lines.begin() + 1));
    EXPECT_EQ(lines[2 + 0x1DD], " FCB 00 ; $09DD");
    EXPECT_EQ(lines[507].substr(lines[507].size() - 7), "; $09F9");

    const ToolRun toStdout = kvrtool("asm '" + kvv + "'");
    ASSERT_EQ(toStdout.status, 0) << toStdout.err;
    const std::vector<std::string> printed = crLfLines(toStdout.out);
    ASSERT_EQ(printed.size(), 508u);
    EXPECT_TRUE(std::equal(printed.begin() + 1, printed.end(), lines.begin() + 1));
}

TEST_F(KvrtoolReportCommandsTest, AsmRefusesAShortImageAndWritesNothing) {
    const std::string kvv = valuesFile(kvrsim::defaultValuesImage().substr(0, 1012));
    const ToolRun run = kvrtool("asm '" + kvv + "' -o '" + path("out.ASM") + "'");
    EXPECT_EQ(run.status, 1);
    // The same words as every command that reads a values file: the listing alone would need
    // fewer characters, but a line the dashboard does not decode is no values image.
    EXPECT_NE(
        run.err.find(
            "is not a values file: line 1 has 1012 characters, a values image has 2243 (at least 2000)"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_FALSE(fileExists(path("out.ASM")));

    EXPECT_EQ(kvrtool("asm '" + path("missing.KVV") + "'").status, 1);
    EXPECT_EQ(kvrtool("asm").status, 2);
    EXPECT_EQ(kvrtool("asm '" + kvv + "' -o").status, 2);
}

TEST_F(KvrtoolReportCommandsTest, PrintWritesAOnePagePdf) {
    for (const std::string& image : {kvrsim::defaultValuesImage(), widestImage(true)}) {
        const std::string kvv = valuesFile(image);
        const ToolRun run =
            kvrtool("print '" + kvv + "' -o '" + path("report.pdf") + "' --title 'ToolRun one'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        QFile pdf(QString::fromStdString(path("report.pdf")));
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        EXPECT_EQ(pdfPageCount(bytes), 1);
    }
}

TEST_F(KvrtoolReportCommandsTest, PrintRefusesWhatTheDashboardWouldNotLoad) {
    const ToolRun shortImage =
        kvrtool("print '" + valuesFile(std::string(1999, '0')) + "' -o '" + path("r.pdf") + "'");
    EXPECT_EQ(shortImage.status, 1);
    EXPECT_NE(shortImage.err.find("at least 2000"), std::string::npos) << shortImage.err;

    std::string damaged = kvrsim::defaultValuesImage();
    damaged[31] = 'Z';  // low digit of byte 15, the first RPM fuel number
    const ToolRun bad = kvrtool("print '" + valuesFile(damaged) + "' -o '" + path("r.pdf") + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("position 32"), std::string::npos) << bad.err;
    EXPECT_FALSE(fileExists(path("r.pdf")));

    EXPECT_EQ(kvrtool("print '" + valuesFile(kvrsim::defaultValuesImage()) + "'").status, 2);  // no -o
}

}  // namespace
}  // namespace kvr
