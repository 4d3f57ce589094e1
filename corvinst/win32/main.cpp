// corvinst: registers the mail server's core process, corvane.exe beside
// this program, as a Windows service.
//
// Usage: corvinst [arguments]
// The argument text, if any, is passed on unchanged to the mail server as
// part of the service's command line. The dialog asks for the service name
// and the two options; every outcome is shown in a message box. Cancel ends
// the program without a word. The exit status is always 0.
#include <windows.h>

#include <string>

#include "core/command_line.h"
#include "core/installer.h"
#include "core/service_properties.h"
#include "win32/installer_dialog.h"
#include "win32/message_box_notifier.h"
#include "win32/module_path.h"
#include "win32/scm_service_manager.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  corvinst::InstallChoice choice;
  if (!corvinst::ShowInstallerDialog(instance, choice)) return 0;

  const std::string module_path = corvinst::OwnModulePath();
  const std::string arguments(corvinst::ArgumentText(GetCommandLineA()));
  corvinst::ScmServiceManager manager;
  corvinst::MessageBoxNotifier notifier;
  corvinst::Install(choice, module_path, arguments, manager, notifier);
  return 0;
}
