// AfxCtrl.cpp - CEdit, CStatic, CListCtrl, CImageList, CBitmap.
#include "framework/AfxCtrl.h"

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    SendMessage(EM_SETSEL, (WPARAM)nStartChar, (LPARAM)nEndChar);
    if (!bNoScroll)
        SendMessage(EM_SCROLLCARET);
}

// ---------------------------------------------------------------------------
// CTextBox

LRESULT CTextBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_GETDLGCODE:
        // Not DLGC_WANTALLKEYS (the same bit as DLGC_WANTMESSAGE) nor
        // DLGC_WANTTAB: Tab, Enter, Escape and Ctrl+Tab are the dialog's.
        return CEdit::WindowProc(message, wParam, lParam) & ~(LRESULT)(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    case WM_SETTEXT:
    {
        const LRESULT lResult = CEdit::WindowProc(message, wParam, lParam);
        FitScrollBar();
        return lResult;
    }
    default:
        return CEdit::WindowProc(message, wParam, lParam);
    }
}

void CTextBox::FitScrollBar()
{
    if (!m_hWnd || !(GetStyle() & ES_MULTILINE))
        return;
    // Laid out without the bar first (the lines are then at their longest,
    // so the fewest): if the text fits so, no bar; if not, it needs one.
    ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
    const int nLines = (int)SendMessage(EM_GETLINECOUNT);
    RECT rcText = {0, 0, 0, 0};
    SendMessage(EM_GETRECT, 0, (LPARAM)&rcText);
    int nLineHeight = 0;
    if (HDC hDC = ::GetDC(m_hWnd))
    {
        HGDIOBJ hOld = NULL;
        if (HFONT hFont = (HFONT)SendMessage(WM_GETFONT))
            hOld = ::SelectObject(hDC, hFont);
        TEXTMETRICA tm;
        if (::GetTextMetricsA(hDC, &tm))
            nLineHeight = tm.tmHeight;
        if (hOld)
            ::SelectObject(hDC, hOld);
        ::ReleaseDC(m_hWnd, hDC);
    }
    if (nLineHeight > 0 && nLines * nLineHeight > rcText.bottom - rcText.top)
        ::ShowScrollBar(m_hWnd, SB_VERT, TRUE);
}

// ---------------------------------------------------------------------------
// CStatic

BOOL CStatic::Create(LPCSTR pszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, "STATIC", pszText, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : NULL, nID);
}

int CListCtrl::InsertColumn(int nCol, LPCSTR pszHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.fmt = nFormat;
    column.pszText = (LPSTR)pszHeading;
    if (nWidth != -1)
    {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1)
    {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return (int)SendMessage(LVM_INSERTCOLUMNA, (WPARAM)nCol, (LPARAM)&column);
}

int CListCtrl::InsertItem(int nItem, LPCSTR pszItem, int nImage)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = (LPSTR)(pszItem ? pszItem : "");
    item.iImage = nImage;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCSTR pszText)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = nSubItem;
    item.pszText = (LPSTR)(pszText ? pszText : "");
    return (BOOL)SendMessage(LVM_SETITEMTEXTA, (WPARAM)nItem, (LPARAM)&item);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    CString text;
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = nSubItem;
    // The control cannot report a cell's length: grow the buffer until it fits.
    for (int size = 256;; size *= 4)
    {
        item.cchTextMax = size;
        item.pszText = text.GetBuffer(size - 1);
        int n = (int)SendMessage(LVM_GETITEMTEXTA, (WPARAM)nItem, (LPARAM)&item);
        if (n < size - 1 || size >= (1 << 26))
        {
            text.ReleaseBuffer(n < 0 ? 0 : (n < size ? n : size - 1));
            return text;
        }
    }
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.stateMask = nMask;
    item.state = nState;
    return (BOOL)SendMessage(LVM_SETITEMSTATE, (WPARAM)nItem, (LPARAM)&item);
}

HIMAGELIST CListCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    return (HIMAGELIST)SendMessage(LVM_SETIMAGELIST, (WPARAM)nImageListType,
                                   (LPARAM)(pImageList ? pImageList->m_hImageList : NULL));
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != NULL;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    ImageList_Destroy(m_hImageList);
    m_hImageList = NULL;
    return TRUE;
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    LPCSTR pszName = MAKEINTRESOURCEA(nIDResource);
    return Attach(::LoadBitmapA(AfxFindResourceHandle(pszName, (LPCSTR)RT_BITMAP), pszName));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource, int cx, int cy)
{
    LPCSTR pszName = MAKEINTRESOURCEA(nIDResource);
    return Attach((HBITMAP)::LoadImageA(AfxFindResourceHandle(pszName, (LPCSTR)RT_BITMAP), pszName, IMAGE_BITMAP,
                                        cx, cy, LR_DEFAULTCOLOR));
}

BOOL CBitmap::Attach(HBITMAP hBitmap)
{
    if (!hBitmap)
        return FALSE;
    DeleteObject();
    m_hObject = hBitmap;
    return TRUE;
}

HBITMAP CBitmap::Detach()
{
    HBITMAP h = m_hObject;
    m_hObject = NULL;
    return h;
}

BOOL CBitmap::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    ::DeleteObject(m_hObject);
    m_hObject = NULL;
    return TRUE;
}
