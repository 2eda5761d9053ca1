// Identifiers of the dialog templates and their controls, shared by the .rc
// and the dialog code.
#pragma once

#define IDD_REMOTE_DESKTOP 101
#define IDD_CONNECTION_STATUS 102

#define IDC_AUTHORIZATION 1000
#define IDC_CHANNEL_LIST 1001
#define IDC_REPAIR 1002
#define IDC_TEST_CONNECTION 1003
#define IDC_STATUS_LIST 1004
#define IDC_DESCRIPTION 1005
#define IDC_REFRESH 1006

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
