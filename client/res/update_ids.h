#pragma once
// Controls of the update window (template IDD_UPDATE).

#define IDC_UPDATE_PERCENT 1025
#define IDC_UPDATE_STATUS 1026
#define IDC_UPDATE_PROGRESS 1029
