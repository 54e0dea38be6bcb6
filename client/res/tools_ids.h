#pragma once
// Template and control ids of the tools window.

#define IDD_TOOLS 195

#define IDC_TOOLS_HEADER 1011
#define IDC_TOOLS_CMD 1012
#define IDC_TOOLS_REGEDIT 1013
#define IDC_TOOLS_NETWORK 1014
#define IDC_TOOLS_SECURITY 1015
#define IDC_TOOLS_SERVICES 1016
