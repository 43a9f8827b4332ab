#pragma once

// Resource ids of the window tests (gui_tests.rc).
#define IDD_TEST_DIALOG 1001
#define IDD_KEYBOARD_DIALOG 1002
#define IDC_FIRST_BUTTON 1101
#define IDC_SECOND_BUTTON 1102
#define IDA_TEST_ACCELERATORS 200
#define IDM_ACCELERATED 40005
#define IDD_MISSING 4242
