// baseline_list.cpp - the baseline of the device list: the same rows as the
// Devices page shows, inserted into a bare list-view control.
//
//   baseline_list <count> <repetitions> <result file>
//
// The rows are read from the simulator before any timing (same fleet, same
// texts, same icons). Each repetition fills two new list-views, in turn:
//   list     the list-view of the Devices page's own dialog template, in a
//            dialog whose procedure does nothing: the page's control and the
//            page's kind of parent (a dialog, which takes the list's
//            notifications), without the page's code;
//   listwin  a list-view of the same style and size in a plain window, whose
//            notifications go straight to DefWindowProc.
// The windows are made untimed (the page's window creation is no part of its
// OnInitDialog either); timed is what the page does to its list: the
// extended style, a four-icon image list, three columns, redraw suspended,
// the item count, one insert per row (name and icon), the two column texts
// of every row, redraw back on and one invalidate. Recorded, in milliseconds:
// <kind>.fill (that work) and <kind>.pump (until the message queue is empty,
// the first paint included); once, the process's peak working set.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "lang/ServiceRes.h"

using namespace bench;

namespace
{

// The page's list: 347 x 100 dialog units of an 8-point Tahoma dialog.
const int kListWidth = 520;
const int kListHeight = 163;

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

INT_PTR CALLBACK BareDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

int TypeImage(long type)
{
    switch (type)
    {
    case 0:
        return 3;
    case 2:
        return 1;
    case 3:
    case 4:
        return 2;
    default:
        return 0;
    }
}

void InsertColumn(HWND hList, int index, const char* text, int width)
{
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.pszText = const_cast<LPSTR>(text);
    column.cx = width;
    column.iSubItem = index;
    ::SendMessageA(hList, LVM_INSERTCOLUMNA, (WPARAM)index, (LPARAM)&column);
}

void SetText(HWND hList, int row, int column, const std::string& text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = column;
    item.pszText = const_cast<LPSTR>(text.c_str());
    ::SendMessageA(hList, LVM_SETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
}

// Fills the list as the page does; returns the rows it holds afterwards.
int Fill(HWND hList, HINSTANCE hRes, const std::vector<DeviceRow>& rows, HIMAGELIST& hImages)
{
    ::SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    hImages = ImageList_Create(16, 16, ILC_MASK, 4, 4);
    static const UINT kIcons[] = {IDI_DEVICE_TYPE1, IDI_DEVICE_TYPE2, IDI_DEVICE_TYPE3, IDI_DEVICE_TYPE0};
    for (UINT id : kIcons)
        ImageList_AddIcon(hImages, ::LoadIconA(hRes, MAKEINTRESOURCEA(id)));
    ::SendMessageA(hList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)hImages);
    InsertColumn(hList, 0, "Name", 200);
    InsertColumn(hList, 1, "Address", 110);
    InsertColumn(hList, 2, "Status", 200);

    ::SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(hList, LVM_SETITEMCOUNT, (WPARAM)rows.size(), 0);
    for (size_t i = 0; i < rows.size(); ++i)
    {
        LVITEMA item;
        ZeroMemory(&item, sizeof(item));
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = (int)i;
        item.pszText = const_cast<LPSTR>(rows[i].name.c_str());
        item.iImage = TypeImage(rows[i].type);
        ::SendMessageA(hList, LVM_INSERTITEMA, 0, (LPARAM)&item);
    }
    for (size_t i = 0; i < rows.size(); ++i)
    {
        SetText(hList, (int)i, 1, rows[i].text1);
        SetText(hList, (int)i, 2, rows[i].text2);
    }
    ::SendMessageA(hList, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hList, NULL, TRUE);
    return (int)::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
    {
        fprintf(stderr, "usage: baseline_list <count> <repetitions> <result file>\n");
        return 2;
    }
    const long count = atol(argv[1]);
    const int repetitions = atoi(argv[2]);
    const char* resultFile = argv[3];

    // The same rows as the page's: read from the simulator, untimed.
    if (!UseFleet(count))
        return 1;
    ::CoInitialize(NULL);
    IDeviceService* pService = CreateSimulator();
    std::vector<DeviceRow> rows;
    if (!pService || !ReadRows(pService, rows) || (long)rows.size() != count)
    {
        fprintf(stderr, "baseline_list: cannot read %ld devices from the simulator\n", count);
        return 1;
    }
    HINSTANCE hRes = ::LoadLibraryExA((BinDir() + "lang\\ServiceRes.dll").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!hRes)
    {
        fprintf(stderr, "baseline_list: no resource module in %s\n", BinDir().c_str());
        return 1;
    }

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.lpszClassName = "BaselineListHost";
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    ::RegisterClassA(&wc);

    char key[64];
    int failures = 0;
    for (int rep = 0; rep < repetitions; ++rep)
    {
        for (int which = 0; which < 2; ++which)
        {
            // Alternate which host goes first.
            const bool inDialog = ((rep + which) % 2) == 0;
            HWND hHost = ::CreateWindowExA(0, wc.lpszClassName, "Baseline list", WS_OVERLAPPEDWINDOW, 0, 0,
                                           kListWidth + 40, kListHeight + 120, NULL, NULL, wc.hInstance, NULL);
            HWND hParent = NULL;
            HWND hList = NULL;
            if (inDialog)
            {
                // The Devices page's own template, with a dialog procedure
                // that does nothing: the same list control, the same parent
                // kind, none of the page's code.
                hParent = ::CreateDialogParamA(hRes, MAKEINTRESOURCEA(IDD_DEVICES_PAGE), hHost, BareDialogProc, 0);
                hList = hParent ? ::GetDlgItem(hParent, IDC_DEVICE_LIST) : NULL;
            }
            else
            {
                hParent = hHost;
                hList = ::CreateWindowExA(0, WC_LISTVIEWA, "",
                                          WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                                              LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                          10, 10, kListWidth, kListHeight, hHost,
                                          (HMENU)(INT_PTR)IDC_DEVICE_LIST, wc.hInstance, NULL);
            }
            if (!hList)
            {
                fprintf(stderr, "baseline_list: no list-view\n");
                ::DestroyWindow(hHost);
                ++failures;
                continue;
            }
            Pump();
            HIMAGELIST hImages = NULL;
            const double start = NowMs();
            const int filled = Fill(hList, hRes, rows, hImages);
            const double filledAt = NowMs();
            // Shown as the sheet shows its page, then painted.
            if (hParent != hHost)
                ::ShowWindow(hParent, SW_SHOWNOACTIVATE);
            ::ShowWindow(hHost, SW_SHOWNOACTIVATE);
            Pump();
            const double pumpedAt = NowMs();
            if (filled != count)
            {
                fprintf(stderr, "baseline_list: %ld devices: %d rows\n", count, filled);
                ++failures;
            }
            else
            {
                const char* kind = inDialog ? "list" : "listwin";
                sprintf(key, "%s.fill.%ld", kind, count);
                AppendResult(resultFile, key, filledAt - start);
                sprintf(key, "%s.pump.%ld", kind, count);
                AppendResult(resultFile, key, pumpedAt - start);
            }
            ::DestroyWindow(hHost);
            ImageList_Destroy(hImages);
            Pump();
        }
    }
    sprintf(key, "list.peakws.%ld", count);
    AppendResult(resultFile, key, (double)PeakWorkingSet(::GetCurrentProcess()));

    pService->Release();
    ::CoUninitialize();
    return failures ? 1 : 0;
}
