// Resource ids of the utility. Bitmap file names under res/bitmaps/ are the names below without
// the IDB_ prefix, in lower case (IDB_MENU_BACKGROUND is bitmaps/menu_background.bmp).
#pragma once

// Dialog templates of the screens (sizes in dialog units).
#define IDD_MAIN_MENU 102
#define IDD_BACKLIGHT 129
#define IDD_POWER 130
#define IDD_DATE_TIME 131
#define IDD_CALIBRATION 132
#define IDD_VOLUME 133
#define IDD_MESSAGE 138
#define IDD_LOW_POWER 200
#define IDD_LANGUAGE 1072

// Controls of the screens' templates.
#define IDC_MESSAGE_TEXT 1039
#define IDC_MENU_BACKLIGHT 1040
#define IDC_MENU_POWER 1041
#define IDC_MENU_CALIBRATION 1042
#define IDC_MENU_DATE_TIME 1043
#define IDC_MENU_EXIT 1044
#define IDC_MENU_TITLE 1058
#define IDC_MENU_VOLUME 1063
#define IDC_MENU_LANGUAGE 1064

// The power and battery page: its controls (hidden template controls it never uses have no
// names) and its strings.
#define IDC_POWER_STATUS 1001
#define IDC_POWER_GAUGE 1011
#define IDC_POWER_TIMEOUT_LIST 1014
#define IDC_POWER_TITLE 1037
#define IDC_POWER_TIMEOUT_CAPTION 1062
#define IDC_POWER_SHORTER 1070
#define IDC_POWER_LONGER 1071
#define IDC_POWER_TIMEOUT 1083

// The language page: its controls (the hidden voice controls have no names) and the names of the
// languages it lists.
#define IDC_LANGUAGE_TITLE 1074
#define IDC_LANGUAGE_CAPTION 1075
#define IDC_LANGUAGE_DISPLAY 1083
#define IDC_LANGUAGE_PREVIOUS 1093
#define IDC_LANGUAGE_NEXT 1094
#define IDC_LANGUAGE_LIST 1098
#define IDS_LANGUAGE_CAPTION 129
#define IDS_NAME_ENGLISH_US 137
#define IDS_NAME_ENGLISH_UK 138
#define IDS_NAME_GERMAN 139
#define IDS_NAME_FRENCH 140
#define IDS_NAME_ITALIAN 141
#define IDS_NAME_DUTCH 142
#define IDS_NAME_SPANISH 143
#define IDS_NAME_PORTUGUESE 144
#define IDS_NAME_SWEDISH 145
#define IDS_NAME_DANISH 146
#define IDS_NAME_FLEMISH 147
#define IDS_NAME_CHINESE_TAIWAN 148
#define IDS_NAME_CHINESE_PRC 149
#define IDS_NAME_JAPANESE 150
#define IDS_NAME_KOREAN 151
#define IDS_SUSPEND_10_MINUTES 9
#define IDS_SUSPEND_20_MINUTES 10
#define IDS_SUSPEND_30_MINUTES 11
#define IDS_SUSPEND_NEVER 12
#define IDS_BATTERY_REMAINING 16
#define IDS_BATTERY_CHARGING 17
#define IDS_EXTERNAL_POWER 18
#define IDS_SUSPEND_CAPTION 25

// Controls of the backlight and volume pages (the hidden ones only sit in the templates).
#define IDC_BACKLIGHT_SLIDER 1005
#define IDC_BACKLIGHT_LEFT 1070
#define IDC_BACKLIGHT_RIGHT 1071
#define IDC_BACKLIGHT_HIDDEN_CAPTION 1002
#define IDC_BACKLIGHT_HIDDEN_COMBO 1010
#define IDC_BACKLIGHT_HIDDEN_NOTE 1019
#define IDC_BACKLIGHT_HIDDEN_SLIDER 1046
#define IDC_BACKLIGHT_HIDDEN_LEVEL 1059
#define IDC_BACKLIGHT_HIDDEN_MARK 1060
#define IDC_BACKLIGHT_TITLE 1038
#define IDC_VOLUME_TITLE 1024
#define IDC_VOLUME_HIDDEN_CAPTION 1025
#define IDC_VOLUME_SLIDER 1026
#define IDC_VOLUME_HIDDEN_LOUD 1027
#define IDC_VOLUME_LEFT 1070
#define IDC_VOLUME_RIGHT 1071
#define IDC_CALIBRATION_HIDDEN_ALIGN 1003
#define IDC_CALIBRATION_TITLE 1034
#define IDC_CALIBRATION_HEADING 1035
#define IDC_CALIBRATION_TEXT 1036
#define IDC_CALIBRATION_HIDDEN_SUCCEED 1082

// The date and time page: its controls (1005, a second time picker, is never used; 1032, the
// pop-up calendar, is made at run time) and its captions' strings.
#define IDC_CLOCK_TIME 1004
#define IDC_CLOCK_UNUSED_TIME 1005
#define IDC_CLOCK_TITLE 1028
#define IDC_CLOCK_TIME_CAPTION 1029
#define IDC_CLOCK_DATE_CAPTION 1030
#define IDC_CLOCK_ZONE_CAPTION 1031
#define IDC_CLOCK_CALENDAR 1032
#define IDC_CLOCK_ZONE_LIST 1033
#define IDC_CLOCK_ZONE_TEXT 1083
#define IDC_CLOCK_DATE_BUTTON 1101
#define IDC_CLOCK_UP 1102
#define IDC_CLOCK_DOWN 1103
#define IDC_CLOCK_DATE 1105
#define IDC_CLOCK_LEFT 1107
#define IDC_CLOCK_RIGHT 1108
#define IDS_CLOCK_DATE_CAPTION 125
#define IDS_CLOCK_TIME_CAPTION 126
#define IDS_CLOCK_ZONE_CAPTION 127

