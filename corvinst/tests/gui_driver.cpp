// Drives corvinst.exe through its windows and checks the services it leaves
// in the Service Control Manager. Run under Wine by gui_test.sh; prints one
// line per check and exits with the number of failed checks.
//
// Usage: corvinst_gui_driver [INSTALLER [SCREENSHOT_FOLDER]]
// Without arguments corvinst.exe is taken from the folder above this
// program's and the screenshots (corvinst-dialog.bmp, corvinst-installed.bmp)
// are written beside this program; relative names are taken from the
// current folder.
// Services are named "corvinst-test-gui-<process id>-..." and deleted at
// the end, whatever happened.
#include <windows.h>

#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "gui_screenshot.h"
#include "gui_window.h"
#include "service_query.h"

namespace {

using namespace corvinst_test;

constexpr DWORD kWaitMs = 20000;
const std::string kDialogTitle = "Corvane/32 Service Installer";
const std::string kErrorCaption = "Corvane/32 Service Installer Error";
const std::string kInstalledCaption = "Corvane Service Installer";
const std::string kInstalledText = "Corvane/32 Service successfully installed.";
const std::string kCreateFailedText = "Failed while creating service.";
const std::string kDescription = "Corvane Mail Transport System core process";

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

template <typename T>
void CheckEq(const T& actual, const T& expected, const std::string& what) {
  Check(actual == expected, what);
}

void CheckText(const std::string& actual, const std::string& expected, const std::string& what) {
  Check(actual == expected, what + " is \"" + expected + "\" (got \"" + actual + "\")");
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(),
                                                static_cast<int>(a.size()), b.c_str(),
                                                static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string OwnFolder() {
  char path[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\'));
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 4] = {};
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return std::string(full, n);
}

struct Paths {
  std::string installer;         // corvinst.exe
  std::string installer_folder;  // its folder
  std::string shots;             // where screenshots go
};

// What one run of the installer should be given and what it should show.
struct Run {
  std::string label;
  std::string arguments;
  std::string name;
  bool desktop = false;
  bool auto_start = false;
  bool cancel = false;
  std::string shot;  // screenshot of the filled-in dialog, when not empty
  std::string shot_of_message;
  std::string expected_caption;  // empty: no message box expected
  std::string expected_text;
};

// Every control of the dialog, in template order, with its place in dialog
// units (x, y, width, height).
struct Placed {
  int x, y, cx, cy;
};
const Placed kLayout[] = {
    {9, 10, 278, 67},    // group box
    {20, 27, 77, 8},     // name label
    {100, 26, 176, 12},  // 101 name edit
    {20, 43, 256, 10},   // 102 desktop box
    {20, 56, 256, 10},   // 103 boot box
    {12, 85, 22, 8},     // "Notes:"
    {12, 98, 10, 19},   {24, 98, 260, 19},   // note rows: "*" and text
    {12, 122, 10, 19},  {24, 122, 260, 19},
    {12, 146, 10, 19},  {24, 146, 260, 19},
    {12, 170, 10, 19},  {24, 170, 260, 19},
    {173, 218, 50, 14},  // OK
    {226, 218, 50, 14},  // Cancel
};

// Compares each control's pixel rectangle with its dialog units scaled by
// the dialog's own client size (295 x 249 units); rounding allows 2 pixels.
void CheckLayout(HWND dialog) {
  RECT client{};
  GetClientRect(dialog, &client);
  const double sx = client.right / 295.0;
  const double sy = client.bottom / 249.0;
  std::printf("dialog client area %ld x %ld pixels\n", client.right, client.bottom);
  Check(sx > 1.0 && sy > 1.0, "dialog has a sensible size");
  std::size_t index = 0;
  bool all_placed = true;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT), ++index) {
    if (index >= std::size(kLayout)) break;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const Placed& p = kLayout[index];
    auto close_to = [](long pixels, double expected) {
      return pixels >= expected - 2.0 && pixels <= expected + 2.0;
    };
    if (!close_to(r.left, p.x * sx) || !close_to(r.top, p.y * sy) ||
        !close_to(r.right - r.left, p.cx * sx) || !close_to(r.bottom - r.top, p.cy * sy)) {
      std::printf("control %zu at %ld,%ld size %ld x %ld\n", index, r.left, r.top,
                  r.right - r.left, r.bottom - r.top);
      all_placed = false;
    }
  }
  CheckEq(index, std::size(kLayout), "dialog has " + std::to_string(std::size(kLayout)) +
                                         " controls");
  Check(all_placed, "every control sits where the layout puts it");
}

