// DevicesPage.cpp - CDevicesPage.
#include "pages/DevicesPage.h"

#include <mbstring.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "lang/ServiceRes.h"
#include "pages/PageSupport.h"
#include "service/BstrText.h"
#include "service/ComRef.h"

BEGIN_MESSAGE_MAP(CDevicesPage, CPropertyPage)
    ON_WM_DESTROY()
    ON_NOTIFY(NM_CLICK, IDC_DEVICE_LIST, OnClickDeviceList)
    ON_NOTIFY(NM_DBLCLK, IDC_DEVICE_LIST, OnDblclkDeviceList)
    ON_NOTIFY(LVN_KEYDOWN, IDC_DEVICE_LIST, OnKeydownDeviceList)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_DEVICE_LIST, OnItemchangedDeviceList)
END_MESSAGE_MAP()

namespace
{

const UINT kSelectedFocused = LVIS_SELECTED | LVIS_FOCUSED;

// Column widths in dialog units, so that they grow with the dialog font and
// the screen's DPI: the name, the first column text; the second column
// takes the rest of the list, and at least kMinLastColumnDlu.
const int kNameColumnDlu = 120;
const int kText1ColumnDlu = 100;
const int kMinLastColumnDlu = 50;

// Sets the list's selection from the page's own code: the changes this
// makes are not the user's, and the code that makes them shows the device.
class SelectingGuard
{
public:
    explicit SelectingGuard(bool& bSelecting) : m_bSelecting(bSelecting), m_bOld(bSelecting) { m_bSelecting = true; }
    ~SelectingGuard() { m_bSelecting = m_bOld; }

private:
    SelectingGuard(const SelectingGuard&);
    SelectingGuard& operator=(const SelectingGuard&);
    bool& m_bSelecting;
    bool m_bOld;
};

// The most devices the list takes, and how many positions in a row may give
// no device before the rest of a claimed count is taken to be empty.
const long kMaxDevices = 1000000;
const long kMaxMissesInARow = 1000;

// An out VARIANT for Item: VT_EMPTY with a null pointer field, so that a call
// that leaves it untouched gives no object.
void InitItemVariant(VARIANT& v)
{
    ZeroMemory(&v, sizeof(v));
    V_VT(&v) = VT_EMPTY;
}

// Queries the object in Item's VARIANT for IServiceDevice; a null pointer
// gives nothing. Both object tags are taken (VT_DISPATCH and VT_UNKNOWN share
// the pointer field), any other tag gives nothing: a service that answers with
// the device's name (VT_BSTR) or id (VT_I4) puts text or a number in that
// field, and calling QueryInterface through it crashed the program.
HRESULT QueryDevice(const VARIANT& v, ComRef<IServiceDevice>& device)
{
    if (V_VT(&v) != VT_DISPATCH && V_VT(&v) != VT_UNKNOWN)
    {
        device.Release();
        return DISP_E_TYPEMISMATCH;
    }
    return device.QueryFrom(v.punkVal, IID_IServiceDevice);
}

// A count as the user's locale writes whole numbers: its digit grouping,
// group separator and negative form, no decimals (GetNumberFormat with the
// user's locale; a number it cannot format shows plain).
CString FormatCount(long nValue)
{
    char digits[16];
    wsprintfA(digits, "%ld", nValue);

    char decimal[8] = ".", thousand[8] = ",", grouping[16] = "3;0", negative[4] = "1", leadingZero[4] = "1";
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof(decimal));
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand, sizeof(thousand));
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, grouping, sizeof(grouping));
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_INEGNUMBER, negative, sizeof(negative));
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ILZERO, leadingZero, sizeof(leadingZero));

    // The locale's grouping ("3;0", "3;2;0", "3") as NUMBERFMT wants it (3,
    // 32, 30): the digits in order, a final ";0" meaning "repeat the last
    // group" dropped, and a 0 added where the last group does not repeat.
    UINT nGrouping = 0;
    const size_t n = strlen(grouping);
    const bool bRepeats = n >= 2 && strcmp(grouping + n - 2, ";0") == 0;
    for (size_t i = 0; i < (bRepeats ? n - 2 : n); ++i)
        if (grouping[i] >= '0' && grouping[i] <= '9')
            nGrouping = nGrouping * 10 + (UINT)(grouping[i] - '0');
    if (!bRepeats)
        nGrouping *= 10;

    NUMBERFMTA format;
    ZeroMemory(&format, sizeof(format));
    format.NumDigits = 0;
    format.LeadingZero = (UINT)atoi(leadingZero);
    format.Grouping = nGrouping;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    format.NegativeOrder = (UINT)atoi(negative);
    char text[64] = "";
    if (::GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits, &format, text, sizeof(text)) == 0)
        return CString(digits);
    return CString(text);
}

