#include <gtest/gtest.h>

#include "config.h"
#include "testutil.h"
#include "translate.h"

namespace {

using control::DecodeList;
using control::EncodeList;
using control::LoadSettings;
using control::SaveSettings;
using control::SettingsPathFor;
using control::StringList;
using control::tConfig;
using control_test::ReadFile;
using control_test::RecordingMessageBox;
using control_test::ScratchDir;
using control_test::WriteFile;

const char kDefaultFile[] =
    "[Common]\r\nEdition=\r\nEditor=notepad.exe\r\nBrowser=\r\nDebug=0\r\nDebuglevel=0\r\n"
    "Language=en\r\nTomcatVisible=1\r\nMinimized=0\r\n"
    "[LogSettings]\r\nFont=Arial\r\nFontSize=10\r\n"
    "[WindowSettings]\r\nLeft=-1\r\nTop=-1\r\nWidth=-1\r\nHeight=-1\r\n"
    "[Autostart]\r\nApache=0\r\nMySQL=0\r\nFileZilla=0\r\nCorvane=0\r\nTomcat=0\r\n"
    "[Checks]\r\nCheckRuntimes=1\r\nCheckDefaultPorts=1\r\n"
    "[ModuleNames]\r\nApache=Apache\r\nMySQL=MySQL\r\nFileZilla=FileZilla\r\nCorvane=Corvane\r\nTomcat=Tomcat\r\n"
    "[EnableModules]\r\nApache=1\r\nMySQL=1\r\nFileZilla=1\r\nCorvane=1\r\nTomcat=1\r\n"
    "[EnableServices]\r\nApache=1\r\nMySQL=1\r\nFileZilla=1\r\nTomcat=1\r\n"
    "[BinaryNames]\r\nApache=httpd.exe\r\nMySQL=mysqld.exe\r\nFileZilla=filezillaserver.exe\r\n"
    "FileZillaAdmin=filezilla server interface.exe\r\nCorvane=corvane.exe\r\nTomcat=tomcat7.exe\r\n"
    "[ServiceNames]\r\nApache=Apache\r\nMySQL=Mysql\r\nFileZilla=FileZillaServer\r\nTomcat=Tomcat7\r\n"
    "[ServicePorts]\r\nApache=80\r\nApacheSSL=443\r\nMySQL=3306\r\nFileZilla=21\r\nFileZillaAdmin=14147\r\n"
    "Corvane1=25\r\nCorvane2=79\r\nCorvane3=105\r\nCorvane4=106\r\nCorvane5=110\r\nCorvane6=143\r\n"
    "Corvane7=2224\r\nTomcatHTTP=8080\r\nTomcatAJP=8009\r\nTomcat=8005\r\n"
    "[UserConfigs]\r\nApache=\r\nMySQL=\r\nFileZilla=\r\nCorvane=\r\nTomcat=\r\n"
    "[UserLogs]\r\nApache=\r\nMySQL=\r\nFileZilla=\r\nCorvane=\r\nTomcat=\r\n";

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    control::Config() = tConfig{};
    control::SetCatalogue({});
  }
  void TearDown() override { control::Config() = tConfig{}; }
  // Runs the start-up settings steps for an executable in the scratch folder.
  std::string Start(const std::string& exe_name = "ostrel-control.exe") {
    control::StartSettings(dir.File(exe_name), dir.File("locale"), box);
    return control::Process().SettingsPath;
  }
  ScratchDir dir;
  RecordingMessageBox box;
};