void CheckOpeningState(HWND dialog) {
  CheckText(TextOf(GetDlgItem(dialog, 101)), "Corvane32", "name edit at start");
  Check(!IsChecked(GetDlgItem(dialog, 102)), "desktop box unticked at start");
  Check(!IsChecked(GetDlgItem(dialog, 103)), "boot box unticked at start");
  CheckText(TextOf(GetDlgItem(dialog, 102)),
            "Allow the Corvane service to interact with the Windows &Desktop", "desktop box");
  CheckText(TextOf(GetDlgItem(dialog, 103)),
            "Start the Corvane service automatically when Windows &boots up", "boot box");
  CheckText(TextOf(GetDlgItem(dialog, IDOK)), "OK", "button 1");
  CheckText(TextOf(GetDlgItem(dialog, IDCANCEL)), "Cancel", "button 2");
  const std::vector<std::string> expected = {
      " Corvane/32 Service Settings ",
      "Corvane Service &Name:",
      "Notes:",
      "*",
      "Corvane/32 services can only interact with the Windows desktop when logged in as the "
      "'LocalSystem' account.",
      "*",
      "User mailboxes must be located on a volume local to this system when running Corvane as "
      "a service.",
      "*",
      "Corvane cannot run as a service in Novell NetWare mode, because of limitations in the way "
      "services are implemented under Windows.",
      "*",
      "Windows desktop interaction is not possible under Windows Vista because of changes made "
      "in that version of Windows."};
  // The group box is a button, not a static: read it on its own.
  std::vector<std::string> texts = StaticTexts(dialog);
  char cls[64] = {};
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    GetClassNameA(child, cls, sizeof cls);
    if ((GetWindowLongA(child, GWL_STYLE) & 0xF) == BS_GROUPBOX &&
        lstrcmpiA(cls, "Button") == 0) {
      texts.insert(texts.begin(), TextOf(child));
    }
  }
  Check(texts == expected, "group box, labels and notes have their texts");
}

