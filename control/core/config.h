// config.h - the control panel's settings object and its settings file.
//
// tConfig mirrors the ini settings file beside the executable. Config() is the
// one process-wide instance; Process() holds the other process-wide values
// (settings path, distribution root, version text, quitting flag).
//
//   SettingsPathFor(exe)     the exe path with its last three characters
//                            replaced by "ini" (panel.exe and panel.bin both
//                            give panel.ini).
//   LoadSettings(cfg, path, box)  reads every key with its default; a missing
//                            file gives all defaults.
//   SaveSettings(cfg, path, box)  writes every key in the file's fixed order
//                            into the file as it now stands, keeping foreign
//                            sections, keys and lines byte for byte.
//   EncodeList / DecodeList  "|" lists; items with a blank, control character,
//                            double quote or "|" are quoted with inner quotes
//                            doubled; reading splits at "|" and at blanks
//                            outside quotes.
// Diagnostics: an error reading or writing the file is shown through the
// message box as the translated "Error" + ": " + the error text; the program
// goes on. Booleans are written "1"/"0"; any non-zero integer reads as true;
// a value that is not an integer (or does not fit 32 bits) takes the default.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace control {

class IMessageBox;

using StringList = std::vector<std::string>;

struct tConfig {
  std::string Edition;
  std::string EditorApp = "notepad.exe";
  std::string BrowserApp;
  bool ShowDebug = false;
  int DebugLevel = 0;
  std::string Language;
  bool TomcatVisible = true;
  bool Minimized = false;
  bool ASApache = false, ASMySQL = false, ASFileZilla = false, ASCorvane = false, ASTomcat = false;
  struct {
    bool Runtimes = true;
    bool CheckDefaultPorts = true;
  } EnableChecks;
  struct {
    std::string Apache = "Apache", MySQL = "MySQL", FileZilla = "FileZilla", Corvane = "Corvane",
                Tomcat = "Tomcat";
  } ModuleNames;
  struct {
    bool Apache = true, MySQL = true, FileZilla = true, Corvane = true, Tomcat = true;
  } EnableModules;
  struct {
    bool Apache = true, MySQL = true, FileZilla = true, Tomcat = true;
  } EnableServices;
  struct {
    std::string Apache = "Apache", MySQL = "Mysql", FileZilla = "FileZillaServer", Tomcat = "Tomcat7";
  } ServiceNames;
  struct {
    std::string Apache = "httpd.exe", MySQL = "mysqld.exe", FileZilla = "filezillaserver.exe",
                FileZillaAdmin = "filezilla server interface.exe", Corvane = "corvane.exe",
                Tomcat = "tomcat7.exe";
  } BinaryNames;
  struct {
    std::string Font = "Arial";
    int FontSize = 10;
  } LogSettings;
  struct {
    int Left = -1, Top = -1, Width = -1, Height = -1;
  } WindowSettings;
  struct {
    int Apache = 80, ApacheSSL = 443, MySQL = 3306, FileZilla = 21, FileZillaAdmin = 14147;
    int Corvane1 = 25, Corvane2 = 79, Corvane3 = 105, Corvane4 = 106, Corvane5 = 110, Corvane6 = 143,
        Corvane7 = 2224;
    int Tomcat = 8005, TomcatHTTP = 8080, TomcatAJP = 8009;
  } ServicePorts;
  struct Lists {
    StringList Apache, MySQL, FileZilla, Corvane, Tomcat;
  };
  Lists UserLogs;
  Lists UserConfig;
};

struct ProcessValues {
  std::string SettingsPath;
  std::string Root;  // distribution root, lower case, ends in a backslash
  std::string VersionText = "3.22";
  bool Quitting = false;
};

tConfig& Config();
ProcessValues& Process();

std::string SettingsPathFor(std::string_view exe_path);
std::string EncodeList(const StringList& items);
StringList DecodeList(std::string_view value);

void LoadSettings(tConfig& cfg, const std::string& path, IMessageBox& box);
void SaveSettings(const tConfig& cfg, const std::string& path, IMessageBox& box);

// Start-up steps 3 to 6: settings path from exe_path, load, Language := "en",
// save at once, switch the translation to that language (catalogues are looked
// for below locale_dir).
void StartSettings(const std::string& exe_path, const std::string& locale_dir, IMessageBox& box);

}  // namespace control
