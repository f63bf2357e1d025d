#pragma once
// Numbers of the program's dialogs, pictures, strings, controls and commands.

namespace app {

// Dialogs.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_MAIN = 102;
constexpr int IDD_PRODUCTINFO = 133;
constexpr int IDD_PICTURE = 138;
constexpr int IDD_MELODY = 139;
constexpr int IDD_REPLACE = 140;

// Pictures.
constexpr int IDI_ABOUT = 128;   // the About box's picture
constexpr int IDI_APP = 129;     // the application icon
constexpr int IDB_BANNER = 132;  // the main dialog's 400 x 80 banner
constexpr int IDI_MELODY = 136;  // the melody dialog's icon
constexpr int IDI_PICTURE = 137; // the picture dialog's icon

// Strings.
constexpr int IDS_ABOUTBOX = 101;

// Standard commands.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDC_ABOUT = 3;

// Main dialog.
constexpr int IDC_MELODIES = 1001;
constexpr int IDC_PICTURES = 1002;
constexpr int IDC_CLOSE = 1003;

// Melody dialog.
constexpr int IDC_MELODY_CHECK_HEADER = 1007;
constexpr int IDC_MELODY_BROWSE_OUTPUT = 1008;
constexpr int IDC_MELODY_BROWSE_INPUT = 1009;
constexpr int IDC_MELODY_OUTPUT_DIR = 1010;
constexpr int IDC_MELODY_RTX_FILES = 1011;
constexpr int IDC_MELODY_CONVERT = 1014;
constexpr int IDC_MELODY_HELP = 1015;
constexpr int IDC_MELODY_INTRO = 1016;
constexpr int IDC_MELODY_TARGET1 = 1025;
constexpr int IDC_MELODY_TARGET2 = 1026;
constexpr int IDC_MELODY_PLAY = 1027;

// Picture dialog.
constexpr int IDC_PICTURE_BROWSE_OUTPUT = 1010;
constexpr int IDC_PICTURE_BROWSE_INPUT = 1011;
constexpr int IDC_PICTURE_CONVERT = 1014;
constexpr int IDC_PICTURE_CANCEL = 1017;
constexpr int IDC_PICTURE_LOGO_FILES = 1018;
constexpr int IDC_PICTURE_OUTPUT_DIR = 1019;
constexpr int IDC_PICTURE_HELP = 1020;
constexpr int IDC_PICTURE_PREVIEW = 1028;
constexpr int IDC_PICTURE_PREVIEW_TEXT = 1029;

// Replace dialog.
constexpr int IDC_REPLACE_ALL = 1012;
constexpr int IDC_REPLACE = 1013;
constexpr int IDC_REPLACE_TEXT = 1022;

// Progress window of a melody batch.
constexpr int IDC_PROGRESS_COUNT = 1040;
constexpr int IDC_PROGRESS_FILE = 1041;
constexpr int IDC_PROGRESS_STOP = 1042;

// Help contexts.
constexpr int HELP_CONTEXT_PICTURES = 21;
constexpr int HELP_CONTEXT_MELODIES = 22;

} // namespace app