// Reads one string of the device into buffer, kept for every device of the
// load: the BSTR starts null, is converted (a null or undelivered string
// gives the empty text) and is freed.
template <class Getter>
LPCSTR ReadText(IServiceDevice* pDevice, Getter getter, std::string& buffer)
{
    BstrHolder text;
    (pDevice->*getter)(text.Out());
    return AnsiFromBstr(text.Get(), buffer);
}

// The map's value is the device id itself, not a cell on the heap: a
// pointer holds any 32-bit id, and a heap cell per device cost an allocation
// and a free each and about 16 bytes per device.
void* IdToValue(long nId)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(nId));
}

long ValueToId(void* pValue)
{
    return static_cast<long>(reinterpret_cast<INT_PTR>(pValue));
}

// A row's text read back from the list into one buffer kept for every row of
// a pass, grown when a text does not fit (the control cannot report a cell's
// length), instead of a new string per row.
class RowName
{
public:
    RowName() : m_text(256, '\0') {}
    LPCSTR Read(CListCtrl& list, int nRow, int nColumn)
    {
        for (;;)
        {
            LVITEMA item;
            ZeroMemory(&item, sizeof(item));
            item.iSubItem = nColumn;
            item.cchTextMax = (int)m_text.size();
            item.pszText = &m_text[0];
            m_text[0] = '\0';
            const int n = (int)list.SendMessage(LVM_GETITEMTEXTA, (WPARAM)nRow, (LPARAM)&item);
            if (n < (int)m_text.size() - 1 || m_text.size() >= (1u << 26))
            {
                m_text[m_text.size() - 1] = '\0';
                return m_text.c_str();
            }
            m_text.assign(m_text.size() * 4, '\0');
        }
    }

private:
    std::string m_text;
};

// A detail as its field shows it: at most CDevicesPage::kDetailTextLimit
// units. The field is a one-line edit, which lays its whole text out on every
// change (a megabyte held the page up for longer than a user waits); a
// serial number, a firmware version or a location is far shorter.
template <class Getter>
CString ReadDetail(IServiceDevice* pDevice, Getter getter)
{
    BstrHolder text;
    (pDevice->*getter)(text.Out());
    return CString(AnsiFromBstr(text.Get(), (UINT)CDevicesPage::kDetailTextLimit).c_str());
}

} // namespace

CDevicesPage::CDevicesPage()
    : CPropertyPage(IDD_DEVICES_PAGE, 0), m_nDetailNumber(0), m_nCurrentRow(-1), m_nCurrentDeviceId(0),
      m_mapDeviceIds(10), m_nColText1(0), m_nColText2(0), m_nColName(0), m_nImageType0(0), m_nImageType3(0),
      m_nImageType2(0), m_nImageType1(0), m_pImageList(NULL), m_pDevices(NULL), m_bSelecting(false),
      m_nRowShownByChange(-1)
{
}

CDevicesPage::~CDevicesPage()
{
    // The window normally took these with it (OnDestroy); this covers an
    // object whose window was never destroyed.
    delete m_pImageList;
    m_pImageList = NULL;
    FreeDeviceIds();
}

void CDevicesPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_DETAIL_NUMBER, m_strDetailNumber);
    DDX_Control(pDX, IDC_DETAIL_TEXT1_FRAME, m_btnDetailText1);
    DDX_Control(pDX, IDC_DETAIL_TEXT3_FRAME, m_btnDetailText3);
    DDX_Control(pDX, IDC_DETAIL_NUMBER_FRAME, m_btnDetailNumber);
    DDX_Control(pDX, IDC_DETAIL_TEXT2_FRAME, m_btnDetailText2);
    DDX_Control(pDX, IDC_DEVICE_LIST, m_listDevices);
    DDX_Text(pDX, IDC_DETAIL_TEXT2, m_strDetail2);
    DDX_Text(pDX, IDC_DETAIL_TEXT3, m_strDetail3);
    DDX_Text(pDX, IDC_DETAIL_TEXT1, m_strDetail1);
}

BOOL CDevicesPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    static const ControlText kTexts[] = {
        { IDC_DETAIL_TEXT1_FRAME, IDS_DETAIL_TEXT1_LABEL },
        { IDC_DETAIL_TEXT2_FRAME, IDS_DETAIL_TEXT2_LABEL },
        { IDC_DETAIL_NUMBER_FRAME, IDS_DETAIL_NUMBER_LABEL },
        { IDC_DETAIL_TEXT3_FRAME, IDS_DETAIL_TEXT3_LABEL },
        { IDC_DEVICES_HINT, IDS_DEVICES_HINT },
    };
    SetControlTexts(*this, IDS_DEVICES_PAGE, kTexts);
    CString text;

    // The small icons: one per device type family, at fixed indexes 0 to 3
    // in the order they are added; 32-bit with a mask, at the system's small
    // icon size, each from the icon's own image for that size.
    m_pImageList = new CImageList;
    m_listDevices.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxIcon = ::GetSystemMetrics(SM_CXSMICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYSMICON);
    m_pImageList->Create(cxIcon, cyIcon, ILC_COLOR32 | ILC_MASK, 4, 4);
    static const UINT kIcons[] = { IDI_DEVICE_TYPE1, IDI_DEVICE_TYPE2, IDI_DEVICE_TYPE3, IDI_DEVICE_TYPE0 };
    AddIconImages(*m_pImageList, kIcons, _countof(kIcons), cxIcon, cyIcon);
    m_nImageType1 = 0;
    m_nImageType2 = 1;
    m_nImageType3 = 2;
    m_nImageType0 = 3;
    m_listDevices.SetImageList(m_pImageList, LVSIL_SMALL);

    RECT widths = { kNameColumnDlu, 0, kText1ColumnDlu, 0 };   // left and right: two widths
    ::MapDialogRect(m_hWnd, &widths);
    text.LoadString(IDS_COLUMN_NAME);
    m_listDevices.InsertColumn(0, text, LVCFMT_LEFT, widths.left, -1);
    text.LoadString(IDS_COLUMN_TEXT1);
    m_listDevices.InsertColumn(1, text, LVCFMT_LEFT, widths.right, 1);
    text.LoadString(IDS_COLUMN_TEXT2);
    m_listDevices.InsertColumn(2, text, LVCFMT_LEFT, widths.right, 2);
    m_nColName = 0;
    m_nColText1 = 1;
    m_nColText2 = 2;
    FitLastColumn();

    if (g_pDeviceService == NULL)
        return TRUE;

    ComRef<IUnknown> devicesObject;
    if (SUCCEEDED(g_pDeviceService->GetDevices(devicesObject.Out())))
    {
        QueryInterfaceInto(devicesObject.Get(), IID_IServiceDevices, m_pDevices);
        if (m_pDevices != NULL)
            LoadDeviceList();
        FitLastColumn();   // the rows may have brought a scroll bar
        SelectCurrentDevice();
    }
    // devicesObject releases the object here; the page keeps m_pDevices.
    return TRUE;
}

