#pragma once
// Resource identifiers of CARDOFNC.DLL.
#define IDD_PROGRESS 100
#define IDD_VERSION 101
#define IDC_VERSION_TEXT 202
