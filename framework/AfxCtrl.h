// AfxCtrl.h - CButton, CEdit, CTextBox, CStatic, CListCtrl (controls, tied to
// their windows by DDX_Control or Create) and the owning GDI classes
// CImageList and CBitmap (they free their handle in the destructor).
#pragma once

#include "framework/AfxWnd.h"

class CImageList;

class CButton : public CWnd
{
public:
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, (WPARAM)nCheck); }
};

class CEdit : public CWnd
{
public:
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, (WPARAM)nChars); }
};

// A read-only, multi-line edit that shows a text for reading (a status, a
// device's message), tied to its control by DDX_Control.
// - It leaves the dialog its keys: a multi-line edit asks the dialog manager
//   for every key (DLGC_WANTALLKEYS), so Tab, Shift+Tab, Enter and the
//   property sheet's Ctrl+Tab would stop in it and the keyboard could not
//   leave it; this one keeps only what reading needs (arrows, Page Up and
//   Down, Home and End, characters, which change nothing).
// - Its vertical scroll bar (the template gives it WS_VSCROLL) shows only
//   while the text is longer than the box: FitScrollBar runs whenever the
//   text is set; call it once after tying the control.
class CTextBox : public CEdit
{
public:
    void FitScrollBar();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CStatic : public CWnd
{
public:
    // Creates a static control as a child of pParentWnd.
    BOOL Create(LPCSTR pszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF);
    HBITMAP SetBitmap(HBITMAP hBitmap)
        { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap); }
    HICON SetIcon(HICON hIcon) { return (HICON)SendMessage(STM_SETICON, (WPARAM)hIcon); }
};

class CListCtrl : public CWnd
{
public:
    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    void SetItemCount(int nItems) { SendMessage(LVM_SETITEMCOUNT, (WPARAM)nItems); }
    int InsertColumn(int nCol, LPCSTR pszHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    int GetColumnWidth(int nCol) const { return (int)SendMessage(LVM_GETCOLUMNWIDTH, (WPARAM)nCol); }
    BOOL SetColumnWidth(int nCol, int cx)
        { return (BOOL)SendMessage(LVM_SETCOLUMNWIDTH, (WPARAM)nCol, MAKELPARAM(cx, 0)); }
    int InsertItem(const LVITEMA* pItem) { return (int)SendMessage(LVM_INSERTITEMA, 0, (LPARAM)pItem); }
    int InsertItem(int nItem, LPCSTR pszItem, int nImage);
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR pszText);
    // The text of a cell, however long.
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const
        { return (UINT)SendMessage(LVM_GETITEMSTATE, (WPARAM)nItem, (LPARAM)nMask); }
    int GetNextItem(int nItem, int nFlags) const
        { return (int)SendMessage(LVM_GETNEXTITEM, (WPARAM)nItem, MAKELPARAM(nFlags, 0)); }
    int GetTopIndex() const { return (int)SendMessage(LVM_GETTOPINDEX); }
    int GetCountPerPage() const { return (int)SendMessage(LVM_GETCOUNTPERPAGE); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK)
        { return (BOOL)SendMessage(LVM_ENSUREVISIBLE, (WPARAM)nItem, bPartialOK); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(LVM_DELETEALLITEMS); }
    // Replaces all extended styles (mask 0) with dwExStyle.
    DWORD SetExtendedStyle(DWORD dwExStyle)
        { return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)dwExStyle); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType);
};

class CImageList
{
public:
    CImageList() : m_hImageList(NULL) {}
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Adds a copy of the icon; returns its index, -1 on failure.
    int Add(HICON hIcon) { return m_hImageList ? ImageList_AddIcon(m_hImageList, hIcon) : -1; }
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList;
};

class CBitmap
{
public:
    CBitmap() : m_hObject(NULL) {}
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Loads bitmap nID from the resource handle, else from the executable.
    BOOL LoadBitmap(UINT nIDResource);
    // The same, stretched to cx by cy pixels.
    BOOL LoadBitmap(UINT nIDResource, int cx, int cy);
    BOOL Attach(HBITMAP hBitmap);
    HBITMAP Detach();
    BOOL DeleteObject();
    HBITMAP GetSafeHandle() const { return m_hObject; }
    operator HBITMAP() const { return m_hObject; }

    HBITMAP m_hObject;
};