void CDevicesPage::FitLastColumn()
{
    RECT client;
    m_listDevices.GetClientRect(&client);
    RECT minimum = { kMinLastColumnDlu, 0, 0, 0 };
    ::MapDialogRect(m_hWnd, &minimum);
    const int rest = (client.right - client.left) - m_listDevices.GetColumnWidth(m_nColName) -
                     m_listDevices.GetColumnWidth(m_nColText1);
    m_listDevices.SetColumnWidth(m_nColText2, rest > minimum.left ? rest : minimum.left);
}

void CDevicesPage::LoadDeviceList()
{
    long nCount = 0;
    m_pDevices->Count(&nCount);
    // A count no fleet reaches is a misbehaving device service: bound it, so
    // that a count of two thousand million cannot keep the page busy for hours.
    if (nCount > kMaxDevices)
        nCount = kMaxDevices;

    // A list-view redraws on every inserted row while redraw is on: fill it
    // with redraw suspended and repaint once at the end.
    m_listDevices.SetRedraw(FALSE);
    if (nCount > 0)
        m_listDevices.SetItemCount((int)nCount);

    // First pass: one row per device with its name and icon; each name
    // records its device's id. A list that does not sort keeps its rows in
    // the order they were inserted: then the name of row k is the k-th name
    // inserted, and the second pass reaches its map entry through the entry
    // kept here instead of reading the name back from the list and looking
    // it up again. (The map keeps each entry where it was made until it is
    // removed, so the address of its value stays good for the load.) A list
    // that sorts, or an insert that lands out of order, leaves the second
    // pass reading each row's name.
    bool bRowsInOrder = (m_listDevices.GetStyle() & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) == 0;
    std::vector<void**> rowEntries;
    long nMissesInARow = 0;
    std::string buffer;
    for (long i = 0; i < nCount && nMissesInARow < kMaxMissesInARow; ++i)
    {
        ++nMissesInARow;
        VARIANT item;
        InitItemVariant(item);
        if (SUCCEEDED(m_pDevices->Item(i + 1, &item)))
        {
            ComRef<IServiceDevice> device;
            if (SUCCEEDED(QueryDevice(item, device)) && device)
            {
                LPCSTR pszName = ReadText(device.Get(), &IServiceDevice::Name, buffer);
                long nId = 0;
                long nType = 0;
                device->Id(&nId);
                device->Type(&nType);

                LVITEMA row;
                ZeroMemory(&row, sizeof(row));
                row.mask = LVIF_TEXT | LVIF_IMAGE;
                row.iItem = (int)i;
                row.iSubItem = 0;
                row.pszText = const_cast<LPSTR>(pszName);
                row.iImage = GetTypeImage(nType);
                const int nRow = m_listDevices.InsertItem(&row);
                nMissesInARow = 0;

                void*& value = m_mapDeviceIds[pszName];
                value = IdToValue(nId);
                if (nRow >= 0 && bRowsInOrder)
                {
                    if ((size_t)nRow == rowEntries.size())
                        rowEntries.push_back(&value);
                    else
                        bRowsInOrder = false;
                }
            }
        }
        VariantClear(&item);
    }

    // Second pass: the column texts of each row, found through the row's name.
    // Rows past the list's end do not exist: nothing to fill there.
    const int nRows = m_listDevices.GetItemCount();
    RowName name;
    for (long i = 0; i < nCount && i < nRows; ++i)
    {
        void* pValue = NULL;
        if (bRowsInOrder && (size_t)i < rowEntries.size())
            pValue = *rowEntries[(size_t)i];
        else if (!m_mapDeviceIds.Lookup(name.Read(m_listDevices, (int)i, m_nColName), pValue))
            continue;
        VARIANT item;
        InitItemVariant(item);
        if (SUCCEEDED(m_pDevices->Item(ValueToId(pValue), &item)))
        {
            ComRef<IServiceDevice> device;
            if (SUCCEEDED(QueryDevice(item, device)) && device)
            {
                m_listDevices.SetItemText((int)i, m_nColText1,
                                          ReadText(device.Get(), &IServiceDevice::ColumnText1, buffer));
                m_listDevices.SetItemText((int)i, m_nColText2,
                                          ReadText(device.Get(), &IServiceDevice::ColumnText2, buffer));
            }
        }
        VariantClear(&item);
    }

    m_listDevices.SetRedraw(TRUE);
    m_listDevices.Invalidate();
}

