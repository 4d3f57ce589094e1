// The installer dialog (template C32DATA): service name and the two options.
//
// ShowInstallerDialog(instance, choice) opens the dialog modally with the
// values of `choice` (name in the edit, boxes ticked as the flags say). OK
// copies the edit text (at most kMaxNameRead characters) and both boxes back
// into `choice` and returns true; Cancel or closing the dialog leaves
// `choice` unchanged and returns false, as does a dialog that cannot be
// created.
#pragma once

#include <windows.h>

#include <cstddef>

#include "core/service_properties.h"

namespace corvinst {

inline constexpr std::size_t kMaxNameRead = 254;

bool ShowInstallerDialog(HINSTANCE instance, InstallChoice& choice);

}  // namespace corvinst
