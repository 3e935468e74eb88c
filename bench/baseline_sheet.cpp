// baseline_sheet.cpp - the start-up baseline: a minimal program that shows a
// modeless property sheet of seven empty pages (the service pages' size and
// font, common controls version 6 by the application's manifest) and runs a
// message loop until the sheet is closed.
//
// What the application does on top of this before its sheet is shown: it
// finds and loads its resource module (prodinfo.ini, lang/ServiceRes.dll),
// claims its single-instance slot, initialises COM and creates the device
// service (registry lookup, DeviceSim.dll loaded, its fleet read), runs the
// modal start-up gate (which the driver answers), builds the sheet through
// its class library with the icon, the Close button and the logo, and fills
// the Devices page from the device service.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#define IDD_BASELINE_PAGE 100

namespace
{

INT_PTR CALLBACK EmptyPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    PROPSHEETPAGEA pages[7];
    for (PROPSHEETPAGEA& page : pages)
    {
        ZeroMemory(&page, sizeof(page));
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = hInstance;
        page.pszTemplate = MAKEINTRESOURCEA(IDD_BASELINE_PAGE);
        page.pfnDlgProc = EmptyPageProc;
    }
    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof(header));
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hInstance = hInstance;
    header.pszCaption = "Baseline sheet";
    header.nPages = 7;
    header.ppsp = pages;
    HWND hSheet = (HWND)::PropertySheetA(&header);
    if (!hSheet || hSheet == (HWND)-1)
        return 1;

    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0)
    {
        if (!::SendMessageA(hSheet, PSM_ISDIALOGMESSAGE, 0, (LPARAM)&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        // A modeless sheet has no current page once OK or Cancel ended it.
        if (!::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0))
        {
            ::DestroyWindow(hSheet);
            break;
        }
    }
    return 0;
}
