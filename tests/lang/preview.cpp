// preview.cpp: lang_preview, shows one dialog template of the resource module
// the way users see it, for looking at layouts (not a test).
//
//   lang_preview <dialog id> [path of ServiceRes.dll]
//
// A page id (6401, 6403, 6404, 6405, 6412, 6413, 6414) opens a property sheet
// with all seven pages in the application's tab order, on that page, with the
// application's sheet dressing: OK hidden, Cancel relabelled Close, 10 pixels
// taller, the logo beside the Close button. The pages get what their classes
// do at start (hidden controls, list columns with sample rows, the up-down's
// buddy). 6402 opens the start-up dialog. The window stays until closed.

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lang/ServiceRes.h"

namespace {

HINSTANCE g_hRes = NULL;

// Returns string id from the resource module, or "" when it is missing.
const char* Str(UINT id)
{
    static char buffers[8][512];
    static int next = 0;
    char* buf = buffers[next++ % 8];
    if (LoadStringA(g_hRes, id, buf, 512) <= 0)
        buf[0] = '\0';
    return buf;
}

// Fills the device list as the Devices page does, with sample rows.
void FillDeviceList(HWND hPage)
{
    HWND hList = GetDlgItem(hPage, IDC_DEVICE_LIST);
    if (!hList)
        return;
    SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    HIMAGELIST hImages = ImageList_Create(16, 16, ILC_MASK, 4, 4);
    const UINT icons[4] = { IDI_DEVICE_TYPE1, IDI_DEVICE_TYPE2, IDI_DEVICE_TYPE3, IDI_DEVICE_TYPE0 };
    for (int i = 0; i < 4; ++i)
        ImageList_AddIcon(hImages, LoadIconA(g_hRes, MAKEINTRESOURCEA(icons[i])));
    SendMessageA(hList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)hImages);

    const UINT headers[3] = { IDS_COLUMN_NAME, IDS_COLUMN_TEXT1, IDS_COLUMN_TEXT2 };
    const int widths[3] = { 200, 110, 200 };
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA col = {};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | (c ? LVCF_SUBITEM : 0);
        col.fmt = LVCFMT_LEFT;
        col.cx = widths[c];
        col.pszText = const_cast<char*>(Str(headers[c]));
        col.iSubItem = c;
        SendMessageA(hList, LVM_INSERTCOLUMNA, c, (LPARAM)&col);
    }
    struct Row { const char* name; const char* text1; const char* text2; int image; };
    const Row rows[] = {
        { "Office printer, floor 2", "Printer", "Network 10.0.2.15", 0 },
        { "Reception copier", "Copier", "USB port 1", 1 },
        { "Accounts fax", "Fax", "Network 10.0.4.7", 2 },
        { "Archive scanner", "Scanner", "USB port 2", 3 },
        { "Workshop printer", "Printer", "LPT1", 0 },
    };
    for (int i = 0; i < (int)(sizeof(rows) / sizeof(rows[0])); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = const_cast<char*>(rows[i].name);
        item.iImage = rows[i].image;
        SendMessageA(hList, LVM_INSERTITEMA, 0, (LPARAM)&item);
        item.mask = LVIF_TEXT;
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(rows[i].text1);
        SendMessageA(hList, LVM_SETITEMTEXTA, i, (LPARAM)&item);
        item.iSubItem = 2;
        item.pszText = const_cast<char*>(rows[i].text2);
        SendMessageA(hList, LVM_SETITEMTEXTA, i, (LPARAM)&item);
    }
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(hList, LVM_SETITEMSTATE, 0, (LPARAM)&state);
    SetDlgItemTextA(hPage, IDC_DETAIL_TEXT1, "Office printer, model 3");
    SetDlgItemTextA(hPage, IDC_DETAIL_TEXT2, "SN 4471-2209-18");
    SetDlgItemTextA(hPage, IDC_DETAIL_NUMBER, "128774");
    SetDlgItemTextA(hPage, IDC_DETAIL_TEXT3, "2.14 (build 310)");
}

