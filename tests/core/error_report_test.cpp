#include <gtest/gtest.h>

#include "errors/error_report.h"
#include "support/scripted_user.h"

namespace marlo {
namespace {

constexpr const char* kHeader = "Record Call Stack Sequence - Bottom line is error line.\r\n\r\n";

std::string ErrorBlock(int number, const std::string& description) {
    return "\r\nError Number \r\n\t" + std::to_string(number) + "\r\nDescription\r\n\t" +
           description + "\r\n\r\n";
}

TEST(ErrorReportTest, AnErrorWhereItIsReportedShowsOneLocation) {
    test::ScriptedUser user;
    ErrorReport report(user);
    RunProcedure(report, Procedure::SwitchToEnglish, ErrorLevel::Report,
                 [] { throw RunTimeError(err::DivisionByZero, "Division by zero"); });
    ASSERT_EQ(user.errorReports.size(), 1u);
    EXPECT_EQ(user.errorReports[0], std::string(kHeader) + "\tcmdEN_Click Kestrin \r\n" +
                                        ErrorBlock(11, "Division by zero"));
}

TEST(ErrorReportTest, AHandedOnErrorIsReportedOnceWithTheWholeChain) {
    test::ScriptedUser user;
    ErrorReport report(user);
    RunProcedure(report, Procedure::Convert, ErrorLevel::Report, [&] {
        RunProcedure(report, Procedure::WriteGeoTiff, ErrorLevel::HandOn, [&] {
            RunProcedure(report, Procedure::SetAttributesArchive, ErrorLevel::HandOn,
                         [] { throw RunTimeError(err::PermissionDenied, "Permission denied"); });
        });
    });
    ASSERT_EQ(user.errorReports.size(), 1u);
    EXPECT_EQ(user.errorReports[0],
              std::string(kHeader) + "\tcmbOK_Click Kestrin \r\n" + "\tZapisGEO Kestrin \r\n" +
                  "\tSetAttributesArchive Kestrin \r\n" + ErrorBlock(70, "Permission denied"));
}

TEST(ErrorReportTest, ARefusalPassesEveryProcedureUnchanged) {
    test::ScriptedUser user;
    ErrorReport report(user);
    EXPECT_THROW(RunProcedure(report, Procedure::WriteTable, ErrorLevel::Report,
                              [] { throw Refusal("Output file already exists!"); }),
                 Refusal);
    EXPECT_TRUE(user.errorReports.empty());
}

TEST(ErrorReportTest, OtherExceptionsBecomeRunTimeErrors) {
    test::ScriptedUser user;
    ErrorReport report(user);
    RunProcedure(report, Procedure::GetTiffInfo, ErrorLevel::Report,
                 [] { throw std::bad_alloc(); });
    RunProcedure(report, Procedure::GetTiffInfo, ErrorLevel::Report,
                 [] { throw std::out_of_range("vector"); });
    ASSERT_EQ(user.errorReports.size(), 2u);
    EXPECT_NE(user.errorReports[0].find(ErrorBlock(7, "Out of memory")), std::string::npos);
    EXPECT_NE(user.errorReports[1].find(ErrorBlock(5, "vector")), std::string::npos);
}

}  // namespace
}  // namespace marlo
