// AfxWnd.cpp - CObject, CCmdTarget, CWnd, AfxWndProc, the process-wide handles
// and message boxes.
#include "framework/AfxWnd.h"
#include "framework/AfxApp.h"
#include "framework/AfxDialog.h"

#include <map>
#include <memory>
#include <unordered_map>

// ---------------------------------------------------------------------------
// Run-time class information

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    for (const CRuntimeClass* p = this; p; p = p->m_pfnGetBaseClass ? p->m_pfnGetBaseClass() : NULL)
        if (p == pBaseClass)
            return TRUE;
    return FALSE;
}

CRuntimeClass* CObject::GetThisClass()
{
    static CRuntimeClass rc = { "CObject", (int)sizeof(CObject), 0xFFFF, NULL, NULL };
    return &rc;
}

CRuntimeClass* CObject::GetRuntimeClass() const
{
    return CObject::GetThisClass();
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

// CCmdTarget has no run-time class of its own; CWnd's base is reported as CObject.
// (Kept as a typedef-free special case: CCmdTarget is an implementation detail.)

// ---------------------------------------------------------------------------
// Message maps

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, 0, AfxHandler() } };
    static const AFX_MSGMAP map = { NULL, &entries[0] };
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : NULL)
    {
        for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->nMessage != 0; ++p)
            if (p->nMessage == nMessage && p->nCode == nCode && p->nID == nID)
                return p;
    }
    return NULL;
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

// ---------------------------------------------------------------------------
// Process-wide handles

namespace
{
HINSTANCE g_hInstance = NULL;
HINSTANCE g_hResource = NULL;
AFX_MESSAGEBOX_HOOK g_pfnMessageBoxHook = NULL;

const char kPropName[] = "AfxCWnd";

// The "window being created" slot and its hook.
CWnd* g_pWndInit = NULL;
HHOOK g_hHookCreate = NULL;
}

HINSTANCE AfxGetInstanceHandle()
{
    if (!g_hInstance)
        g_hInstance = ::GetModuleHandleA(NULL);
    return g_hInstance;
}

void AfxSetInstanceHandle(HINSTANCE hInstance)
{
    g_hInstance = hInstance;
}

HINSTANCE AfxGetResourceHandle()
{
    return g_hResource ? g_hResource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hResource)
{
    g_hResource = hResource;
}

HINSTANCE AfxFindResourceHandle(LPCSTR pszName, LPCSTR pszType)
{
    HINSTANCE hRes = AfxGetResourceHandle();
    if (hRes && ::FindResourceA(hRes, pszName, pszType))
        return hRes;
    return AfxGetInstanceHandle();
}

HICON AfxLoadIcon(UINT nIDResource)
{
    LPCSTR pszName = MAKEINTRESOURCEA(nIDResource);
    return ::LoadIconA(AfxFindResourceHandle(pszName, (LPCSTR)RT_GROUP_ICON), pszName);
}

HICON AfxLoadIcon(UINT nIDResource, int cx, int cy)
{
    LPCSTR pszName = MAKEINTRESOURCEA(nIDResource);
    return (HICON)::LoadImageA(AfxFindResourceHandle(pszName, (LPCSTR)RT_GROUP_ICON), pszName, IMAGE_ICON, cx, cy,
                               LR_DEFAULTCOLOR);
}

CWnd* AfxGetMainWnd()
{
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->m_pMainWnd : NULL;
}

AFX_MESSAGEBOX_HOOK AfxSetMessageBoxHook(AFX_MESSAGEBOX_HOOK pfnHook)
{
    AFX_MESSAGEBOX_HOOK pfnOld = g_pfnMessageBoxHook;
    g_pfnMessageBoxHook = pfnHook;
    return pfnOld;
}

int AfxShowMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    if (g_pfnMessageBoxHook)
        return g_pfnMessageBoxHook(hOwner, pszText, pszCaption, nType);
    return ::MessageBoxA(hOwner, pszText, pszCaption, nType);
}

int AfxMessageBox(LPCSTR pszText, UINT nType, UINT /*nIDHelp*/)
{
    HWND hOwner = NULL;
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && pMain->m_hWnd && ::IsWindowEnabled(pMain->m_hWnd))
        hOwner = pMain->m_hWnd;
    CWinApp* pApp = AfxGetApp();
    LPCSTR pszCaption = pApp && pApp->m_pszAppName ? pApp->m_pszAppName : "";
    if (!(nType & MB_ICONMASK))
    {
        UINT nButtons = nType & MB_TYPEMASK;
        nType |= (nButtons == MB_OKCANCEL || nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL)
                     ? MB_ICONQUESTION : MB_ICONEXCLAMATION;
    }
    return AfxShowMessageBox(hOwner, pszText, pszCaption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    if (!text.LoadString(nIDPrompt) && nIDPrompt == AFX_IDP_PARSE_INT)
        text = "Please enter an integer.";
    return AfxMessageBox(text, nType, nIDHelp);
}