int CDevicesPage::GetTypeImage(long nType) const
{
    switch (nType)
    {
    case 0:
        return m_nImageType0;
    case 1:
    case 5:
        return m_nImageType1;
    case 2:
        return m_nImageType2;
    case 3:
    case 4:
        return m_nImageType3;
    default:
        return 0;
    }
}

void CDevicesPage::SelectCurrentDevice()
{
    int nRow = 0;
    BstrHolder currentName;
    if (g_pDeviceService != NULL && SUCCEEDED(g_pDeviceService->GetCurrentDeviceName(currentName.Out())))
    {
        const std::string name = currentName.Ansi();
        const int nRows = m_listDevices.GetItemCount();
        RowName rowName;
        for (int i = 0; i < nRows; ++i)
        {
            if (_mbscmp(reinterpret_cast<const unsigned char*>(name.c_str()),
                        reinterpret_cast<const unsigned char*>(rowName.Read(m_listDevices, i, m_nColName))) == 0)
            {
                nRow = i;
                break;
            }
        }
    }
    {
        SelectingGuard selecting(m_bSelecting);
        m_listDevices.SetItemState(nRow, kSelectedFocused, kSelectedFocused);
    }
    ShowSelectedDevice();
    UpdateSheetTitle();
}

void CDevicesPage::ShowSelectedDevice()
{
    if (m_pDevices == NULL)
        return;

    const int nSelected = m_listDevices.GetNextItem(-1, LVNI_SELECTED);
    if (nSelected == -1)
    {
        // A click on empty space cleared the selection: keep the row we had
        // (-1 is no row; it must not reach the list, where it means every row).
        if (m_nCurrentRow >= 0)
        {
            SelectingGuard selecting(m_bSelecting);
            m_listDevices.SetItemState(m_nCurrentRow, kSelectedFocused, kSelectedFocused);
        }
        return;
    }

    m_nCurrentRow = nSelected;
    CString name = m_listDevices.GetItemText(nSelected, m_nColName);
    void* pValue = NULL;
    if (!m_mapDeviceIds.Lookup(name, pValue))
        return;
    m_nCurrentDeviceId = ValueToId(pValue);

    if (g_pDeviceService != NULL)
        g_pDeviceService->SetCurrentDevice(m_nCurrentDeviceId);

    // What the device service does not give shows as nothing: never what
    // the device shown before had.
    m_strDetail1.Empty();
    m_strDetail2.Empty();
    m_strDetail3.Empty();
    m_strDetailNumber.Empty();
    VARIANT item;
    InitItemVariant(item);
    if (SUCCEEDED(m_pDevices->Item(m_nCurrentDeviceId, &item)))
    {
        ComRef<IServiceDevice> device;
        if (SUCCEEDED(QueryDevice(item, device)) && device)
        {
            m_strDetail1 = ReadDetail(device.Get(), &IServiceDevice::DetailText1);
            m_strDetail2 = ReadDetail(device.Get(), &IServiceDevice::DetailText2);
            long nNumber = 0;
            if (SUCCEEDED(device->DetailNumber(&nNumber)))
            {
                m_nDetailNumber = nNumber;
                m_strDetailNumber = FormatCount(nNumber);
            }
            m_strDetail3 = ReadDetail(device.Get(), &IServiceDevice::DetailText3);
        }
    }
    UpdateData(FALSE);
    VariantClear(&item);
}

void CDevicesPage::UpdateSheetTitle()
{
    if (m_listDevices.GetItemCount() == 0)
        return;
    CString title;
    const int nSelected = m_listDevices.GetNextItem(-1, LVNI_SELECTED);
    if (nSelected != -1)
        title = m_listDevices.GetItemText(nSelected, m_nColName);
    CString appTitle;
    appTitle.LoadString(IDS_APP_TITLE);
    title += " - ";
    title += appTitle;
    if (CWnd* pSheet = GetParent())
        pSheet->SetWindowText(title);
}