// Called for every page's messages; does at WM_INITDIALOG what the page classes do.
INT_PTR CALLBACK PageProc(HWND hPage, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    const PROPSHEETPAGEA* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    switch ((UINT)(UINT_PTR)psp->pszTemplate) {
    case IDD_DEVICES_PAGE:
        FillDeviceList(hPage);
        break;
    case IDD_MEMORY_PAGE:
        SetDlgItemTextA(hPage, IDC_MEM_LOCATION, "17");
        SetDlgItemTextA(hPage, IDC_MEM_CURRENT_VALUE, "200");
        SetDlgItemTextA(hPage, IDC_MEM_DEFAULT_VALUE, "255");
        SetDlgItemTextA(hPage, IDC_MEM_NEW_VALUE, "0");
        {
            char status[256];
            _snprintf(status, sizeof(status) - 1, Str(IDS_MEM_WRITTEN), 320L, 65535L);
            status[sizeof(status) - 1] = '\0';
            SetDlgItemTextA(hPage, IDC_MEM_STATUS, status);
        }
        break;
    case IDD_TASKS_PAGE:
        ShowWindow(GetDlgItem(hPage, IDC_TASKS_SPARE_NOTE), SW_HIDE);
        ShowWindow(GetDlgItem(hPage, IDC_TASK_FIRST_SPARE), SW_HIDE);
        break;
    case IDD_PROCEDURES_PAGE:
        CheckDlgButton(hPage, IDC_PROC_OPTION_FIRST, BST_CHECKED);
        CheckDlgButton(hPage, IDC_PROC_OPTION_SECOND, BST_CHECKED);
        SetDlgItemTextA(hPage, IDC_PROC_DEVICE_TEXT, "Ready. Black ink 80 %, colour ink 45 %.");
        break;
    case IDD_REPORTS_PAGE:
        ShowWindow(GetDlgItem(hPage, IDC_REPORT8_VARIANT), SW_HIDE);
        CheckDlgButton(hPage, IDC_REPORT_1, BST_CHECKED);
        EnableWindow(GetDlgItem(hPage, IDC_REPORT11_OPTION), FALSE);
        EnableWindow(GetDlgItem(hPage, IDC_REPORT8_VARIANT), FALSE);
        break;
    case IDD_DRIVER_PAGE: {
        HWND hSpin = GetDlgItem(hPage, IDC_DRV_NUMBER_SPIN);
        SendMessageA(hSpin, UDM_SETBUDDY, (WPARAM)GetDlgItem(hPage, IDC_DRV_NUMBER), 0);
        SendMessageA(hSpin, UDM_SETRANGE, 0, MAKELPARAM(999, 1));
        SetDlgItemTextA(hPage, IDC_DRV_NUMBER, "1");
        CheckDlgButton(hPage, IDC_DRV_CHOICE2, BST_CHECKED);
        CheckDlgButton(hPage, IDC_DRV_SWITCH1, BST_CHECKED);
        CheckDlgButton(hPage, IDC_DRV_OPTION10, BST_CHECKED);
        EnableWindow(GetDlgItem(hPage, IDC_DRV_APPLY), FALSE);
        EnableWindow(GetDlgItem(hPage, IDC_DRV_REVERT), FALSE);
        break;
    }
    default:
        break;
    }
    return TRUE;
}

// Dresses the sheet as the application's sheet does once it exists.
void DressSheet(HWND hSheet)
{
    SendMessageA(hSheet, WM_SETICON, ICON_BIG, (LPARAM)LoadIconA(g_hRes, MAKEINTRESOURCEA(IDI_APP)));
    HWND hOk = GetDlgItem(hSheet, IDOK);
    if (hOk) {
        ShowWindow(hOk, SW_HIDE);
        EnableWindow(hOk, FALSE);
    }
    HWND hCancel = GetDlgItem(hSheet, IDCANCEL);
    if (!hCancel)
        return;
    RECT rcButton, rcWindow;
    GetWindowRect(hCancel, &rcButton);
    SetWindowTextA(hCancel, Str(IDS_CLOSE));
    GetWindowRect(hSheet, &rcWindow);
    LONG bottom = (rcWindow.bottom > rcButton.bottom ? rcWindow.bottom : rcButton.bottom) + 10;
    MoveWindow(hSheet, rcWindow.left, rcWindow.top, rcWindow.right - rcWindow.left, bottom - rcWindow.top, TRUE);
    rcWindow.bottom = bottom;
    MapWindowPoints(NULL, hSheet, (POINT*)&rcWindow, 2);
    MapWindowPoints(NULL, hSheet, (POINT*)&rcButton, 2);
    HWND hLogo = CreateWindowExA(0, "STATIC", "Logo", WS_CHILD | WS_VISIBLE | SS_BITMAP,
                                 rcWindow.left + 10, rcButton.top, 10, 10, hSheet, (HMENU)0xFFFF, NULL, NULL);
    SendMessageA(hLogo, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)LoadBitmapA(g_hRes, MAKEINTRESOURCEA(IDB_LOGO)));
}

