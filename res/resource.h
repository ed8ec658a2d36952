// Resource ids of Keldarin, shared by the resource script and the code.
#pragma once

#define IDM_ABOUTBOX 0x0010
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128

#define IDC_PATH 1000
#define IDC_INFO 1003
#define IDC_CLONE 1004
#define IDC_BROWSE 1005
#define IDC_PROGRESS_PART 1007
#define IDC_PROGRESS_TOTAL 1009
