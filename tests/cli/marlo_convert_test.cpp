#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/command_line.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

class MarloConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", temp.MakeFolder("data").c_str(), 1);
        worldFile = temp.Write("in/a.tfw", "2\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n");
    }

    int Run(const std::vector<std::string>& arguments) {
        out.str("");
        errors.str("");
        return cli::RunMarloConvert(arguments, out, errors);
    }

    test::TempFolder temp;
    std::string worldFile;
    std::ostringstream out;
    std::ostringstream errors;
};

TEST_F(MarloConvertTest, HelpPrintsTheUsage) {
    EXPECT_EQ(Run({"--help"}), cli::kExitDone);
    EXPECT_NE(out.str().find("--from FORMAT --to FORMAT"), std::string::npos);
    // After "--", "-h" is a file name: here one that does not exist.
    out.str("");
    EXPECT_EQ(Run({"--from", "tfw", "--to", "tab", "--", "-h"}), cli::kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(Run({"--version"}), cli::kExitDone);
    EXPECT_EQ(out.str().rfind("marlo-convert 1.", 0), 0u) << out.str();
}

TEST_F(MarloConvertTest, UsageErrorsExitWithTwoAndConvertNothing) {
    const std::string other = temp.Write("other/b.tfw", "1");
    const std::vector<std::vector<std::string>> wrong = {
        {"--to", "tab", worldFile},
        {"--from", "tfw", "--to", "png", worldFile},
        {"--from", "tfw", "--to", "tab"},
        {"--from", "tfw", "--to", "tab", "--bogus", worldFile},
        {"--from", "tfw", "--to", "tab", temp / "in/missing.tfw"},
        {"--from", "tfw", "--to", "tab", "--language", "deutsch", worldFile},
        {"--from", "tfw", "--to", "tab", worldFile, "--output-dir"},
        {"--from", "tfw", "--to", "geotiff", worldFile},
        // Tables and world files are written beside their images, never in another folder.
        {"--from", "tfw", "--to", "tab", "--output-dir", temp.MakeFolder("out"), worldFile},
    };
    for (const auto& arguments : wrong) {
        EXPECT_EQ(Run(arguments), cli::kExitUsage) << arguments.back();
        EXPECT_NE(errors.str().find("marlo-convert: "), std::string::npos);
    }
}

TEST_F(MarloConvertTest, ARunThatDoesNotEndWithDonePrintsItsMessageAndExitsWithOne) {
    EXPECT_EQ(
        Run({"--from", "tfw", "--to", "geotiff", "--output-dir", temp / "nowhere", worldFile}),
        cli::kExitNotDone);
    EXPECT_EQ(errors.str(), "Output directory doesn't exists!\n");

    EXPECT_EQ(Run({"--from", "tfw", "--to", "tfw", worldFile}), cli::kExitNotDone);
    EXPECT_EQ(errors.str(), "Input and output file formats are the same!\n");
}

TEST_F(MarloConvertTest, MessagesComeInTheChosenLanguage) {
    EXPECT_EQ(Run({"--language", "polski", "--from", "tfw", "--to", "geotiff", "--output-dir",
                   temp / "in", worldFile}),
              cli::kExitNotDone);
    EXPECT_EQ(errors.str(), "Katalogi wejściowy i wynikowy są takie same!\n");
}

// --keep-going converts past a bad file; the summary goes to the standard output and the exit
// status says that a file failed. --existing decides for outputs that exist before the run.
TEST_F(MarloConvertTest, KeepGoingAndExistingOutputsDecideWhatARunDoes) {
    temp.Write("in/a.tif", test::TiffBuilder::Image(4, 3).Build());
    const std::string bad = temp.Write("in/b.tfw", "2\r\n0\r\n0\r\n");
    temp.Write("in/b.tif", "");
    struct Case {
        std::vector<std::string> options;
        int exit;
        std::string summary;
        std::string errors;
    };
    const Case cases[] = {
        {{},
         cli::kExitNotDone,
         "Converted: 1, skipped: 0, failed: 1, not reached: 0\n",
         "Error value in the tfw file!\n" + bad + "\n"},
        {{"--keep-going"},
         cli::kExitNotDone,
         "Converted: 1, skipped: 0, failed: 1, not reached: 0\n",
         "Done!\n"},
        {{"--keep-going", "--existing", "skip"},
         cli::kExitNotDone,
         "Converted: 0, skipped: 1, failed: 1, not reached: 0\n",
         "Done!\n"},
        {{"--existing", "stop"},
         cli::kExitNotDone,
         "",
         "Output file already exists!\n" + (temp / "in/a.tab") + "\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"--from", "tfw",          "--to",
                                              "tab",    "--projection", "EPSG:2180"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.insert(arguments.end(), {worldFile, bad});
        EXPECT_EQ(Run(arguments), c.exit) << c.options.size();
        EXPECT_EQ(out.str().substr(0, c.summary.size()), c.summary) << out.str();
        EXPECT_EQ(errors.str(), c.errors);
    }
    EXPECT_EQ(Run({"--from", "tfw", "--to", "tab", "--existing", "ask", worldFile}),
              cli::kExitUsage);
}

TEST_F(MarloConvertTest, ErrorReportsArePrintedWithTheirChain) {
    const std::string farFile = temp.Write("in/far.tfw", "1e400\r\n0\r\n0\r\n-1\r\n0\r\n0\r\n");
    EXPECT_EQ(
        Run({"--from", "tfw", "--to", "geotiff", "--output-dir", temp.MakeFolder("out"), farFile}),
        cli::kExitNotDone);
    EXPECT_NE(errors.str().find("\tcmbOK_Click Kestrin \n\tOdczytTFW Kestrin \n"),
              std::string::npos);
}

}  // namespace
}  // namespace marlo
