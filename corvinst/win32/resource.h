// Control ids of the installer dialog C32DATA (corvinst.rc).
#pragma once

#define IDC_SERVICE_NAME 101
#define IDC_DESKTOP 102
#define IDC_AUTOSTART 103
