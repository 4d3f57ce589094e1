#include "gui_dialog_checks.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "gui_check.h"
#include "gui_window.h"

namespace corvinst_test {
namespace {

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

}  // namespace

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

}  // namespace corvinst_test
