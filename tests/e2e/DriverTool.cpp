// DriverTool.cpp - ServiceDriver.exe: drives a running ServiceApp.exe from the
// command line, for scripts that take screenshots.
//
//   ServiceDriver dialog             wait for the start-up dialog; print its rectangle
//   ServiceDriver type <text>        type into the dialog's model name field
//   ServiceDriver accept             press the dialog's accept button
//   ServiceDriver page <index>       wait for the sheet, show page <index>; print its rectangle
//   ServiceDriver click <id>         click control <id> on the sheet's current page
//   ServiceDriver close              press the sheet's Close button
//
// A rectangle is printed as "WxH+X+Y" (ImageMagick's crop geometry).
// Exit code 0 on success, 1 when the window did not appear in time.
#include <windows.h>
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

BOOL CALLBACK FindTarget(HWND h, LPARAM lParam)
{
    FindData* data = (FindData*)lParam;
    if (ClassName(h) != "#32770" || !::IsWindowVisible(h))
        return TRUE;
    std::string text = WindowText(h);
    if (data->sheet)
    {
        std::string tail = " - " + ResourceText(IDS_APP_TITLE);
        if (text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
            data->found = h;
    }
    else if (text == ResourceText(IDS_STARTUP_CAPTION))
    {
        data->found = h;
    }
    return data->found ? FALSE : TRUE;
}

HWND WaitFor(bool sheet)
{
    for (int i = 0; i < 300; ++i)
    {
        FindData data = {sheet, NULL};
        ::EnumWindows(FindTarget, (LPARAM)&data);
        if (data.found)
            return data.found;
        ::Sleep(50);
    }
    return NULL;
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
        fprintf(stderr, "usage: ServiceDriver dialog|type TEXT|accept|page N|click ID|close\n");
        return 2;
    }
    const char* cmd = argv[1];
    bool wantsSheet = strcmp(cmd, "page") == 0 || strcmp(cmd, "click") == 0 || strcmp(cmd, "close") == 0;
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
        ::Sleep(300);
        PrintRect(h);
    }
    else if (strcmp(cmd, "click") == 0 && argc > 2)
    {
        HWND hPage = (HWND)::SendMessageA(h, PSM_GETCURRENTPAGEHWND, 0, 0);
        int id = atoi(argv[2]);
        HWND hCtrl = ::GetDlgItem(hPage, id);
        ::SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)hCtrl);
    }
    else if (strcmp(cmd, "close") == 0)
    {
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    }
    else
    {
        fprintf(stderr, "ServiceDriver: unknown command %s\n", cmd);
        return 2;
    }
    return 0;
}
