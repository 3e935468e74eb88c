// AfxSheet.h - CPropertyPage and CPropertySheet.
//
// Pages are added to the sheet object before its window exists; the common
// property sheet control creates each page's window the first time its tab is
// shown. Page objects outlive their windows: whoever created them deletes
// them (the sheet never does).
#pragma once

#include "framework/AfxDialog.h"

#include <prsht.h>
#include <vector>

class CPropertySheet;

class CPropertyPage : public CDialog
{
    DECLARE_DYNAMIC(CPropertyPage)
public:
    // nIDTemplate: the page's dialog template. nIDCaption: a string id for
    // the tab text, or 0 to take the template's caption.
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    // Called when the page becomes the active page. The default pushes the
    // members to the controls on every activation but the first (the first
    // follows OnInitDialog, which already did). Returns TRUE to accept.
    virtual BOOL OnSetActive();
    // Called before another page becomes active. The default takes the
    // values from the controls; returns FALSE (keeping this page) when a
    // field did not parse.
    virtual BOOL OnKillActive();
    // Called when the sheet applies. The default calls OnOK; returns TRUE.
    virtual BOOL OnApply();
    // Called when the sheet is cancelled. The default calls OnCancel.
    virtual void OnReset();
    // Page OK and Cancel (also the page's own IDOK/IDCANCEL buttons): no-ops.
    virtual void OnOK();
    virtual void OnCancel();

    // Marks the page changed (enables the sheet's Apply button) or unchanged.
    void SetModified(BOOL bChanged = TRUE);

    // Called by the sheet when it builds its window.
    HPROPSHEETPAGE CreatePageHandle();

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDCaption;
    CString m_strCaption;
    BOOL m_bFirstSetActive;

private:
    static INT_PTR CALLBACK PageDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

class CPropertySheet : public CWnd
{
    DECLARE_DYNAMIC(CPropertySheet)
public:
    explicit CPropertySheet(LPCSTR pszCaption = NULL, CWnd* pParentWnd = NULL, UINT iSelectPage = 0);
    virtual ~CPropertySheet();

    // The header the window is built from: callers may set flags (such as
    // PSH_NOAPPLYNOW) before Create.
    PROPSHEETHEADERA m_psh;

    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return (int)m_pages.size(); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(const CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    HWND GetTabControl() const;
    void SetTitle(LPCSTR pszText);

    // Creates the sheet modeless and visible. dwStyle (DWORD)-1 gives the
    // default sheet style: a popup with caption, system menu and minimise
    // box. Returns FALSE when the window could not be created.
    virtual BOOL Create(CWnd* pParentWnd = NULL, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);
    // Called once while the window is being initialised. The base lets the
    // property sheet control do its own initialisation; call it first.
    virtual BOOL OnInitDialog();
    // Ends the sheet: a modeless sheet destroys its window.
    void EndDialog(int nEndID);

    // Feeds the sheet its dialog navigation (Tab, arrows, Enter, Escape,
    // Ctrl+Tab between pages). Enter presses the focused push button, else
    // the shown page's default button, else the sheet's own default button
    // (OK) when it shows; a disabled or hidden button is never pressed.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // The push button Enter would press now (see PreTranslateMessage); NULL
    // when there is none.
    HWND GetEnterButton() const;

protected:
    // Besides the page change below, keeps the sheet's OK command its own:
    // a page control that shares the OK button's id (1) is that page's
    // command, and a disabled OK button is not pressed.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Moves the focus to the tabs when it is on a control that is not shown
    // (a control of a page that another page replaced). Called after every
    // page change and around every key the sheet handles.
    void KeepFocusVisible();

    std::vector<CPropertyPage*> m_pages;
    CString m_strCaption;
    CWnd* m_pParentWnd;
    DWORD m_dwCreateStyle;

private:
    static int CALLBACK SheetCallback(HWND hWnd, UINT message, LPARAM lParam);
};
