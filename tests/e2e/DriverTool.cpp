// DriverTool.cpp - ServiceDriver.exe: drives a running ServiceApp.exe from the
// command line, for scripts that take screenshots.
//
//   ServiceDriver dialog             wait for the start-up dialog; print its rectangle
//   ServiceDriver type <text>        type into the dialog's model name field
//   ServiceDriver accept             press the dialog's accept button
//   ServiceDriver page <index>       wait for the sheet, show page <index>; print its rectangle
//   ServiceDriver click <id>         click control <id> on the sheet's current page
//   ServiceDriver select <name>      on the Devices page, select the row <name> with
//                                    the keys a user presses (Home, then Down)
//   ServiceDriver close              press the sheet's Close button
//   ServiceDriver cancel             cancel the start-up dialog (the program ends)
//
// Every command but "cancel" and "close" returns once the program's window
// thread has handled what the command sent and repainted the window.
// A rectangle is printed as "WxH+X+Y" (ImageMagick's crop geometry).
// Exit code 0 on success, 1 when the window did not appear in time.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "AppDriver.h"
#include "lang/ServiceRes.h"

using namespace e2e;

namespace
{

struct FindData
{
    bool sheet;
    HWND found;
};

// The windows are told apart by their controls, not by their captions, so
// the tool works whatever language the resource module speaks: the start-up
// dialog has the model name field and the accept button, the sheet a tab
// control.
BOOL CALLBACK FindTarget(HWND h, LPARAM lParam)
{
    FindData* data = (FindData*)lParam;
    if (ClassName(h) != "#32770" || !::IsWindowVisible(h))
        return TRUE;
    if (data->sheet)
    {
        HWND hTab = ::FindWindowExA(h, NULL, "SysTabControl32", NULL);
        if (hTab && ::GetDlgItem(h, IDCANCEL))
            data->found = h;
    }
    else if (::GetDlgItem(h, IDC_MODEL_NAME) && ::GetDlgItem(h, IDC_ACCEPT))
    {
        data->found = h;
    }
    return data->found ? FALSE : TRUE;
}

HWND WaitFor(bool sheet)
{
    for (int i = 0; i < 1200; ++i) // up to a minute: a first start in a new prefix is slow
    {
        FindData data = {sheet, NULL};
        ::EnumWindows(FindTarget, (LPARAM)&data);
        if (data.found)
            return data.found;
        ::Sleep(50);
    }
    return NULL;
}

// Returns once the window's thread has handled everything sent so far and
// the window and its children have painted what is pending.
void Settle(HWND h)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    ::RedrawWindow(h, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

void PrintRect(HWND h)
{
    RECT rc;
    ::GetWindowRect(h, &rc);
    printf("%ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        fprintf(stderr, "usage: ServiceDriver dialog|type TEXT|accept|page N|click ID|select NAME|close|cancel\n");
        return 2;
    }
    const char* cmd = argv[1];
    bool wantsSheet = strcmp(cmd, "page") == 0 || strcmp(cmd, "click") == 0 || strcmp(cmd, "close") == 0
                      || strcmp(cmd, "select") == 0;
    HWND h = WaitFor(wantsSheet);
    if (!h)
    {
        fprintf(stderr, "ServiceDriver: no %s window\n", wantsSheet ? "sheet" : "start-up dialog");
        return 1;
    }
    if (strcmp(cmd, "dialog") == 0)
    {
        PrintRect(h);
    }
    else if (strcmp(cmd, "type") == 0 && argc > 2)
    {
        HWND hEdit = ::GetDlgItem(h, IDC_MODEL_NAME);
        for (const char* p = argv[2]; *p; ++p)
            ::SendMessageA(hEdit, WM_CHAR, (WPARAM)(BYTE)*p, 1);
    }
    else if (strcmp(cmd, "accept") == 0)
    {
        ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_ACCEPT, BN_CLICKED), (LPARAM)::GetDlgItem(h, IDC_ACCEPT));
    }
    else if (strcmp(cmd, "page") == 0 && argc > 2)
    {
        ::SendMessageA(h, PSM_SETCURSEL, (WPARAM)atoi(argv[2]), 0);
        PrintRect(h);
    }
    else if (strcmp(cmd, "click") == 0 && argc > 2)
    {
        HWND hPage = (HWND)::SendMessageA(h, PSM_GETCURRENTPAGEHWND, 0, 0);
        int id = atoi(argv[2]);
        HWND hCtrl = ::GetDlgItem(hPage, id);
        ::SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)hCtrl);
    }
    else if (strcmp(cmd, "select") == 0 && argc > 2)
    {
        ::SendMessageA(h, PSM_SETCURSEL, 0, 0);
        HWND hPage = (HWND)::SendMessageA(h, PSM_GETCURRENTPAGEHWND, 0, 0);
        HWND hList = ::GetDlgItem(hPage, IDC_DEVICE_LIST);
        const int rows = (int)::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0);
        int row = 0;
        while (row < rows && ListItemText(hList, row, 0) != argv[2])
            ++row;
        if (row == rows)
        {
            fprintf(stderr, "ServiceDriver: no device %s\n", argv[2]);
            return 1;
        }
        ::SendMessageA(hList, WM_KEYDOWN, VK_HOME, 0);
        for (int i = 0; i < row; ++i)
            ::SendMessageA(hList, WM_KEYDOWN, VK_DOWN, 0);
    }
    else if (strcmp(cmd, "close") == 0 || strcmp(cmd, "cancel") == 0)
    {
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    else
    {
        fprintf(stderr, "ServiceDriver: unknown command %s\n", cmd);
        return 2;
    }
    Settle(h);
    return 0;
}
