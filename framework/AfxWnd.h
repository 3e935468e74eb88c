// AfxWnd.h - CObject, CRuntimeClass, CCmdTarget, CWnd, message maps, and the
// process-wide handles (instance, resource, application).
//
// How a window reaches its C++ object
// -----------------------------------
// There is one mechanism, and it lives in AfxWnd.cpp: a window that belongs to
// a CWnd carries a window property ("AfxCWnd") holding the object pointer, and
// its window procedure is replaced by AfxWndProc (subclassing). AfxWndProc
// finds the object through the property, dispatches through the object's
// message map and passes everything else to the procedure it replaced.
// Windows are tied to objects at one of three moments:
//   - dialogs and property pages: in WM_INITDIALOG, from the lParam the
//     dialog was created with (AfxDialog.cpp, AfxSheet.cpp);
//   - windows the framework creates (CWnd::CreateEx, the property sheet):
//     through the "window being created" slot, read by a CBT hook when the
//     first window of the expected class is created (AfxHookWindowCreate
//     below). Other windows created meanwhile are left alone: on Windows 8
//     and later the system creates the thread's default IME window in the
//     middle of its first top-level window's creation;
//   - existing controls: SubclassWindow / SubclassDlgItem / DDX_Control.
// AfxWndProc looks the object up first in an in-process table by handle,
// kept in step with the property (entered by the tie, removed by the untie):
// under Wine every property read is a trip to the server, and a list-view
// sends its parent a notification per inserted row. The property stays the
// record; the table only saves asking the window manager for it.
// The tie is undone when the window's last message, WM_NCDESTROY, has been
// handled: the property and the table entry are removed and m_hWnd cleared,
// then PostNcDestroy runs (the one place where an object may delete itself).
// The window keeps AfxWndProc as its procedure for the moment it has left;
// AfxWndProc passes a message for a window without an object to
// DefWindowProc. The object lives on (objects outlive their windows).
// UnsubclassWindow, and destroying an object whose window still exists, put
// the original procedure back and untie the window.
//
// Windows the program did not tie to an object (a label reached with
// GetDlgItem, say) get a small non-owning wrapper owned by the CWnd that
// handed it out; it lives until that CWnd's window is destroyed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/AfxString.h"

class CWnd;
class CWinApp;
class CDataExchange;
struct AFX_MSGMAP;

// ---------------------------------------------------------------------------
// Run-time class information and dynamic creation

class CObject;

struct CRuntimeClass
{
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();          // NULL without dynamic creation
    CRuntimeClass* (*m_pfnGetBaseClass)();    // NULL for CObject

    // Returns a new object of the class, or NULL when it is not creatable.
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : NULL; }
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject
{
public:
    virtual ~CObject() {}
    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }
    static CRuntimeClass* GetThisClass();
protected:
    CObject() {}
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name) \
public: \
    static CRuntimeClass* GetThisClass(); \
    virtual CRuntimeClass* GetRuntimeClass() const;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name) \
    static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew) \
    CRuntimeClass* class_name::GetThisClass() \
    { \
        static CRuntimeClass rc = { #class_name, (int)sizeof(class_name), wSchema, pfnNew, \
                                    &base_class_name::GetThisClass }; \
        return &rc; \
    } \
    CRuntimeClass* class_name::GetRuntimeClass() const { return class_name::GetThisClass(); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, NULL)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* class_name::CreateObject() { return new class_name; } \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, &class_name::CreateObject)

// ---------------------------------------------------------------------------
// Message maps
//
// A message map is a static table of entries (message, notification code,
// control id, handler). BEGIN_MESSAGE_MAP names the class and its base; the
// base's table is searched after the class's own. Each ON_ macro is one entry
// and checks the handler's signature at compile time:
//
//   ON_COMMAND(id, f)              void f()            WM_COMMAND from a menu or button id
//   ON_BN_CLICKED(id, f)           void f()            BN_CLICKED
//   ON_EN_CHANGE/UPDATE/SETFOCUS   void f()            EN_CHANGE, EN_UPDATE, EN_SETFOCUS
//   ON_CONTROL(code, id, f)        void f()            any WM_COMMAND notification
//   ON_NOTIFY(code, id, f)         void f(NMHDR*, LRESULT*)   WM_NOTIFY
//   ON_WM_CREATE()                 int OnCreate(LPCREATESTRUCT)  (-1 fails creation)
//   ON_WM_DESTROY()                void OnDestroy()
//   ON_WM_CHAR()                   void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
//   ON_MESSAGE(msg, f)             LRESULT f(WPARAM, LPARAM)