// ---------------------------------------------------------------------------
// The window procedure

struct CWnd::Wrapper
{
    std::map<HWND, std::unique_ptr<CWnd>> map;
};

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? (CWnd*)::GetPropA(hWnd, kPropName) : NULL;
}

// The object of every window running AfxWndProc, by handle, for the lookup
// that comes with every message. The window property above stays the record
// (it goes with the window), but under Wine reading it costs two calls into
// the server (the atom, then the property): with a list-view sending its
// parent a notification per inserted row, that made filling the device list
// several times slower than filling a bare control. SubclassWindow enters a
// window here and Detach takes it out, so AfxWndProc finds its own window's
// object without asking the window manager.
namespace
{
class CTiedWindows
{
public:
    CTiedWindows() { ::InitializeCriticalSection(&m_lock); }
    void Tie(HWND hWnd, CWnd* pWnd)
    {
        ::EnterCriticalSection(&m_lock);
        m_map[hWnd] = pWnd;
        ::LeaveCriticalSection(&m_lock);
    }
    void Untie(HWND hWnd, CWnd* pWnd)
    {
        ::EnterCriticalSection(&m_lock);
        auto found = m_map.find(hWnd);
        if (found != m_map.end() && found->second == pWnd)
            m_map.erase(found);
        ::LeaveCriticalSection(&m_lock);
    }
    CWnd* Find(HWND hWnd)
    {
        ::EnterCriticalSection(&m_lock);
        auto found = m_map.find(hWnd);
        CWnd* pWnd = found != m_map.end() ? found->second : NULL;
        ::LeaveCriticalSection(&m_lock);
        return pWnd;
    }

private:
    CRITICAL_SECTION m_lock;
    std::unordered_map<HWND, CWnd*> m_map;
};

// Never destroyed: windows of objects with static storage may still be
// detached while the process ends.
CTiedWindows& TiedWindows()
{
    static CTiedWindows* const pTied = new CTiedWindows;
    return *pTied;
}
} // namespace

namespace
{
// The message being handled on this thread, for Default() and
// GetCurrentMessage(). It lives here, not in the object: a handler may delete
// its object (a window whose PostNcDestroy deletes it, destroyed from one of
// its own handlers), and nothing may be written into the object afterwards.
thread_local MSG t_msgCurrent = {};
} // namespace

const MSG& CWnd::GetCurrentMessage() const
{
    static const MSG kNone = {};
    return (m_hWnd != NULL && t_msgCurrent.hwnd == m_hWnd) ? t_msgCurrent : kNone;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = TiedWindows().Find(hWnd);
    if (!pWnd)
        pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd || pWnd->m_hWnd != hWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    const MSG saved = t_msgCurrent;
    t_msgCurrent.hwnd = hWnd;
    t_msgCurrent.message = message;
    t_msgCurrent.wParam = wParam;
    t_msgCurrent.lParam = lParam;

    LRESULT lResult = 0;
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
    try
    {
        lResult = pWnd->WindowProc(message, wParam, lParam);
    }
    catch (...)
    {
        // Nothing may unwind through the system's callback: note it and go on.
        ::OutputDebugStringA("AfxWndProc: an exception reached the window procedure\n");
        lResult = 0;
    }
#else
    lResult = pWnd->WindowProc(message, wParam, lParam);
#endif

    t_msgCurrent = saved;
    // pWnd may be gone by now, unless this was its window's last message:
    // the object is untied here and PostNcDestroy is the one place where it
    // may delete itself.
    if (message == WM_NCDESTROY)
    {
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    return lResult;
}

namespace
{
// The class of window the slot waits for: a name, or "#" and the number of
// a class atom (as GetClassName gives it for the system's classes).
char g_szInitClass[256] = "";

// The system gives every GUI thread a default IME window when its first
// top-level window is created (Windows 8 and later), in the middle of that
// window's creation: never tie one.
bool IsImeWindow(HWND hWnd)
{
    if (::GetClassLongPtrA(hWnd, GCL_STYLE) & CS_IME)
        return true;
    char name[8] = "";
    ::GetClassNameA(hWnd, name, sizeof(name));
    return ::lstrcmpiA(name, "IME") == 0;
}

bool IsExpectedWindow(HWND hWnd)
{
    if (IsImeWindow(hWnd))
        return false;
    if (g_szInitClass[0] == '\0')
        return true;
    char name[256] = "";
    ::GetClassNameA(hWnd, name, sizeof(name));
    return ::lstrcmpiA(name, g_szInitClass) == 0;
}
} // namespace

// CBT hook for the "window being created" slot: ties the first window of the
// expected class created while the slot is set, before it gets WM_NCCREATE.
static LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && g_pWndInit && IsExpectedWindow((HWND)wParam))
    {
        CWnd* pWnd = g_pWndInit;
        g_pWndInit = NULL;
        pWnd->SubclassWindow((HWND)wParam);
    }
    return ::CallNextHookEx(g_hHookCreate, code, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* pWnd, LPCSTR pszClassName)
{
    if (!g_hHookCreate)
        g_hHookCreate = ::SetWindowsHookExA(WH_CBT, AfxCbtFilterHook, NULL, ::GetCurrentThreadId());
    g_pWndInit = pWnd;
    if (pszClassName == NULL)
        g_szInitClass[0] = '\0';
    else if (IS_INTRESOURCE(pszClassName))
        wsprintfA(g_szInitClass, "#%u", (unsigned)LOWORD((ULONG_PTR)pszClassName));
    else
        lstrcpynA(g_szInitClass, pszClassName, sizeof(g_szInitClass));
}

