// Resource identifiers of Corvant Ferrolin 2, grouped by what uses them.
#pragma once

// Strings of the program as a whole.
#define IDS_PATH_SEPARATOR 1
#define IDS_NO_DISK_IN_DRIVE 2
#define IDS_TITLE 103
#define IDS_TRAY_TIP 104

// Icons.
#define IDI_APPLICATION_ICON 116
