// AfxDialog.h - CDialog, CDataExchange and the DDX_ exchange functions.
#pragma once

#include "framework/AfxWnd.h"

// ---------------------------------------------------------------------------
// Data exchange
//
// DoDataExchange is a list of DDX_ calls, one per control. In the saving
// direction (controls to members) a field that does not parse stops the
// exchange: the remaining DDX_ calls do nothing, the members after it keep
// their values, and UpdateData, once the exchange is over, shows the prompt,
// puts the focus on the field, selects its text and returns FALSE.

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;   // TRUE: controls to members
    CWnd* m_pDlgWnd;

    // The control nIDC of the dialog, remembered as the one being exchanged.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Marks the exchange failed at the control last prepared; nIDPrompt is
    // the message shown to the user.
    void Fail(UINT nIDPrompt);
    BOOL HasFailed() const { return m_bFailed; }

    // Called by UpdateData: reports a failure (prompt, focus, selection).
    // Returns TRUE when the exchange succeeded.
    BOOL ReportFailure();

private:
    BOOL m_bFailed;
    UINT m_nIDPrompt;
    HWND m_hWndLastControl;
    BOOL m_bEditLastControl;
};

// Integers: signed decimal text; a text that is not a whole number in range
// (blanks around it allowed) fails the exchange.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Check box state: 0 clear, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// Index of the checked radio button in the group that starts at nIDC (the
// control with WS_GROUP); -1 when none. Writing -1 clears the whole group.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Ties the control to rControl the first time (subclassing it).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// Parses a whole signed decimal number; FALSE when the text is not one or is
// outside [minValue, maxValue].
BOOL AfxParseInteger(LPCSTR psz, long long minValue, long long maxValue, long long& result);

// ---------------------------------------------------------------------------
// The keyboard's place in a dialog

// The dialog whose keyboard handling a control is part of: the dialog it sits
// in, or, for a control of a child dialog (a property page), the dialog
// around that one. NULL when the control is in no dialog.
HWND AfxGetKeyboardDialog(HWND hControl);

// Moves the focus to a control as the dialog manager does for Tab
// (WM_NEXTDLGCTL): an edit gets its text selected, and the default button
// follows the focus.
void AfxGotoControl(HWND hControl);

// Enables or disables a control. A control that has the focus hands it to
// the next control in tab order before it goes off, as Tab would move it: a
// disabled window loses the focus, and with the focus nowhere the keyboard
// does nothing (Tab and Shift+Tab included) until the user reaches for Alt
// or the mouse. Every page that disables a control of its own goes through here.
void AfxEnableControl(HWND hControl, BOOL bEnable);
inline void AfxEnableControl(CWnd& control, BOOL bEnable) { AfxEnableControl(control.m_hWnd, bEnable); }

// ---------------------------------------------------------------------------
// CDialog

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    // Runs the dialog modally from template m_nIDTemplate; returns the value
    // given to EndDialog, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (for a child template, pParentWnd is the
    // parent); FALSE when the window could not be created. DestroyWindow ends it.
    BOOL Create(CWnd* pParentWnd = NULL);
    void EndDialog(int nResult);

    // Called once the dialog window exists, before it is shown. The default
    // pushes the members to the controls. Returns TRUE to let the dialog
    // manager put the focus on the first control.
    virtual BOOL OnInitDialog();
    // Called for IDOK: takes the values and, when they parse, ends with IDOK.
    virtual void OnOK();
    // Called for IDCANCEL: ends with IDCANCEL.
    virtual void OnCancel();

    UINT GetTemplateID() const { return m_nIDTemplate; }
    // Moves the focus to one of the dialog's controls (AfxGotoControl).
    void GotoDlgCtrl(CWnd* pWndCtrl)
    {
        if (pWndCtrl)
            AfxGotoControl(pWndCtrl->m_hWnd);
    }

protected:
    // The dialog procedure of every dialog and page: ties the window to its
    // object at WM_INITDIALOG (lParam is the object) and runs OnInitDialog.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Ties hWnd to this object and runs OnInitDialog; the result for WM_INITDIALOG.
    INT_PTR InitDialogWindow(HWND hWnd);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()
};