BOOL AfxUnhookWindowCreate()
{
    if (g_hHookCreate)
    {
        ::UnhookWindowsHookEx(g_hHookCreate);
        g_hHookCreate = NULL;
    }
    BOOL bTied = (g_pWndInit == NULL);
    g_pWndInit = NULL;
    g_szInitClass[0] = '\0';
    return bTied;
}

// ---------------------------------------------------------------------------
// CWnd

CWnd::CWnd()
    : m_hWnd(NULL), m_pfnSuper(NULL), m_bLockoutNotify(FALSE), m_pWrappers(NULL)
{
}

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        UnsubclassWindow();
    // A window that went without its WM_NCDESTROY reaching us leaves no
    // property, but must not leave this object in the table either.
    if (m_hWnd)
        TiedWindows().Untie(m_hWnd, this);
    m_hWnd = NULL;
    FreeWrappers();
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || !::IsWindow(hWnd) || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    ::SetPropA(hWnd, kPropName, (HANDLE)this);
    TiedWindows().Tie(hWnd, this);
    m_hWnd = hWnd;
    m_pfnSuper = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!pParent || !pParent->m_hWnd)
        return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, (int)nID));
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return NULL;
    if ((WNDPROC)::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == AfxWndProc && m_pfnSuper)
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    Detach();
    return hWnd;
}

void CWnd::Detach()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        ::RemovePropA(m_hWnd, kPropName);
    if (m_hWnd)
        TiedWindows().Untie(m_hWnd, this);
    m_hWnd = NULL;
    m_pfnSuper = NULL;
    FreeWrappers();
}

void CWnd::FreeWrappers()
{
    delete m_pWrappers;
    m_pWrappers = NULL;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle,
                    int x, int y, int cx, int cy, HWND hWndParent, UINT nID)
{
    if (m_hWnd)
        return FALSE;
    AfxHookWindowCreate(this, pszClassName);
    HWND hWnd = ::CreateWindowExA(dwExStyle, pszClassName, pszWindowName, dwStyle, x, y, cx, cy,
                                  hWndParent, (HMENU)(UINT_PTR)nID, AfxGetInstanceHandle(), NULL);
    AfxUnhookWindowCreate();
    if (!hWnd)
    {
        m_hWnd = NULL;
        return FALSE;
    }
    if (!m_hWnd)   // created without passing through the hook: tie it now
        SubclassWindow(hWnd);
    return m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    const bool bTied = FromHandlePermanent(hWnd) == this;
    BOOL bResult = ::DestroyWindow(hWnd);
    // A tied window's WM_NCDESTROY has untied it, and PostNcDestroy may have
    // deleted this object: it is not touched again unless the window is
    // still entered for it (its last message did not come through us).
    if (!bTied || TiedWindows().Find(hWnd) == this)
        Detach();
    return bResult;
}

CWnd* CWnd::WrapHandle(HWND hWnd) const
{
    if (!hWnd)
        return NULL;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    CWnd* self = const_cast<CWnd*>(this);
    if (!self->m_pWrappers)
        self->m_pWrappers = new Wrapper;
    std::unique_ptr<CWnd>& slot = self->m_pWrappers->map[hWnd];
    if (!slot)
    {
        slot.reset(new CWnd);
        slot->m_hWnd = hWnd;   // not tied: the wrapper only names the window
    }
    return slot.get();
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return m_hWnd ? WrapHandle(::GetDlgItem(m_hWnd, nID)) : NULL;
}

