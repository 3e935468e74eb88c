// FrameworkTestRes.h - resource ids of the framework tests' own templates.
#define IDD_EXCHANGE      100
#define IDC_INT           1001
#define IDC_LONG          1002
#define IDC_DWORD         1003
#define IDC_TEXT          1004
#define IDC_CHECK         1005
#define IDC_RADIO1        1006
#define IDC_RADIO2        1007
#define IDC_RADIO3        1008
#define IDC_AFTER_GROUP   1009
#define IDC_LIST          1010
#define IDC_BUTTON        1011

#define IDD_PAGE_ONE      200
#define IDD_PAGE_TWO      201
#define IDD_PAGE_THREE    202
#define IDC_PAGE_EDIT     2001

#define IDS_PRINTF        300
#define IDS_INSERTS       301
#define IDS_LONG          302
