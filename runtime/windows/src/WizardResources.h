#pragma once

// Dialog and control identifiers of the setup wizard (Setup.rc).

#define IDD_LANGUAGE 100
#define IDD_WELCOME 101
#define IDD_LICENSE 102
#define IDD_README 103
#define IDD_PASSWORD 104
#define IDD_FOLDER 105
#define IDD_PROGRESS 106
#define IDD_FINISH 107

#define IDC_TITLE 1001
#define IDC_TEXT 1002
#define IDC_DOCUMENT 1003
#define IDC_ACCEPT 1004
#define IDC_PASSWORD 1005
#define IDC_LABEL 1006
#define IDC_FOLDER 1007
#define IDC_BROWSE 1008
#define IDC_STATUS 1009
#define IDC_PROGRESS 1010
#define IDC_LANGUAGES 1011
#define IDC_RESTART 1012
#define IDC_LAUNCH 1013
#define IDC_VIEWREADME 1014
#define IDC_VISITSITE 1015
#define IDC_SPACE_REQUIRED 1016
#define IDC_SPACE_AVAILABLE 1017