CWnd* CWnd::GetParent() const
{
    return m_hWnd ? WrapHandle(::GetParent(m_hWnd)) : NULL;
}

void CWnd::GetWindowText(CString& rString) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    LPSTR p = rString.GetBuffer(n);
    int got = n > 0 ? ::GetWindowTextA(m_hWnd, p, n + 1) : 0;
    rString.ReleaseBuffer(got > 0 ? got : 0);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::MapWindowPoints(NULL, m_hWnd, (LPPOINT)lpRect, 2);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::MapWindowPoints(m_hWnd, NULL, (LPPOINT)lpRect, 2);
}

void CWnd::CenterOnMonitorOf(const RECT& rcOn)
{
    if (!m_hWnd)
        return;
    MONITORINFO monitor;
    ZeroMemory(&monitor, sizeof(monitor));
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoA(::MonitorFromRect(&rcOn, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    int x = work.left + ((work.right - work.left) - (rc.right - rc.left)) / 2;
    int y = work.top + ((work.bottom - work.top) - (rc.bottom - rc.top)) / 2;
    if (x < work.left)
        x = work.left;
    if (y < work.top)
        y = work.top;
    ::SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd* CWnd::SetFocus()
{
    return WrapHandle(::SetFocus(m_hWnd));
}

BOOL CWnd::PreTranslateMessage(MSG* /*pMsg*/)
{
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const AFX_MSGMAP_ENTRY* pEntry = NULL;
    NMHDR* pNMHDR = NULL;

    if (message == WM_COMMAND)
    {
        // Control notifications raised while UpdateData writes the controls
        // are not the user's doing: they are dropped.
        if (lParam != 0 && m_bLockoutNotify)
        {
            *pResult = 0;
            return TRUE;
        }
        pEntry = FindMessageEntry(WM_COMMAND, HIWORD(wParam), LOWORD(wParam));
    }
    else if (message == WM_NOTIFY)
    {
        pNMHDR = (NMHDR*)lParam;
        if (!pNMHDR)
            return FALSE;
        if (m_bLockoutNotify)
        {
            *pResult = 0;
            return TRUE;
        }
        pEntry = FindMessageEntry(WM_NOTIFY, pNMHDR->code, (UINT)pNMHDR->idFrom);
    }
    else
    {
        pEntry = FindMessageEntry(message, 0, 0);
    }
    if (!pEntry)
        return FALSE;

    const AfxHandler& h = pEntry->handler;
    *pResult = 0;
    switch (h.sig)
    {
    case AfxHandler::Void:
        (this->*h.pfnVoid)();
        break;
    case AfxHandler::Notify:
        (this->*h.pfnNotify)(pNMHDR, pResult);
        break;
    case AfxHandler::Create:
        *pResult = (this->*h.pfnCreate)((LPCREATESTRUCT)lParam);
        break;
    case AfxHandler::Char:
        (this->*h.pfnChar)((UINT)wParam, LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxHandler::Message:
        *pResult = (this->*h.pfnMessage)(wParam, lParam);
        break;
    default:
        return FALSE;
    }
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = GetCurrentMessage();
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return (int)Default();
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnChar(UINT, UINT, UINT)
{
    Default();
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    BOOL bOldLockout = m_bLockoutNotify;
    m_bLockoutNotify = TRUE;
    DoDataExchange(&dx);
    m_bLockoutNotify = bOldLockout;
    // The failure is reported once the controls are quiet again, so that the
    // focus moving to the field reaches the page like any other focus change.
    return dx.ReportFailure();
}

void CWnd::PostNcDestroy()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this)
        ::PostQuitMessage(0);
}

void AfxSetWindowText(HWND hWndCtrl, LPCSTR pszNew)
{
    if (!hWndCtrl)
        return;
    if (!pszNew)
        pszNew = "";
    int nNewLen = lstrlenA(pszNew);
    int nOldLen = ::GetWindowTextLengthA(hWndCtrl);
    if (nNewLen == nOldLen)
    {
        CString old;
        LPSTR p = old.GetBuffer(nOldLen);
        ::GetWindowTextA(hWndCtrl, p, nOldLen + 1);
        old.ReleaseBuffer();
        if (old == pszNew)
            return;
    }
    ::SetWindowTextA(hWndCtrl, pszNew);
}