// Strings the screens show: the main window's title, the menu's titles of its buttons, the
// messages.
#define IDS_UTILITY 1
#define IDS_MENU_BACKLIGHT 32
#define IDS_MENU_POWER 33
#define IDS_MENU_SCREEN 34
#define IDS_MENU_DATE_TIME 35
#define IDS_MENU_VOLUME 36
#define IDS_ALIGN_SCREEN 40
#define IDS_ALIGN_INSTRUCTIONS 41
#define IDS_FAILED_OPEN_REGISTER 45
#define IDS_FAILED_QUERY_REGISTER 46
#define IDS_CALIBRATION_SUCCEEDED 48
#define IDS_MENU_SWITCH_LANGUAGE 128
#define IDS_MENU_BACK 130
#define IDS_LOW_POWER 132
#define IDS_NO_NAVIGATOR_FILES 136
#define IDS_PLEASE_WAIT 152
#define IDS_SWITCH_FAILED 153

// The version record.
#define VS_VERSION_INFO 1

// Program icon: a group of two images (32 x 32 and 16 x 16).
#define IDI_UTILITY 128

// Custom resources: the volume page's click and the time-zone names, one per line.
#define IDR_CLICK_SOUND 134
#define IDR_ZONE_NAMES 137

// Screen backgrounds, 320 x 240.
#define IDB_MENU_BACKGROUND 161
#define IDB_VOLUME_BACKGROUND 171
#define IDB_PLAIN_BACKGROUND 172
#define IDB_DATE_TIME_BACKGROUND 173
#define IDB_POWER_BACKGROUND 174
#define IDB_CALIBRATION_BACKGROUND 175
#define IDB_BACKLIGHT_BACKGROUND 176
#define IDB_LANGUAGE_BACKGROUND 190

// Round main-menu buttons, 54 x 59: grey normal faces and violet selected faces.
#define IDB_MENU_BACKLIGHT_NORMAL 146
#define IDB_MENU_POWER_NORMAL 147
#define IDB_MENU_CALIBRATION_NORMAL 148
#define IDB_MENU_DATE_TIME_NORMAL 149
#define IDB_MENU_BACK_NORMAL 150
#define IDB_MENU_VOLUME_NORMAL 165
#define IDB_MENU_LANGUAGE_NORMAL 169
#define IDB_MENU_BACKLIGHT_SELECTED 152
#define IDB_MENU_POWER_SELECTED 153
#define IDB_MENU_CALIBRATION_SELECTED 154
#define IDB_MENU_DATE_TIME_SELECTED 155
#define IDB_MENU_BACK_SELECTED 156
#define IDB_MENU_VOLUME_SELECTED 166
#define IDB_MENU_LANGUAGE_SELECTED 168

// Blue buttons, 58 x 28 (24-bit): OK tick, Cancel cross, and the message dialog's OK tick.
#define IDB_BUTTON_OK_NORMAL 181
#define IDB_BUTTON_OK_FOCUS 182
#define IDB_BUTTON_CANCEL_NORMAL 183
#define IDB_BUTTON_CANCEL_FOCUS 184
#define IDB_MESSAGE_OK_PRESSED 207
#define IDB_MESSAGE_OK_NORMAL 208

// Blue arrow buttons, 27 x 27 (24-bit).
#define IDB_ARROW_RIGHT_NORMAL 185
#define IDB_ARROW_LEFT_NORMAL 186
#define IDB_ARROW_RIGHT_FOCUS 187
#define IDB_ARROW_LEFT_FOCUS 188
#define IDB_ARROW_DOWN_NORMAL 210
#define IDB_ARROW_DOWN_FOCUS 211
#define IDB_ARROW_UP_FOCUS 212
#define IDB_ARROW_UP_NORMAL 213

// Blue bars, 185 x 27, and blue pill buttons, 75 x 30.
#define IDB_BLUE_BAR 144
#define IDB_BLUE_BAR_LIGHT 145
#define IDB_PILL_NORMAL 203
#define IDB_PILL_PRESSED 204
#define IDB_PILL_ALT_NORMAL 205
#define IDB_PILL_ALT_PRESSED 206

// Slider: thumb 27 x 31 (24-bit, surround RGB(200, 200, 200)) and groove frame 203 x 34 (24-bit).
#define IDB_SLIDER_THUMB 151
#define IDB_SLIDER_TRACK 158

// Battery gauge: light fill 235 x 6 drawn inside the dark track 237 x 8.
#define IDB_BATTERY_BAR_FILL 160
#define IDB_BATTERY_BAR_TRACK 162

// Cards and panels.
#define IDB_CALIBRATION_CARD 159
#define IDB_MESSAGE_PANEL 199

// Wait animation, 120 x 41: frame N lights dot N of the ring (0 at the top, clockwise).
#define IDB_WAIT_FRAME_0 223
#define IDB_WAIT_FRAME_1 221
#define IDB_WAIT_FRAME_2 222
#define IDB_WAIT_FRAME_3 220
#define IDB_WAIT_FRAME_4 228
#define IDB_WAIT_FRAME_5 229
#define IDB_WAIT_FRAME_6 230
#define IDB_WAIT_FRAME_7 231
#define IDB_WAIT_FRAME_8 232
