// Test helper: checks of the installer dialog as another program shows it.
//
// CheckOpeningState: the name edit, both boxes unticked, and every text of
// the dialog (group box, labels, notes, buttons).
// CheckLayout: each control's pixel rectangle against its place in dialog
// units, scaled by the dialog's client size (within 2 pixels of rounding).
#pragma once

#include <windows.h>

namespace corvinst_test {

void CheckOpeningState(HWND dialog);
void CheckLayout(HWND dialog);

}  // namespace corvinst_test