class CCmdTarget;

struct AfxHandler
{
    enum Sig { None, Void, Notify, Create, Char, Message };
    typedef void (CCmdTarget::*VoidFn)();
    typedef void (CCmdTarget::*NotifyFn)(NMHDR*, LRESULT*);
    typedef int (CCmdTarget::*CreateFn)(LPCREATESTRUCT);
    typedef void (CCmdTarget::*CharFn)(UINT, UINT, UINT);
    typedef LRESULT (CCmdTarget::*MessageFn)(WPARAM, LPARAM);

    Sig sig;
    union
    {
        VoidFn pfnVoid;
        NotifyFn pfnNotify;
        CreateFn pfnCreate;
        CharFn pfnChar;
        MessageFn pfnMessage;
    };

    constexpr AfxHandler() : sig(None), pfnVoid(nullptr) {}
    constexpr AfxHandler(VoidFn f) : sig(Void), pfnVoid(f) {}
    constexpr AfxHandler(NotifyFn f) : sig(Notify), pfnNotify(f) {}
    constexpr AfxHandler(CreateFn f) : sig(Create), pfnCreate(f) {}
    constexpr AfxHandler(CharFn f) : sig(Char), pfnChar(f) {}
    constexpr AfxHandler(MessageFn f) : sig(Message), pfnMessage(f) {}
};

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;   // WM_COMMAND, WM_NOTIFY or another window message; 0 ends the table
    UINT nCode;      // notification code (WM_COMMAND, WM_NOTIFY), else 0
    UINT nID;        // control id (WM_COMMAND, WM_NOTIFY), else 0
    AfxHandler handler;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();   // NULL at the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            { 0, 0, 0, AfxHandler() } \
        }; \
        static_assert(sizeof(ThisClass) > 0, "complete class"); \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, &_messageEntries[0] }; \
        return &messageMap; \
    }

#define AFX_VOID_HANDLER(memberFxn) AfxHandler(static_cast<AfxHandler::VoidFn>(&ThisClass::memberFxn))

#define ON_COMMAND(id, memberFxn) { WM_COMMAND, 0, (UINT)(id), AFX_VOID_HANDLER(memberFxn) },
#define ON_CONTROL(code, id, memberFxn) { WM_COMMAND, (UINT)(code), (UINT)(id), AFX_VOID_HANDLER(memberFxn) },
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn) \
    { WM_NOTIFY, (UINT)(code), (UINT)(id), \
      AfxHandler(static_cast<AfxHandler::NotifyFn>(&ThisClass::memberFxn)) },
#define ON_MESSAGE(message, memberFxn) \
    { (UINT)(message), 0, 0, AfxHandler(static_cast<AfxHandler::MessageFn>(&ThisClass::memberFxn)) },
#define ON_WM_CREATE() \
    { WM_CREATE, 0, 0, AfxHandler(static_cast<AfxHandler::CreateFn>(&ThisClass::OnCreate)) },
#define ON_WM_DESTROY() { WM_DESTROY, 0, 0, AFX_VOID_HANDLER(OnDestroy) },
#define ON_WM_CHAR() \
    { WM_CHAR, 0, 0, AfxHandler(static_cast<AfxHandler::CharFn>(&ThisClass::OnChar)) },

