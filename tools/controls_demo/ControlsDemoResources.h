#pragma once

// Resource ids of the controls demonstration (controls_demo.rc).
#define IDD_CONTROLS_DEMO 100
#define IDC_DEMO_NAME 1001
#define IDC_DEMO_CHECK 1002
#define IDC_DEMO_FLAT 1003
#define IDC_DEMO_GLOBE 1004
#define IDC_DEMO_COMBO 1005
#define IDC_DEMO_LIST 1006
#define IDC_DEMO_PROGRESS 1007
#define IDC_DEMO_TRACK 1008
#define IDC_DEMO_TAB 1009
#define IDC_DEMO_APPLY 1010
#define IDC_DEMO_SCALE_LABEL 1011
#define IDC_DEMO_NAME_LABEL 1012
