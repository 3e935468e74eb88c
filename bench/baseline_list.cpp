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
//
//   baseline_list --write-rows <rows file>
//   baseline_list --shown <count> <rows file>
//
// The bare list program, timed by the driver from outside. --write-rows
// reads the simulator's fleet (the driver's) and writes the rows the page
// shows, one line each (type, name and the two column texts, tab-separated).
// --shown reads such a file into one buffer before anything is timed, shows
// a window with an accept button (IDC_ACCEPT) and waits; the driver's click
// makes it close that window, create a list-view of the page's style in a
// plain window, fill it as fast as Wine fills one (the page's extended style,
// its 32-bit image list at the small icon size and its three columns, redraw
// suspended, the item count, one insert per row, the two column texts of
// every row, redraw back on) and show it. The driver times the click to the
// shown list answering with <count> rows. The program holds no device
// service: what it holds is the rows and the list. It ends when its window is
// closed.
//
//   baseline_list --service <result file> <count>
//
// The device service's share of a process's memory: the simulator with the
// driver's fleet, loaded and asked everything the page asks of every device,
// nothing kept; records service.peakws.<count> (its peak working set). (Its
// resident private memory is not read from inside: under Wine, reading
// Z:\proc\self\status from a program gives the Wine server's status.)

#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "pages/IconImages.h"
#include "service/BstrText.h"
#include "service/ComRef.h"
#include "service/ServiceIds.h"
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

void SetText(HWND hList, int row, int column, const char* text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = column;
    item.pszText = const_cast<LPSTR>(text);
    ::SendMessageA(hList, LVM_SETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
}

void SetText(HWND hList, int row, int column, const std::string& text)
{
    SetText(hList, row, column, text.c_str());
}

const char* CStr(const char* text) { return text; }
const char* CStr(const std::string& text) { return text.c_str(); }

// The rows as the page puts them in, redraw suspended: every row with its
// name and image first, then the other columns' texts.
template <class Row>
void FillRows(HWND hList, const std::vector<Row>& rows)
{
    ::SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(hList, LVM_SETITEMCOUNT, (WPARAM)rows.size(), 0);
    for (size_t i = 0; i < rows.size(); ++i)
    {
        LVITEMA item;
        ZeroMemory(&item, sizeof(item));
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = (int)i;
        item.pszText = const_cast<LPSTR>(CStr(rows[i].name));
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
}

// The page's image list: 32-bit with a mask at the system's small icon
// size, made as the page makes it (the icons' exact images in one go where
// they have them, else each icon loaded at that size and added).
HIMAGELIST PageImageList(HINSTANCE hRes)
{
    const int cx = ::GetSystemMetrics(SM_CXSMICON);
    const int cy = ::GetSystemMetrics(SM_CYSMICON);
    HIMAGELIST hImages = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 4, 4);
    static const UINT kIcons[] = {IDI_DEVICE_TYPE1, IDI_DEVICE_TYPE2, IDI_DEVICE_TYPE3, IDI_DEVICE_TYPE0};
    if (!AddExactIconImages(hImages, hRes, kIcons, 4, cx, cy))
    {
        for (UINT id : kIcons)
        {
            HICON hIcon = (HICON)::LoadImageA(hRes, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR);
            ImageList_AddIcon(hImages, hIcon);
            if (hIcon)
                ::DestroyIcon(hIcon);
        }
    }
    return hImages;
}

// Fills the list as the page does; returns the rows it holds afterwards.
int Fill(HWND hList, HINSTANCE hRes, const std::vector<DeviceRow>& rows, HIMAGELIST& hImages)
{
    ::SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    hImages = PageImageList(hRes);
    ::SendMessageA(hList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)hImages);
    InsertColumn(hList, 0, "Name", 200);
    InsertColumn(hList, 1, "Address", 110);
    InsertColumn(hList, 2, "Status", 200);

    FillRows(hList, rows);
    return (int)::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0);
}