// Starts the installer, fills in the dialog as `run` says, confirms or
// cancels it and handles the message box. Returns the exit code (-1 when
// the program did not end).
long Perform(const Paths& paths, const Run& run) {
  std::printf("--- %s\n", run.label.c_str());
  Program program;
  if (!program.Start(paths.installer, run.arguments)) {
    Check(false, "corvinst.exe starts");
    return -1;
  }
  HWND dialog = WaitForDialog(program.id(), kDialogTitle, kWaitMs);
  Check(dialog != nullptr, "dialog \"" + kDialogTitle + "\" appears");
  if (dialog == nullptr) return -1;
  if (run.label == "first install") {
    CheckOpeningState(dialog);
    CheckLayout(dialog);
  }

  SetText(GetDlgItem(dialog, 101), run.name);
  if (run.desktop) Click(GetDlgItem(dialog, 102));
  if (run.auto_start) Click(GetDlgItem(dialog, 103));
  CheckText(TextOf(GetDlgItem(dialog, 101)), run.name, "name edit");
  Check(IsChecked(GetDlgItem(dialog, 102)) == run.desktop, "desktop box as set");
  Check(IsChecked(GetDlgItem(dialog, 103)) == run.auto_start, "boot box as set");
  if (!run.shot.empty()) {
    SetForegroundWindow(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    Check(SaveWindowImage(dialog, paths.shots + "\\" + run.shot), "screenshot " + run.shot);
  }
  Click(GetDlgItem(dialog, run.cancel ? IDCANCEL : IDOK));

  if (!run.expected_caption.empty()) {
    HWND box = WaitForDialog(program.id(), run.expected_caption, kWaitMs);
    Check(box != nullptr, "message box \"" + run.expected_caption + "\" appears");
    if (box == nullptr) return -1;
    const std::vector<std::string> texts = StaticTexts(box);
    CheckText(texts.empty() ? std::string() : texts.front(), run.expected_text, "message");
    if (!run.shot_of_message.empty()) {
      Sleep(300);
      Check(SaveWindowImage(box, paths.shots + "\\" + run.shot_of_message),
            "screenshot " + run.shot_of_message);
    }
    Click(GetDlgItem(box, IDOK));
  }
  const long code = program.WaitForExit(kWaitMs);
  CheckEq(code, 0L, "corvinst.exe ends with status 0 (got " + std::to_string(code) + ")");
  return code;
}

void CheckService(const Paths& paths, const std::string& name, std::uint32_t type,
                  std::uint32_t start, const std::string& path_tail) {
  const std::optional<StoredService> stored = QueryStoredService(name);
  Check(stored.has_value(), "service " + name + " exists");
  if (!stored) return;
  CheckEq(stored->service_type, type, "service type 0x" + [&] {
    char b[16];
    std::snprintf(b, sizeof b, "%x", static_cast<unsigned>(type));
    return std::string(b);
  }());
  CheckEq(stored->start_type, start, "start type " + std::to_string(start));
  CheckEq(stored->error_control, std::uint32_t{1}, "error control normal");
  const std::string expected = paths.installer_folder + "\\" + path_tail;
  Check(SameIgnoringCase(stored->binary_path, expected),
        "binary path is \"" + expected + "\" (got \"" + stored->binary_path + "\")");
  CheckText(stored->display_name, name, "display name");
  CheckText(stored->account, "LocalSystem", "account");
  Check(stored->description == kDescription,
        "description is \"" + kDescription + "\" (got \"" + stored->description.value_or("<none>") +
            "\")");
}

}  // namespace

int main(int argc, char** argv) {
  Paths paths;
  paths.shots = argc > 2 ? FullPath(argv[2]) : OwnFolder();
  paths.installer = FullPath(argc > 1 ? std::string(argv[1]) : OwnFolder() + "\\..\\corvinst.exe");
  paths.installer_folder = paths.installer.substr(0, paths.installer.find_last_of('\\'));
  std::printf("installer: %s\n", paths.installer.c_str());

  const std::string prefix = "corvinst-test-gui-" + std::to_string(GetCurrentProcessId()) + "-";
  const std::string interactive = prefix + "interactive";
  const std::string with_arguments = prefix + "arguments";
  const std::string cancelled = prefix + "cancelled";
  const std::string too_long = prefix + "too-long";

  Run first{"first install", "", interactive, true, true, false,
            "corvinst-dialog.bmp", "corvinst-installed.bmp", kInstalledCaption, kInstalledText};
  Perform(paths, first);
  CheckService(paths, interactive, 0x110, 2, "corvane.exe -sw");

  Run again{"same name again", "", interactive, false, false, false, "", "",
            kErrorCaption, kCreateFailedText};
  Perform(paths, again);
  CheckService(paths, interactive, 0x110, 2, "corvane.exe -sw");

  Run arguments{"arguments passed on", "-x test", with_arguments, false, false, false, "", "",
                kInstalledCaption, kInstalledText};
  Perform(paths, arguments);
  CheckService(paths, with_arguments, 0x10, 3, "corvane.exe -s -x test");

  Run cancel{"cancel", "", cancelled, true, true, true, "", "", "", ""};
  Perform(paths, cancel);
  Check(!QueryStoredService(cancelled).has_value(), "cancel creates no service");

  Run overlong{"command line too long", std::string(260, 'a'), too_long, false, false, false,
               "", "", kErrorCaption, kCreateFailedText};
  Perform(paths, overlong);
  Check(!QueryStoredService(too_long).has_value(), "an overlong command line creates no service");

  for (const std::string& name : {interactive, with_arguments, cancelled, too_long}) {
    DeleteStoredService(name);
    Check(!QueryStoredService(name).has_value(), "service " + name + " removed");
  }
  std::printf("%d failed checks\n", failures);
  return failures;
}
