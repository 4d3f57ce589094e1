#include "core/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using corvinst::ArgumentText;
using corvinst::BuildServiceCommandLine;
using corvinst::InstallerDirectory;
using corvinst::kMaxCommandLine;

struct LineCase {
  const char* what;
  const char* module_path;
  bool desktop;
  const char* arguments;
  const char* expected;
};

class ServiceCommandLine : public testing::TestWithParam<LineCase> {};

TEST_P(ServiceCommandLine, IsBuiltFromTheInstallersDirectory) {
  const LineCase& c = GetParam();
  const auto line = BuildServiceCommandLine(c.module_path, c.desktop, c.arguments);
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(*line, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServiceCommandLine,
    testing::Values(
        LineCase{"Plain", R"(C:\Corvane\corvinst.exe)", false, "", R"(C:\Corvane\corvane.exe -s)"},
        LineCase{"DesktopInteraction", R"(C:\Corvane\corvinst.exe)", true, "",
                 R"(C:\Corvane\corvane.exe -sw)"},
        LineCase{"ArgumentsPassedOn", R"(C:\Corvane\corvinst.exe)", false, "-x test",
                 R"(C:\Corvane\corvane.exe -s -x test)"},
        LineCase{"ArgumentsAfterDesktopSwitch", R"(C:\Corvane\corvinst.exe)", true, "-x test",
                 R"(C:\Corvane\corvane.exe -sw -x test)"},
        LineCase{"ArgumentsKeptUnchanged", R"(C:\Corvane\corvinst.exe)", false,
                 R"("a b"  c/d )", R"(C:\Corvane\corvane.exe -s "a b"  c/d )"},
        LineCase{"ForwardSlashes", "C:/Corvane/Mail/corvinst.exe", false, "",
                 R"(C:\Corvane\Mail\corvane.exe -s)"},
        LineCase{"MixedSlashes", R"(C:/Corvane\Mail/corvinst.exe)", false, "",
                 R"(C:\Corvane\Mail\corvane.exe -s)"},
        LineCase{"DriveRoot", R"(C:\corvinst.exe)", false, "", R"(C:\corvane.exe -s)"},
        LineCase{"DirectoryEndingInColon", "C:/corvinst.exe", false, "", R"(C:\corvane.exe -s)"},
        LineCase{"UncPath", R"(\\server\share\corvinst.exe)", false, "",
                 R"(\\server\share\corvane.exe -s)"},
        LineCase{"DirectoryEndingInBackslash", R"(C:\Corvane\\corvinst.exe)", false, "",
                 R"(C:\Corvane\corvane.exe -s)"},
        LineCase{"NoDirectoryAtAll", "corvinst.exe", false, "", "corvane.exe -s"},
        LineCase{"DriveRelativeName", "C:corvinst.exe", false, "", "corvane.exe -s"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.what); });

TEST(ServiceCommandLineLimit, AcceptsExactly255Characters) {
  const std::string dir = R"(C:\Corvane\)";
  const std::string base = dir + "corvane.exe -s ";
  const std::string arguments(kMaxCommandLine - base.size(), 'x');
  const auto line = BuildServiceCommandLine(dir + "corvinst.exe", false, arguments);
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->size(), kMaxCommandLine);
  EXPECT_EQ(*line, base + arguments);
}

TEST(ServiceCommandLineLimit, RefusesOneCharacterMore) {
  const std::string dir = R"(C:\Corvane\)";
  const std::string base = dir + "corvane.exe -s ";
  const std::string arguments(kMaxCommandLine - base.size() + 1, 'x');
  EXPECT_FALSE(BuildServiceCommandLine(dir + "corvinst.exe", false, arguments).has_value());
}

TEST(ServiceCommandLineLimit, CountsTheDesktopSwitch) {
  const std::string dir = R"(C:\Corvane\)";
  // 255 characters with " -s", 256 with " -sw".
  const std::string arguments(kMaxCommandLine - (dir + "corvane.exe -s ").size(), 'x');
  EXPECT_TRUE(BuildServiceCommandLine(dir + "corvinst.exe", false, arguments).has_value());
  EXPECT_FALSE(BuildServiceCommandLine(dir + "corvinst.exe", true, arguments).has_value());
}

TEST(ServiceCommandLineLimit, RefusesALongDirectoryInsteadOfCuttingIt) {
  const std::string dir = "C:\\" + std::string(250, 'd');
  EXPECT_FALSE(BuildServiceCommandLine(dir + "\\corvinst.exe", false, "").has_value());
}

TEST(ServiceCommandLineLimit, RefusesAnEmptyModulePath) {
  EXPECT_FALSE(BuildServiceCommandLine("", false, "").has_value());
  EXPECT_FALSE(BuildServiceCommandLine("", true, "-x test").has_value());
}

TEST(InstallerDirectoryTest, CutsAtTheLastBackslashAfterTurningSlashes) {
  EXPECT_EQ(InstallerDirectory("C:/a/b/corvinst.exe"), R"(C:\a\b)");
  EXPECT_EQ(InstallerDirectory(R"(C:\a\b\)"), R"(C:\a\b)");
  EXPECT_EQ(InstallerDirectory("corvinst.exe"), "");
}

TEST(InstallerDirectoryTest, KeepsTheBackslashOfADriveRoot) {
  EXPECT_EQ(InstallerDirectory(R"(C:\corvinst.exe)"), R"(C:\)");
  EXPECT_EQ(InstallerDirectory("D:/corvinst.exe"), R"(D:\)");
}

struct ArgCase {
  const char* what;
  const char* command_line;
  const char* expected;
};

class ArgumentTextOf : public testing::TestWithParam<ArgCase> {};

TEST_P(ArgumentTextOf, SkipsTheProgramNameAndFollowingBlanks) {
  EXPECT_EQ(ArgumentText(GetParam().command_line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArgumentTextOf,
    testing::Values(ArgCase{"NameOnly", "corvinst.exe", ""},
                    ArgCase{"NameAndBlanks", "corvinst.exe   ", ""},
                    ArgCase{"Plain", "corvinst.exe -x test", "-x test"},
                    ArgCase{"TabsAndBlanksSkipped", "corvinst.exe \t -x test", "-x test"},
                    ArgCase{"InnerAndTrailingBlanksKept", "corvinst.exe -x  test ", "-x  test "},
                    ArgCase{"QuotedNameWithBlanks", R"("C:\Program Files\corvinst.exe" -x)", "-x"},
                    ArgCase{"QuotedArgumentsKept", R"(corvinst.exe "a b" c)", R"("a b" c)"},
                    ArgCase{"TextRightAfterClosingQuote", R"("C:\x.exe"-x test)", "-x test"},
                    ArgCase{"UnclosedQuote", R"("C:\x y.exe -x)", ""},
                    ArgCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<ArgCase>& info) { return std::string(info.param.what); });

}  // namespace