// --- The list shown on a click, timed from outside ---------------------------

// A row of the rows file: pointers into the file's buffer.
struct ShownRow
{
    long type;
    const char* name;
    const char* text1;
    const char* text2;
};

struct ShownState
{
    const std::vector<ShownRow>* rows;
    HINSTANCE hRes;
    HWND hGate;
    HWND hHost;
    HIMAGELIST hImages;
};

ShownState g_shown = {};

// What the page does to its list, with the page's image list.
void FillAsPage(HWND hList)
{
    ::SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    g_shown.hImages = PageImageList(g_shown.hRes);
    ::SendMessageA(hList, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)g_shown.hImages);
    InsertColumn(hList, 0, "Name", 180);
    InsertColumn(hList, 1, "Address", 150);
    InsertColumn(hList, 2, "Status", 170);

    const std::vector<ShownRow>& rows = *g_shown.rows;
    FillRows(hList, rows);
}

LRESULT CALLBACK ShownProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_ACCEPT && hWnd == g_shown.hGate)
    {
        // The gate goes, the list comes.
        g_shown.hGate = NULL;
        ::DestroyWindow(hWnd);
        HINSTANCE hInstance = ::GetModuleHandleA(NULL);
        g_shown.hHost = ::CreateWindowExA(0, "BaselineShown", "Baseline list", WS_OVERLAPPEDWINDOW, 0, 0,
                                          kListWidth + 40, kListHeight + 120, NULL, NULL, hInstance, NULL);
        HWND hList = ::CreateWindowExA(0, WC_LISTVIEWA, "",
                                       WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                           LVS_SHOWSELALWAYS,
                                       10, 10, kListWidth, kListHeight, g_shown.hHost,
                                       (HMENU)(INT_PTR)IDC_DEVICE_LIST, hInstance, NULL);
        if (hList)
            FillAsPage(hList);
        ::ShowWindow(g_shown.hHost, SW_SHOWNORMAL);
        return 0;
    }
    // Closing the list's window, or the gate before its click, ends the program.
    if (message == WM_DESTROY && (hWnd == g_shown.hHost || hWnd == g_shown.hGate))
        ::PostQuitMessage(0);
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

// A text as one field of a rows file line: no tabs, no line ends.
std::string Field(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

int WriteRows(const char* path)
{
    ::CoInitialize(NULL);
    IDeviceService* pService = CreateSimulator();
    std::vector<DeviceRow> rows;
    if (!pService || !ReadRows(pService, rows))
    {
        fprintf(stderr, "baseline_list: cannot read the devices from the simulator\n");
        return 1;
    }
    FILE* file = fopen(path, "wb");
    if (!file)
        return 1;
    for (const DeviceRow& row : rows)
        fprintf(file, "%ld\t%s\t%s\t%s\n", row.type, Field(row.name).c_str(), Field(row.text1).c_str(),
                Field(row.text2).c_str());
    fclose(file);
    pService->Release();
    ::CoUninitialize();
    return 0;
}

// Reads a rows file into buffer; the rows point into it.
bool ReadRowsFile(const char* path, std::vector<char>& buffer, std::vector<ShownRow>& rows)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    fseek(file, 0, SEEK_END);
    const long size = ftell(file);
    fseek(file, 0, SEEK_SET);
    buffer.assign((size_t)(size > 0 ? size : 0) + 1, '\0');
    const size_t got = size > 0 ? fread(&buffer[0], 1, (size_t)size, file) : 0;
    fclose(file);
    buffer[got] = '\0';
    char* p = &buffer[0];
    while (*p)
    {
        char* fields[4] = {p, NULL, NULL, NULL};
        for (int f = 1; f < 4; ++f)
        {
            char* tab = strchr(fields[f - 1], '\t');
            if (!tab)
                return false;
            *tab = '\0';
            fields[f] = tab + 1;
        }
        char* end = strchr(fields[3], '\n');
        if (end)
            *end = '\0';
        ShownRow row = {atol(fields[0]), fields[1], fields[2], fields[3]};
        rows.push_back(row);
        p = end ? end + 1 : fields[3] + strlen(fields[3]);
    }
    return true;
}