void CDevicesPage::OnItemchangedDeviceList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    // Whatever moved the selection (a click, a key, the list's type-ahead
    // search on the first letters of a name), the row that gained it is the
    // device to work on: made current once for this change.
    const NMLISTVIEW* pChange = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (m_bSelecting || m_pDevices == NULL || pChange->iItem < 0 || !(pChange->uChanged & LVIF_STATE))
        return;
    if (!(pChange->uNewState & LVIS_SELECTED) || (pChange->uOldState & LVIS_SELECTED))
        return;
    ShowSelectedDevice();
    UpdateSheetTitle();
    m_nRowShownByChange = pChange->iItem;
}

void CDevicesPage::OnClickDeviceList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    // A click that selected another row has made it current already.
    const int nSelected = m_listDevices.GetNextItem(-1, LVNI_SELECTED);
    const bool bShown = nSelected != -1 && nSelected == m_nRowShownByChange;
    m_nRowShownByChange = -1;
    if (bShown)
        return;
    // The row that was selected already (read again), or empty space (the
    // row shown before is selected again).
    ShowSelectedDevice();
    UpdateSheetTitle();
}

void CDevicesPage::OnDblclkDeviceList(NMHDR*, LRESULT* pResult)
{
    if (m_nCurrentRow >= 0)
    {
        SelectingGuard selecting(m_bSelecting);
        m_listDevices.SetItemState(m_nCurrentRow, kSelectedFocused, kSelectedFocused);
    }
    *pResult = 0;
}

void CDevicesPage::OnKeydownDeviceList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLVKEYDOWN* pKeyDown = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    const int nRows = m_listDevices.GetItemCount();
    if (nRows <= 0)
        return;

    // The list acts on the key after this notification; predict the row it
    // will reach and show that device now.
    long nRow = m_nCurrentRow;
    const long nTop = m_listDevices.GetTopIndex();
    const long nPerPage = m_listDevices.GetCountPerPage();
    const long nLast = nRows - 1;
    switch (pKeyDown->wVKey)
    {
    case VK_PRIOR:
        if (nRow != nTop)
            nRow = nTop;
        else
            nRow = nRow - nPerPage < 0 ? 0 : nRow - nPerPage;
        break;
    case VK_NEXT:
        if (nRow != nTop + nPerPage - 1)
            nRow = nTop + nPerPage - 1;
        else
            nRow = nRow + nPerPage - 1;
        if (nRow > nLast)
            nRow = nLast;
        break;
    case VK_END:
        nRow = nLast;
        break;
    case VK_HOME:
        nRow = 0;
        break;
    case VK_UP:
        nRow = nRow - 1 < 0 ? 0 : nRow - 1;
        break;
    case VK_DOWN:
        nRow = nRow + 1 > nLast ? nLast : nRow + 1;
        break;
    default:
        break;
    }

    m_nCurrentRow = nRow;
    m_nRowShownByChange = -1;
    {
        SelectingGuard selecting(m_bSelecting);
        m_listDevices.SetItemState((int)nRow, LVIS_SELECTED, LVIS_SELECTED);
    }
    ShowSelectedDevice();
    UpdateSheetTitle();
}

void CDevicesPage::OnDestroy()
{
    CPropertyPage::OnDestroy();
    // Take the image list out of the list before it goes, so the list does
    // not destroy it a second time when its own window is destroyed.
    if (m_listDevices.m_hWnd != NULL)
        m_listDevices.SetImageList(NULL, LVSIL_SMALL);
    delete m_pImageList;
    m_pImageList = NULL;
    ReleaseInterface(m_pDevices);
    FreeDeviceIds();
}

void CDevicesPage::FreeDeviceIds()
{
    m_mapDeviceIds.RemoveAll();
}
