// Resource and control IDs, shared by the templates, the handlers and the Windows resources.
#pragma once

namespace ombrix::resource {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;       // CAboutDlg
inline constexpr int IDD_OMBRIX_DIALOG = 102;  // the main dialog
inline constexpr int IDD_MY_ABOUT_BOX = 129;   // CMyAboutBox

inline constexpr int IDR_MAINFRAME = 128;  // the icon
inline constexpr int IDS_ABOUTBOX = 101;   // the system menu's about item

// Controls of the main dialog. The about button carries command 1, which Enter sends, and the
// exit button command 2, which Escape and the close box send.
inline constexpr int IDC_ABOUT = 1;
inline constexpr int IDC_EXIT = 2;
inline constexpr int IDC_SOURCE_LIST = 1001;
inline constexpr int IDC_TARGET_LIST = 1002;
inline constexpr int IDC_RANGE_OPTION = 1003;
inline constexpr int IDC_START_SECTOR = 1004;
inline constexpr int IDC_SECTOR_COUNT = 1005;
inline constexpr int IDC_PROGRESS = 1006;
inline constexpr int IDC_STOP = 1007;
inline constexpr int IDC_COPY = 1008;
inline constexpr int IDC_ZERO = 1009;
inline constexpr int IDC_SOURCE_IMAGE = 1013;
inline constexpr int IDC_TARGET_IMAGE = 1014;
inline constexpr int IDC_SWAP = 1015;
inline constexpr int IDC_DETAILS = 1016;
inline constexpr int IDC_RESET = 1017;
inline constexpr int IDC_WEB_LINK = 1018;
// Throughput and time left, under the progress bar, where the bar cannot show them itself.
inline constexpr int IDC_PROGRESS_STATUS = 1019;
// Read the target back after a copy or a zero-fill and compare.
inline constexpr int IDC_VERIFY = 1020;

// Controls of the about boxes.
inline constexpr int IDC_ABOUT_OK = 1;
inline constexpr int IDC_ABOUT_CLOSE = 2;
inline constexpr int IDC_ABOUT_WEB_LINK = 1012;  // CMyAboutBox

}  // namespace ombrix::resource
