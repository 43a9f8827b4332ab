#pragma once

// Resource and command ids of the program's own resources (Program.rc). The
// dialogs' templates and control ids live in DialogIds.h.

// Icon, accelerator table, menu check images and the wait dialog.
#define IDI_PROGRAM 5
#define IDR_ACCELERATORS 103
#define IDB_CHECK_ON 105
#define IDB_CHECK_OFF 106
#define IDD_WAIT 115
#define IDC_WAIT_PROGRESS 1034
#define IDC_WAIT_TEXT 1036

// Commands of the menus and the accelerator table, grouped by menu.
#define CMD_EXIT 10000
#define CMD_NEW_POSITION 11000
#define CMD_LOAD_DATA_SET 11001
#define CMD_EXPORT_SERIES 11003
#define CMD_IMPORT_DATA_SET 11004
#define CMD_UPDATE_DATA 11005
#define CMD_SAVE_GIF 11100
#define CMD_SAVE_JPEG 11101
#define CMD_SAVE_EMF 11102
#define CMD_SAVE_ANIMATION 11103
#define CMD_SCALE_100 12000
#define CMD_SCALE_75 12001
#define CMD_SCALE_50 12002
#define CMD_MAP_OUTLINES 12100
#define CMD_MAP_SATELLITE 12101
#define CMD_MAP_LAND_WATER 12102
#define CMD_MAP_PICTURE_2 12103
#define CMD_ORTHOGRAPHIC 12200
#define CMD_HELP 13000
// Reference period and trend map ("Ansicht"), the map as a table ("Programm").
#define CMD_REFERENCE_PERIOD 12300
#define CMD_TREND_MAP 12301
#define CMD_EXPORT_MAP_TABLE 12302
// The "Zeitreihe" tab: switching tabs, the chart's menu and saving as PNG.
#define CMD_NEXT_TAB 12400
#define CMD_CHART_HEMISPHERES 12401
#define CMD_CHART_POSITIONS 12402
#define CMD_CHART_TREND 12403
#define CMD_CHART_COVERAGE_PANEL 12404
#define CMD_CHART_STRIPES 12405
#define CMD_CHART_STRIPE_LABELS 12406
#define CMD_CHART_RESET_VIEW 12407
// "Gleitendes Mittel": none, then the spans of ChartTab::RUNNING_SPANS.
#define CMD_CHART_RUNNING_NONE 12410
#define CMD_CHART_RUNNING_FIRST 12411
// "Klimastreifen für": the global value, then position i at FIRST + i.
#define CMD_CHART_STRIPES_GLOBAL 12420
#define CMD_CHART_STRIPES_POSITION_FIRST 12421
#define CMD_CHART_STRIPES_POSITION_LAST 12449
#define CMD_SAVE_PNG 12450
// The map onto the clipboard ("Programm", Ctrl+C).
#define CMD_COPY 12500
#define CMD_PREVIOUS_MONTH 40001
#define CMD_NEXT_MONTH 40002
#define CMD_NEXT_YEAR 40003
#define CMD_PREVIOUS_YEAR 40004
#define CMD_KEY_LOAD_DATA_SET 40006
#define CMD_KEY_NEW_POSITION 40007
#define CMD_KEY_SAVE_GIF 40008
