#pragma once
// Control ids of the settings window (its template id is in resource.h).

#include "client/res/resource.h"

#define IDC_SETTINGS_CLOSE 1011
#define IDC_SETTINGS_ROUTER 1012
#define IDC_SETTINGS_WIN_CONTROL 1013
#define IDC_SETTINGS_OK 1014
#define IDC_SETTINGS_CANCEL 1015
#define IDC_SETTINGS_SAVE_ID 1018
#define IDC_SETTINGS_AUTO_LOGIN 1019
#define IDC_SETTINGS_RUN_AT_STARTUP 1020