TEST_F(SettingsFile, StartWithoutFileWritesEveryKeyInOrderWithDefaults) {
  std::string path = Start();
  EXPECT_EQ(path, dir.File("ostrel-control.ini"));
  EXPECT_EQ(ReadFile(path), kDefaultFile);
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(SettingsFile, StartAlwaysLeavesLanguageEn) {
  WriteFile(dir.File("ostrel-control.ini"), "[Common]\r\nLanguage=de\r\n");
  std::string path = Start();
  EXPECT_EQ(control::Config().Language, "en");
  EXPECT_NE(ReadFile(path).find("[Common]\r\nLanguage=en\r\nEdition="), std::string::npos);
}

TEST_F(SettingsFile, BooleansAndNumbersReadAsTheirValueOrDefault) {
  struct Case {
    const char* line;
    bool show_debug;
    int level;
    const char* written;
  } cases[] = {
      {"Debug=yes\r\nDebuglevel=x", false, 0, "Debug=0\r\nDebuglevel=0"},
      {"Debug=2\r\nDebuglevel=1", true, 1, "Debug=1\r\nDebuglevel=1"},
      {"Debug=-1\r\nDebuglevel=99999999999", true, 0, "Debug=1\r\nDebuglevel=0"},
      {"Debug=0\r\nDebuglevel=$10", false, 16, "Debug=0\r\nDebuglevel=16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    control::Config() = tConfig{};
    std::string path = dir.File("p.ini");
    WriteFile(path, std::string("[Common]\r\n") + c.line + "\r\n");
    LoadSettings(control::Config(), path, box);
    EXPECT_EQ(control::Config().ShowDebug, c.show_debug);
    EXPECT_EQ(control::Config().DebugLevel, c.level);
    SaveSettings(control::Config(), path, box);
    EXPECT_EQ(ReadFile(path).rfind(std::string("[Common]\r\n") + c.written + "\r\n", 0), 0u);
  }
}

TEST_F(SettingsFile, PathReplacesTheLastThreeCharacters) {
  EXPECT_EQ(SettingsPathFor("C:\\x\\panel.exe"), "C:\\x\\panel.ini");
  EXPECT_EQ(SettingsPathFor("C:\\x\\panel.bin"), "C:\\x\\panel.ini");
  EXPECT_EQ(Start("panel.bin"), dir.File("panel.ini"));
}

TEST_F(SettingsFile, ForeignSectionsKeysAndLinesSurviveASave) {
  const std::string before =
      "; kept comment\r\n[Common]\r\nEditor=vi.exe\r\nMyKey=keep me\r\n\r\n[Foreign]\r\na=b\r\n";
  std::string path = dir.File("ostrel-control.ini");
  WriteFile(path, before);
  Start();
  std::string after = ReadFile(path);
  EXPECT_EQ(control::Config().EditorApp, "vi.exe");
  EXPECT_EQ(after.rfind("; kept comment\r\n[Common]\r\nEditor=vi.exe\r\nMyKey=keep me\r\nEdition=\r\n", 0), 0u)
      << after;
  EXPECT_NE(after.find("Minimized=0\r\n\r\n[Foreign]\r\na=b\r\n[LogSettings]\r\n"), std::string::npos) << after;
}

TEST_F(SettingsFile, SecondSaveOfUnchangedSettingsChangesNoByte) {
  std::string path = dir.File("ostrel-control.ini");
  WriteFile(path, "[Common]\nEditor = my editor.exe \n[X]\ny=1\n");
  Start();
  std::string once = ReadFile(path);
  SaveSettings(control::Config(), path, box);
  EXPECT_EQ(ReadFile(path), once);
  EXPECT_NE(once.find("Editor = my editor.exe \n"), std::string::npos);
}

TEST_F(SettingsFile, UserListsRoundTripWithQuotedItems) {
  control::Config().UserConfig.Apache = {"conf\\a.conf", "conf\\my file.conf"};
  control::Config().UserLogs.Tomcat = {"say \"hi\"|x"};
  std::string path = dir.File("s.ini");
  SaveSettings(control::Config(), path, box);
  std::string text = ReadFile(path);
  EXPECT_NE(text.find("[UserConfigs]\r\nApache=conf\\a.conf|\"conf\\my file.conf\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("Tomcat=\"say \"\"hi\"\"|x\"\r\n"), std::string::npos);
  tConfig loaded;
  LoadSettings(loaded, path, box);
  EXPECT_EQ(loaded.UserConfig.Apache, control::Config().UserConfig.Apache);
  EXPECT_EQ(loaded.UserLogs.Tomcat, control::Config().UserLogs.Tomcat);
}

TEST(StringListValue, SplitsAtBarsAndAtBlanksOutsideQuotes) {
  struct Case {
    const char* value;
    StringList items;
  } cases[] = {
      {"", {}},
      {"a|b", {"a", "b"}},
      {"a|conf\\my file.conf", {"a", "conf\\my", "file.conf"}},
      {"a|\"conf\\my file.conf\"", {"a", "conf\\my file.conf"}},
      {"  a  |  b  ", {"a", "b"}},
      {"a|", {"a", ""}},
      {"\"unterminated", {"unterminated"}},
      {"\"\"", {""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeList(c.value), c.items) << c.value;
  }
}

TEST(StringListValue, EncodedListsDecodeToTheSameItems) {
  const StringList lists[] = {{}, {"a"}, {"a b", "c"}, {"\"", "|", "x\ty"}, {""}};
  for (const auto& l : lists) EXPECT_EQ(DecodeList(EncodeList(l)), l) << EncodeList(l);
}

TEST_F(SettingsFile, UnreadableFileIsReportedAndTheProgramGoesOn) {
  std::string path = dir.File("adir.ini");
  std::filesystem::create_directory(path);
  control::Config().EditorApp = "kept";
  LoadSettings(control::Config(), path, box);
  SaveSettings(control::Config(), path, box);
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[0].rfind("Error: ", 0), 0u);
  EXPECT_EQ(control::Config().EditorApp, "kept");
}

}  // namespace
