#include "win32/installer_dialog.h"

#include <array>

#include "win32/resource.h"

namespace corvinst {
namespace {

constexpr char kTemplateName[] = "C32DATA";

void LoadControls(HWND dialog, const InstallChoice& choice) {
  SetDlgItemTextA(dialog, IDC_SERVICE_NAME, choice.service_name.c_str());
  CheckDlgButton(dialog, IDC_DESKTOP, choice.desktop ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_AUTOSTART, choice.auto_start ? BST_CHECKED : BST_UNCHECKED);
}

void StoreControls(HWND dialog, InstallChoice& choice) {
  std::array<char, kMaxNameRead + 1> name{};
  const UINT length =
      GetDlgItemTextA(dialog, IDC_SERVICE_NAME, name.data(), static_cast<int>(name.size()));
  choice.service_name.assign(name.data(), length);
  choice.desktop = IsDlgButtonChecked(dialog, IDC_DESKTOP) == BST_CHECKED;
  choice.auto_start = IsDlgButtonChecked(dialog, IDC_AUTOSTART) == BST_CHECKED;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      LoadControls(dialog, *reinterpret_cast<const InstallChoice*>(lparam));
      return TRUE;  // focus to the first tab stop, the name
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          StoreControls(dialog,
                        *reinterpret_cast<InstallChoice*>(GetWindowLongPtrA(dialog, DWLP_USER)));
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool ShowInstallerDialog(HINSTANCE instance, InstallChoice& choice) {
  const INT_PTR result = DialogBoxParamA(instance, kTemplateName, nullptr, DialogProc,
                                         reinterpret_cast<LPARAM>(&choice));
  return result == IDOK;
}

}  // namespace corvinst