int CALLBACK SheetCallback(HWND hSheet, UINT msg, LPARAM)
{
    if (msg == PSCB_INITIALIZED)
        PostMessageA(hSheet, WM_APP, 0, 0);
    return 0;
}

// Called for the start-up dialog's messages: shows the stop icon; Cancel closes.
INT_PTR CALLBACK StartupProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        SendMessageA(hDlg, WM_SETICON, ICON_BIG, (LPARAM)LoadIconA(g_hRes, MAKEINTRESOURCEA(IDI_APP)));
        SendDlgItemMessageA(hDlg, IDC_STOP_ICON, STM_SETICON, (WPARAM)LoadIconA(NULL, IDI_HAND), 0);
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_ACCEPT)) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

int ShowSheet(UINT startId)
{
    const UINT order[7] = { IDD_DEVICES_PAGE, IDD_MAINTENANCE_PAGE, IDD_MEMORY_PAGE, IDD_TASKS_PAGE,
                            IDD_PROCEDURES_PAGE, IDD_REPORTS_PAGE, IDD_DRIVER_PAGE };
    HPROPSHEETPAGE pages[7];
    UINT start = 0;
    for (UINT i = 0; i < 7; ++i) {
        PROPSHEETPAGEA psp = {};
        psp.dwSize = sizeof(psp);
        psp.hInstance = g_hRes;
        psp.pszTemplate = MAKEINTRESOURCEA(order[i]);
        psp.pfnDlgProc = PageProc;
        pages[i] = CreatePropertySheetPageA(&psp);
        if (order[i] == startId)
            start = i;
    }
    char title[256];
    _snprintf(title, sizeof(title) - 1, "%s - %s", Str(IDS_SHEET_TITLE), Str(IDS_APP_TITLE));
    title[sizeof(title) - 1] = '\0';

    PROPSHEETHEADERA psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    psh.hInstance = g_hRes;
    psh.pszCaption = title;
    psh.nPages = 7;
    psh.nStartPage = start;
    psh.phpage = pages;
    psh.pfnCallback = SheetCallback;
    HWND hSheet = (HWND)PropertySheetA(&psh);
    if (!hSheet) {
        fprintf(stderr, "the property sheet was not created\n");
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.hwnd == hSheet && msg.message == WM_APP) {
            DressSheet(hSheet);
            continue;
        }
        if (!PropSheet_IsDialogMessage(hSheet, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!PropSheet_GetCurrentPageHwnd(hSheet)) {
            DestroyWindow(hSheet);
            break;
        }
    }
    return 0;
}

// Returns the default place of the resource module: ..\bin\lang beside the tests folder.
void DefaultModulePath(char* path, DWORD size)
{
    DWORD n = GetModuleFileNameA(NULL, path, size);
    if (n == 0 || n >= size) {
        path[0] = '\0';
        return;
    }
    char* slash = strrchr(path, '\\');
    if (slash)
        *slash = '\0';
    strncat(path, "\\..\\bin\\lang\\ServiceRes.dll", size - strlen(path) - 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: lang_preview <dialog id> [ServiceRes.dll]\n");
        return 2;
    }
    UINT id = (UINT)strtoul(argv[1], NULL, 0);
    char path[MAX_PATH];
    if (argc > 2) {
        strncpy(path, argv[2], sizeof(path) - 1);
        path[sizeof(path) - 1] = '\0';
    } else {
        DefaultModulePath(path, sizeof(path));
    }
    g_hRes = LoadLibraryA(path);
    if (!g_hRes) {
        fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&icc);

    if (id == IDD_STARTUP)
        return DialogBoxParamA(g_hRes, MAKEINTRESOURCEA(IDD_STARTUP), NULL, StartupProc, 0) == -1 ? 1 : 0;
    return ShowSheet(id);
}