// The root of everything that has a message map.
class CCmdTarget : public CObject
{
public:
    // Finds the entry for a message in this class's map or its bases'; NULL when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// ---------------------------------------------------------------------------
// Process-wide handles

// The module that dialogs, strings, icons and bitmaps are taken from. What it
// lacks is looked up in the executable.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);
HINSTANCE AfxGetInstanceHandle();
void AfxSetInstanceHandle(HINSTANCE hInstance);
// The module holding resource pszName of type pszType: the resource handle if
// it has it, else the executable.
HINSTANCE AfxFindResourceHandle(LPCSTR pszName, LPCSTR pszType);

// Loads icon nID from the resource handle, else from the executable, at the
// system's large icon size (shared: never destroyed).
HICON AfxLoadIcon(UINT nIDResource);
// Loads the image of icon nID that suits cx by cy pixels (a size from
// GetSystemMetrics, say); the caller destroys it with DestroyIcon.
HICON AfxLoadIcon(UINT nIDResource, int cx, int cy);

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// Message boxes. Every box the framework or the program shows goes through
// AfxShowMessageBox, so that tests can put a recorder in place of the real
// box (the hook returns what the box would have returned).
typedef int (*AFX_MESSAGEBOX_HOOK)(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);
AFX_MESSAGEBOX_HOOK AfxSetMessageBoxHook(AFX_MESSAGEBOX_HOOK pfnHook);   // returns the previous hook
int AfxShowMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);
// Owned by the main window when it is enabled, captioned with the application name.
int AfxMessageBox(LPCSTR pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

// The framework's own prompt for an integer field that does not parse.
#ifndef AFX_IDP_PARSE_INT
#define AFX_IDP_PARSE_INT 0xF110
#endif

// The "window being created" slot: the next window of class pszClassName (a
// name or a class atom such as WC_DIALOG; NULL: any class) created on this
// thread is tied to pWnd; IME windows are never tied (see the top of this
// file). Always paired with Unhook.
void AfxHookWindowCreate(CWnd* pWnd, LPCSTR pszClassName);
BOOL AfxUnhookWindowCreate();   // FALSE when no window was tied

// ---------------------------------------------------------------------------
// CWnd

class CWnd : public CCmdTarget
{
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object tied to hWnd, or NULL.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Tie an existing window to this object (replaces its window procedure).
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Create a window of a registered class and tie it to this object.
    BOOL CreateEx(DWORD dwExStyle, LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle,
                  int x, int y, int cx, int cy, HWND hWndParent, UINT nID);
    virtual BOOL DestroyWindow();

    // Children and relatives. The result is the tied object, or a wrapper
    // that this object owns until its window is destroyed. NULL when there
    // is no such window.
    CWnd* GetDlgItem(int nID) const;
    CWnd* GetParent() const;
    CWnd* WrapHandle(HWND hWnd) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    // Text
    void SetWindowText(LPCSTR psz) { ::SetWindowTextA(m_hWnd, psz); }
    int GetWindowText(LPSTR psz, int nMaxCount) const { return ::GetWindowTextA(m_hWnd, psz, nMaxCount); }
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int nID, LPCSTR psz) { ::SetDlgItemTextA(m_hWnd, nID, psz); }

    // State and geometry
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongA(m_hWnd, GWL_STYLE); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
        { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
        { MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint); }
    // Centres this top-level window in the work area of the monitor that
    // holds rcOn (most of it; the nearest monitor when it lies on none),
    // keeping its top-left corner inside that work area.
    void CenterOnMonitorOf(const RECT& rcOn);
    CWnd* SetFocus();
    static HWND GetFocusHwnd() { return ::GetFocus(); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, NULL, bErase); }
    BOOL RedrawWindow(LPCRECT lpRectUpdate = NULL, HRGN hrgnUpdate = NULL,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
        { return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags); }
    void SetRedraw(BOOL bRedraw = TRUE) { ::SendMessageA(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
        { return (HICON)::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam); }

    // Data exchange between the controls and the members: FALSE when a
    // field did not parse (the user has been told; the focus is on it).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Called before TranslateMessage/DispatchMessage for messages to this
    // top-level window or its children; returns TRUE when it handled the message.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Message handlers the base provides; each passes the message on.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);

protected:
    // Called for every message; the default dispatches through the message
    // map and passes the rest to DefWindowProc. Returns the message result.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Returns TRUE when the message map handled the message (*pResult set).
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The procedure this window had before it was tied (or DefWindowProc).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Passes the message being handled on to DefWindowProc.
    LRESULT Default();
    // The message this window is handling (message 0 outside its handlers).
    const MSG& GetCurrentMessage() const;
    // Called when the data exchange runs; the default exchanges nothing.
    virtual void DoDataExchange(CDataExchange* pDX);
    // Called after the window is gone (after WM_NCDESTROY). The default ends
    // the message loop when this was the application's main window.
    virtual void PostNcDestroy();

    DECLARE_MESSAGE_MAP()

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CDataExchange;
    void Detach();
    void FreeWrappers();

    WNDPROC m_pfnSuper;
    BOOL m_bLockoutNotify;            // TRUE while UpdateData runs: control notifications are ignored
    struct Wrapper;
    Wrapper* m_pWrappers;             // wrappers handed out by GetDlgItem/GetParent
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// A window text setter that leaves the control alone when the text is the same
// (so an unchanged field raises no change notification).
void AfxSetWindowText(HWND hWndCtrl, LPCSTR pszNew);
