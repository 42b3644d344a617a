#pragma once
#define IDD_EXCHANGE 200
#define IDD_PAGE_ONE 201
#define IDD_PAGE_TWO 202
#define IDC_TEXT 1001
#define IDC_RADIO_A 1002
#define IDC_RADIO_B 1003
#define IDC_RADIO_C 1004
#define IDC_CHECK 1005
#define IDC_NUMBER 1006
