// WinTestUtil.h - small helpers for tests that drive real windows by messages.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "framework/AfxWnd.h"

namespace testutil
{

// Dispatches every message waiting for this thread's windows.
inline void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

inline std::string WindowText(HWND hWnd)
{
    int n = ::GetWindowTextLengthA(hWnd);
    std::string s((size_t)n + 1, '\0');
    ::GetWindowTextA(hWnd, &s[0], n + 1);
    s.resize((size_t)n);
    return s;
}

inline std::string ItemText(HWND hDlg, int nID)
{
    return WindowText(::GetDlgItem(hDlg, nID));
}

// Sends what a click on a button sends to its parent.
inline void Click(HWND hDlg, int nID)
{
    ::SendMessageA(::GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}

// Records the message boxes the program asks for instead of showing them.
class MessageBoxRecorder
{
public:
    struct Box
    {
        HWND hOwner;
        std::string text;
        std::string caption;
        UINT type;
    };

    MessageBoxRecorder() : m_pfnOld(AfxSetMessageBoxHook(&Hook)) { Current() = this; }
    ~MessageBoxRecorder()
    {
        AfxSetMessageBoxHook(m_pfnOld);
        Current() = nullptr;
    }

    std::vector<Box> boxes;
    int answer = IDOK;

private:
    static MessageBoxRecorder*& Current()
    {
        static MessageBoxRecorder* p = nullptr;
        return p;
    }
    static int Hook(HWND hOwner, LPCSTR text, LPCSTR caption, UINT type)
    {
        MessageBoxRecorder* self = Current();
        if (!self)
            return IDOK;
        self->boxes.push_back(Box{hOwner, text ? text : "", caption ? caption : "", type});
        return self->answer;
    }
    AFX_MESSAGEBOX_HOOK m_pfnOld;
};

} // namespace testutil