int MeasureService(const char* resultFile, long count)
{
    ::CoInitialize(NULL);
    IDeviceService* pService = CreateSimulator();
    if (!pService)
        return 1;
    // Everything the page asks of every device, as it asks it; nothing kept.
    {
        ComRef<IServiceDevices> devices;
        long n = 0;
        if (OpenDeviceList(pService, devices, n))
        {
            for (long i = 1; i <= n; ++i)
                WithDevice(devices.Get(), i, [](IServiceDevice* device) {
                    BstrHolder text;
                    long number = 0;
                    device->Name(text.Out());
                    device->Id(&number);
                    device->Type(&number);
                });
            for (long i = 1; i <= n; ++i)
                WithDevice(devices.Get(), i, [](IServiceDevice* device) {
                    BstrHolder text;
                    device->ColumnText1(text.Out());
                    device->ColumnText2(text.Out());
                });
        }
    }
    char key[64];
    sprintf(key, "service.peakws.%ld", count);
    AppendResult(resultFile, key, (double)PeakWorkingSet(::GetCurrentProcess()));
    pService->Release();
    ::CoUninitialize();
    return 0;
}

int RunShown(long count, const char* rowsFile)
{
    // The rows are read before anything is timed.
    std::vector<char> buffer;
    std::vector<ShownRow> rows;
    if (!ReadRowsFile(rowsFile, buffer, rows) || (long)rows.size() != count)
    {
        fprintf(stderr, "baseline_list: %s does not hold %ld rows\n", rowsFile, count);
        return 1;
    }
    g_shown.rows = &rows;
    g_shown.hRes = ::LoadLibraryExA((BinDir() + "lang\\ServiceRes.dll").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = ShownProc;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.lpszClassName = "BaselineShown";
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    ::RegisterClassA(&wc);
    g_shown.hGate = ::CreateWindowExA(0, wc.lpszClassName, "Baseline gate", WS_OVERLAPPEDWINDOW, 0, 0, 300, 120, NULL,
                                      NULL, wc.hInstance, NULL);
    ::CreateWindowExA(0, "BUTTON", "Accept", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 10, 10, 100, 30, g_shown.hGate,
                      (HMENU)(INT_PTR)IDC_ACCEPT, wc.hInstance, NULL);
    ::ShowWindow(g_shown.hGate, SW_SHOWNORMAL);

    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (g_shown.hImages)
        ImageList_Destroy(g_shown.hImages);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "--write-rows") == 0)
        return WriteRows(argv[2]);
    if (argc == 4 && strcmp(argv[1], "--shown") == 0)
        return RunShown(atol(argv[2]), argv[3]);
    if (argc == 4 && strcmp(argv[1], "--service") == 0)
        return MeasureService(argv[2], atol(argv[3]));
    if (argc < 4)
    {
        fprintf(stderr, "usage: baseline_list <count> <repetitions> <result file>\n"
                        "       baseline_list --write-rows <rows file>\n"
                        "       baseline_list --shown <count> <rows file>\n"
                        "       baseline_list --service <result file> <count>\n");
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
            const double heapBefore = rep == 0 ? HeapBytesInUse() : 0.0;
            const double start = NowMs();
            const int filled = Fill(hList, hRes, rows, hImages);
            const double filledAt = NowMs();
            const double heapAfter = rep == 0 ? HeapBytesInUse() : 0.0;
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
                if (rep == 0)
                {
                    sprintf(key, "%s.heap.%ld", kind, count);
                    AppendResult(resultFile, key, heapAfter - heapBefore);
                }
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
