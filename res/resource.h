// Resource ids: numbers are fixed, kits, tests and translations rely on them.
#pragma once

// Dialog templates
#define IDD_ABOUT                 100
#define IDD_WIZARD                102
#define IDD_LICENCE               135
#define IDD_VERSION               136

// Icon
#define IDI_APP                   128

// Strings
#define IDS_ABOUT_MENU            101
#define IDS_VERSION               102
#define IDS_INTRO                 128
#define IDS_SEARCHING             129
#define IDS_INSTALL_FAILED        130
#define IDS_INSTALL_DONE          132
#define IDS_INTRO_READ_ERROR      136
#define IDS_INSTALL_CANCELLED     142
#define IDS_COPYING               143
#define IDS_VENDOR                146
#define IDS_READY                 148
#define IDS_KIT_ERROR             150
#define IDS_SUMMARY_THEMES        151
#define IDS_SUMMARY_PAGES         152
#define IDS_SUMMARY_WEBS          153
#define IDS_SUMMARY_NONE          154
#define IDS_INSTALLING_FP2000     155
#define IDS_INSTALLING_FP98       156
#define IDS_SUMMARY_FRAMES        157
#define IDS_INSTALLING_FP2002     158
#define IDS_NO_PRIVILEGE          160
#define IDS_INSTALLING_FP2003     250
// The copy stage's questions: cancel, FrontPage running, a file in use (by a
// program the system names, or by another program)
#define IDS_CONFIRM_CANCEL        170
#define IDS_FRONTPAGE_RUNNING     171
#define IDS_FILE_IN_USE           172
#define IDS_FILE_IN_USE_BY        173
// Removing a kit: the question, the window's text, the outcome with the
// changed files kept (%d: their number), a failure (%s: the kit, the log),
// a start from anywhere but a kit's data folder; registering it: a
// failure, and its name in Programs and Features (%s: the kit's name)
#define IDS_REMOVAL_CONFIRM       180
#define IDS_REMOVED               181
#define IDS_REMOVAL_KEPT          182
#define IDS_REMOVAL_KEPT_COUNT    183
#define IDS_REMOVAL_FAILED        184
#define IDS_REMOVING              185
#define IDS_REMOVAL_REFUSED       186
#define IDS_REGISTER_FAILED       187
#define IDS_DISPLAY_NAME          188
// Files a removal or an undo left as they are: where the originals of the
// changed ones went (%s: the folder), and the files whose originals could
// not be put back (%d: their number)
#define IDS_KEPT_ORIGINALS        210
#define IDS_REMOVAL_UNRESTORED    211
#define IDS_REMOVAL_UNRESTORED_COUNT 212
// A packed setup whose file was cut or changed
#define IDS_SETUP_DAMAGED         200
// Packing a kit (%s: the setup's path; then its size in bytes), a packing
// that failed and a packed setup that could not unpack its kit (%s: the reason)
#define IDS_PACKING               201
#define IDS_PACKED                202
#define IDS_PACK_FAILED           203
#define IDS_SETUP_FAILED          204
// The command line: its usage when it is at fault (%s: the word at fault),
// the help of /?, and the second wizard's notice
#define IDS_USAGE                 190
#define IDS_HELP                  191
#define IDS_ALREADY_RUNNING       192
// A /KIT folder that holds no kit (%s: the folder), before the usage; a /LOG
// file that cannot be written (%s: the file, then the system's reason)
#define IDS_NOT_A_KIT             230
#define IDS_LOG_FILE_FAILED       231
// A failed system call in the wizard's words, in its log and its box: the
// format (the failure, its subject, the system's reason) and the failures
#define IDS_SYSTEM_ERROR          270
#define IDS_CREATE_FOLDER_FAILED  271
#define IDS_JOURNAL_FAILED        272
#define IDS_FOLDER_LOOP           273
#define IDS_FOLDER_READ_FAILED    274
#define IDS_COPY_FAILED           275
#define IDS_SYSTEM_INFO_FAILED    276
// The final page's note of the log (%s: its path), and a theme of the kit
// summary (%s: its title, %g: its version)
#define IDS_LOG_WRITTEN           277
#define IDS_SUMMARY_THEME         278
#define IDS_APP_TITLE             57344

// Controls of the wizard (IDD_WIZARD); Finish is IDOK (1), Cancel is IDCANCEL (2)
#define IDC_STATUS_TEXT           1000
#define IDC_NEXT                  1001
#define IDC_VIEW_README           1013
#define IDC_CREATE_LOG            1014
#define IDC_PROGRESS              1015
#define IDC_ABOUT                 1016

// Controls of the About box (IDD_ABOUT)
#define IDC_VERSION_TEXT          1005

// Controls of the version choice (IDD_VERSION)
#define IDC_RADIO_FP98            1008
#define IDC_RADIO_FP2000          1009
#define IDC_RADIO_FP2002          1016
#define IDC_RADIO_FP2003          1018

// Controls of the licence agreement (IDD_LICENCE); Accept is IDOK, Don't Accept is IDCANCEL
#define IDC_LICENCE_TEXT          1017

// System menu entry of the About box
#define IDM_ABOUTBOX              0x0010
