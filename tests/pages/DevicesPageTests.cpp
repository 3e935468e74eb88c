// DevicesPageTests.cpp - CDevicesPage in a real sheet with the recording fake
// device service: the list, the selection, the details, the title, the
// click, double-click and key notifications, and what the page lets go of.
#include <gtest/gtest.h>

#include "fakes/FakeDeviceService.h"
#include "pages/DevicesPage.h"
#include "pages/PageSupport.h"
#include "support/PageHarness.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using fake::FakeDevice;
using fake::FakeDeviceService;
using testutil::LoadText;
using testutil::PageHarness;
using testutil::Pump;
using testutil::WindowText;

namespace
{

typedef std::vector<std::string> Log;

// The page with its members in reach of the tests.
class DevicesPageProbe : public CDevicesPage
{
public:
    CImageList* ImageList() const { return m_pImageList; }
    int MappedNames() const { return m_mapDeviceIds.GetCount(); }
    long CurrentRow() const { return m_nCurrentRow; }
    // The load again into an emptied list, as a list of that style fills.
    void ReloadWithStyle(DWORD dwStyle)
    {
        m_listDevices.DeleteAllItems();
        FreeDeviceIds();
        ::SetWindowLongA(m_listDevices.m_hWnd, GWL_STYLE, (LONG)(m_listDevices.GetStyle() | dwStyle));
        LoadDeviceList();
    }
};

typedef PageHarness<DevicesPageProbe> Harness;

std::string AppTail()
{
    return " - " + LoadText(IDS_APP_TITLE);
}

// A four-digit count as the page shows it: thousands and the rest, apart by
// the user's locale's group separator.
std::string Grouped(const char* thousands, const char* rest)
{
    char separator[8] = "";
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof(separator));
    return std::string(thousands) + separator + rest;
}

// A device whose texts all derive from its name.
FakeDevice& AddNamed(FakeDeviceService& service, const std::wstring& name, long id, long type = 1)
{
    FakeDevice& d = service.AddDevice(name, id, type);
    d.columnText1 = name + L" c1";
    d.columnText2 = name + L" c2";
    d.detailText1 = name + L" d1";
    d.detailText2 = name + L" d2";
    d.detailText3 = name + L" d3";
    d.detailNumber = id * 10;
    return d;
}

class DevicesPageTest : public ::testing::Test
{
protected:
    HWND List(Harness& h) const { return h.Item(IDC_DEVICE_LIST); }
    int Rows(Harness& h) const { return (int)::SendMessageA(List(h), LVM_GETITEMCOUNT, 0, 0); }
    std::string Cell(Harness& h, int row, int col) const
    {
        char buf[512] = "";
        LVITEMA item = {};
        item.iSubItem = col;
        item.pszText = buf;
        item.cchTextMax = sizeof(buf);
        ::SendMessageA(List(h), LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
        return buf;
    }
    int CellLength(Harness& h, int row) const
    {
        std::string buf((size_t)4 << 20, '\0');
        LVITEMA item = {};
        item.pszText = &buf[0];
        item.cchTextMax = (int)buf.size();
        return (int)::SendMessageA(List(h), LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
    }
    int Image(Harness& h, int row) const
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ::SendMessageA(List(h), LVM_GETITEMA, 0, (LPARAM)&item);
        return item.iImage;
    }
    int ClientWidth(Harness& h) const
    {
        RECT rc;
        ::GetClientRect(List(h), &rc);
        return rc.right - rc.left;
    }
    int ColumnsWidth(Harness& h) const
    {
        int sum = 0;
        for (int col = 0; col < 3; ++col)
            sum += (int)::SendMessageA(List(h), LVM_GETCOLUMNWIDTH, col, 0);
        return sum;
    }
    UINT State(Harness& h, int row) const
    {
        return (UINT)::SendMessageA(List(h), LVM_GETITEMSTATE, (WPARAM)row, LVIS_SELECTED | LVIS_FOCUSED);
    }
    int Selected(Harness& h) const
    {
        return (int)::SendMessageA(List(h), LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0));
    }
    // Changes the list's selection as the control does before it notifies
    // (row -1: nothing selected), without telling the page.
    void SelectOnly(Harness& h, int row) const
    {
        LVITEMA clear = {};
        clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(List(h), LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&clear);
        if (row >= 0)
        {
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageA(List(h), LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
        }
    }
    void Notify(Harness& h, UINT code) const
    {
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = List(h);
        nm.hdr.idFrom = IDC_DEVICE_LIST;
        nm.hdr.code = code;
        nm.iItem = -1;
        LRESULT r = ::SendMessageA(h.Page(), WM_NOTIFY, IDC_DEVICE_LIST, (LPARAM)&nm);
        EXPECT_EQ(0, r);
        Pump();
    }
    // A click on a row: the list selects it, then sends NM_CLICK.
    void ClickRow(Harness& h, int row) const
    {
        SelectOnly(h, row);
        Notify(h, NM_CLICK);
    }
    void Key(Harness& h, WORD vk) const
    {
        NMLVKEYDOWN nm = {};
        nm.hdr.hwndFrom = List(h);
        nm.hdr.idFrom = IDC_DEVICE_LIST;
        nm.hdr.code = LVN_KEYDOWN;
        nm.wVKey = vk;
        LRESULT r = ::SendMessageA(h.Page(), WM_NOTIFY, IDC_DEVICE_LIST, (LPARAM)&nm);
        EXPECT_EQ(0, r);
        Pump();
    }
    void ExpectAllReleased(Harness& h, FakeDeviceService& service) const
    {
        h.Destroy();
        EXPECT_EQ(0, service.LiveObjects()) << service.EventsText();
        EXPECT_FALSE(service.OverReleased()) << service.EventsText();
        EXPECT_TRUE(service.Unexpected().empty()) << service.EventsText();
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Loading and the first selection
// ---------------------------------------------------------------------------

TEST_F(DevicesPageTest, EmptyCollectionShowsNothingAndMakesNoDeviceCurrent)
{
    FakeDeviceService service;
    service.currentDeviceName = L"Nobody";
    Harness h(&service);

    EXPECT_EQ(0, Rows(h));
    EXPECT_EQ((Log{"GetDevices", "IServiceDevices.Count", "GetCurrentDeviceName"}), service.Calls());
    EXPECT_EQ(0, service.CountOf("SetCurrentDevice"));
    EXPECT_EQ("", h.Text(IDC_DETAIL_TEXT1));
    EXPECT_EQ("", h.Text(IDC_DETAIL_TEXT2));
    EXPECT_EQ("", h.Text(IDC_DETAIL_TEXT3));
    EXPECT_EQ("", h.Text(IDC_DETAIL_NUMBER));
    EXPECT_EQ(std::string::npos, WindowText(h.Sheet()).find(AppTail())) << WindowText(h.Sheet());
    // Clicks and keys on the empty list change nothing.
    service.ClearCalls();
    Notify(h, NM_CLICK);
    Key(h, VK_DOWN);
    Key(h, VK_END);
    EXPECT_TRUE(service.Calls().empty()) << service.EventsText();
    EXPECT_EQ(0, Rows(h));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, TextsColumnsImagesAndStylesAreSetUp)
{
    FakeDeviceService service;
    Harness h(&service);

    EXPECT_EQ(LoadText(IDS_DEVICES_PAGE), WindowText(h.Page()));
    EXPECT_EQ(LoadText(IDS_DETAIL_TEXT1_LABEL), h.Text(IDC_DETAIL_TEXT1_FRAME));
    EXPECT_EQ(LoadText(IDS_DETAIL_TEXT2_LABEL), h.Text(IDC_DETAIL_TEXT2_FRAME));
    EXPECT_EQ(LoadText(IDS_DETAIL_NUMBER_LABEL), h.Text(IDC_DETAIL_NUMBER_FRAME));
    EXPECT_EQ(LoadText(IDS_DETAIL_TEXT3_LABEL), h.Text(IDC_DETAIL_TEXT3_FRAME));
    EXPECT_EQ(LoadText(IDS_DEVICES_HINT), h.Text(IDC_DEVICES_HINT));

    // Headers, and widths from dialog units: they grow with the font and
    // the DPI; the last column reaches the list's right edge.
    const UINT headers[] = {IDS_COLUMN_NAME, IDS_COLUMN_TEXT1, IDS_COLUMN_TEXT2};
    RECT dlu = {120, 0, 100, 0};
    ::MapDialogRect(h.Page(), &dlu);
    const int widths[] = {dlu.left, dlu.right};
    for (int col = 0; col < 3; ++col)
    {
        char buf[256] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = buf;
        column.cchTextMax = sizeof(buf);
        ASSERT_TRUE(::SendMessageA(List(h), LVM_GETCOLUMNA, col, (LPARAM)&column)) << col;
        EXPECT_EQ(LoadText(headers[col]), buf) << col;
        if (col < 2)
        {
            EXPECT_EQ(widths[col], column.cx) << col;
        }
        EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK) << col;
    }
    EXPECT_EQ(ClientWidth(h), ColumnsWidth(h));
    EXPECT_EQ((LRESULT)LVS_EX_FULLROWSELECT, ::SendMessageA(List(h), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));

    // The icons: 32-bit, at the system's small icon size.
    HIMAGELIST hImages = (HIMAGELIST)::SendMessageA(List(h), LVM_GETIMAGELIST, LVSIL_SMALL, 0);
    ASSERT_NE(nullptr, hImages);
    ASSERT_NE(nullptr, h.page.ImageList());
    EXPECT_EQ(hImages, h.page.ImageList()->GetSafeHandle());
    EXPECT_EQ(4, ImageList_GetImageCount(hImages));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(hImages, &cx, &cy));
    EXPECT_EQ(::GetSystemMetrics(SM_CXSMICON), cx);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSMICON), cy);
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(hImages, 0, &info));
    BITMAP bitmap = {};
    ASSERT_TRUE(::GetObjectA(info.hbmImage, sizeof(bitmap), &bitmap));
    EXPECT_EQ(32, bitmap.bmBitsPixel) << "the icons lose their colours";
    ExpectAllReleased(h, service);
}

// The image list as a user sees it: each image drawn normally over white
// and over blue (its alpha and its mask both show), and drawn as its mask.
std::vector<DWORD> DrawnImages(HIMAGELIST hImages, int cx, int cy)
{
    const int count = ImageList_GetImageCount(hImages);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = cx * count;
    info.bmiHeader.biHeight = cy * 3;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pBits = NULL;
    HBITMAP hBitmap = ::CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &pBits, NULL, 0);
    HDC hdc = ::CreateCompatibleDC(NULL);
    HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
    RECT white = {0, 0, cx * count, cy};
    RECT blue = {0, cy, cx * count, cy * 2};
    ::FillRect(hdc, &white, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    HBRUSH hBlue = ::CreateSolidBrush(RGB(0, 0, 255));
    ::FillRect(hdc, &blue, hBlue);
    ::DeleteObject(hBlue);
    for (int i = 0; i < count; ++i)
    {
        ImageList_Draw(hImages, i, hdc, i * cx, 0, ILD_NORMAL);
        ImageList_Draw(hImages, i, hdc, i * cx, cy, ILD_NORMAL);
        ImageList_Draw(hImages, i, hdc, i * cx, cy * 2, ILD_MASK);
    }
    ::GdiFlush();
    std::vector<DWORD> pixels((const DWORD*)pBits, (const DWORD*)pBits + cx * count * cy * 3);
    ::SelectObject(hdc, hOld);
    ::DeleteDC(hdc);
    ::DeleteObject(hBitmap);
    return pixels;
}

TEST_F(DevicesPageTest, TheImagesAreTheIconsOwnAtEverySize)
{
    static const UINT kIcons[] = {IDI_DEVICE_TYPE1, IDI_DEVICE_TYPE2, IDI_DEVICE_TYPE3, IDI_DEVICE_TYPE0};
    // 16 and 24 pixels: the icons have images of that size; 20 (the small
    // icon at 125%) they have not, and each icon is scaled.
    for (int size : {16, 24, 20})
    {
        CImageList images, icons;
        ASSERT_TRUE(images.Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4));
        ASSERT_TRUE(icons.Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4));
        EXPECT_EQ(4, AddIconImages(images, kIcons, 4, size, size)) << size;
        for (UINT id : kIcons)
        {
            HICON hIcon = AfxLoadIcon(id, size, size);
            ASSERT_NE(nullptr, hIcon) << size;
            icons.Add(hIcon);
            ::DestroyIcon(hIcon);
        }
        const std::vector<DWORD> drawn = DrawnImages(images, size, size);
        EXPECT_TRUE(drawn == DrawnImages(icons, size, size)) << size << " pixels: the images differ from the icons";
        // Not four blank squares: over white and blue the images differ,
        // and the mask has both transparent and opaque pixels.
        const size_t row = drawn.size() / 3;
        EXPECT_FALSE(std::equal(drawn.begin(), drawn.begin() + row, drawn.begin() + row)) << size;
        EXPECT_NE(std::count(drawn.begin() + 2 * row, drawn.end(), drawn[2 * row]), (long)row) << size;
    }

    // An icon the resources lack adds nothing, and the others still come.
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4));
    const UINT withMissing[] = {IDI_DEVICE_TYPE1, 59999, IDI_DEVICE_TYPE0};
    EXPECT_EQ(2, AddIconImages(images, withMissing, 3, 16, 16));
}

TEST_F(DevicesPageTest, TheLastColumnFillsTheListBesideItsScrollBar)
{
    FakeDeviceService service;
    for (int i = 0; i < 60; ++i)
        AddNamed(service, L"Row" + std::to_wstring(i), 1000 + i);
    Harness h(&service);
    ASSERT_TRUE(::GetWindowLongA(List(h), GWL_STYLE) & WS_VSCROLL) << "sixty rows want a scroll bar";
    EXPECT_EQ(ClientWidth(h), ColumnsWidth(h));
    EXPECT_FALSE(::GetWindowLongA(List(h), GWL_STYLE) & WS_HSCROLL);
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, CurrentDevicesRowIsSelectedMadeCurrentShownAndTitled)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Bravo", 102);
    AddNamed(service, L"Charlie", 103);
    service.currentDeviceName = L"Bravo";
    Harness h(&service);

    ASSERT_EQ(3, Rows(h));
    EXPECT_EQ("Alpha", Cell(h, 0, 0));
    EXPECT_EQ("Bravo c1", Cell(h, 1, 1));
    EXPECT_EQ("Charlie c2", Cell(h, 2, 2));
    EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), State(h, 1));
    EXPECT_EQ(0u, State(h, 0));
    EXPECT_EQ(1, h.page.CurrentRow());
    EXPECT_EQ("Bravo d1", h.Text(IDC_DETAIL_TEXT1));
    EXPECT_EQ("Bravo d2", h.Text(IDC_DETAIL_TEXT2));
    EXPECT_EQ("Bravo d3", h.Text(IDC_DETAIL_TEXT3));
    EXPECT_EQ(Grouped("1", "020"), h.Text(IDC_DETAIL_NUMBER));
    EXPECT_EQ("Bravo" + AppTail(), WindowText(h.Sheet()));
    EXPECT_EQ(102, service.currentDeviceId);

    // Every call, in order: the two passes, the name, the selection.
    Log expected = {"GetDevices", "IServiceDevices.Count"};
    for (int i = 1; i <= 3; ++i)
    {
        expected.push_back("IServiceDevices.Item(" + std::to_string(i) + ")");
        expected.insert(expected.end(), {"IServiceDevice.Name", "IServiceDevice.Id", "IServiceDevice.Type"});
    }
    for (int id = 101; id <= 103; ++id)
    {
        expected.push_back("IServiceDevices.Item(" + std::to_string(id) + ")");
        expected.insert(expected.end(), {"IServiceDevice.ColumnText1", "IServiceDevice.ColumnText2"});
    }
    expected.insert(expected.end(),
                    {"GetCurrentDeviceName", "SetCurrentDevice(102)", "IServiceDevices.Item(102)",
                     "IServiceDevice.DetailText1", "IServiceDevice.DetailText2", "IServiceDevice.DetailNumber",
                     "IServiceDevice.DetailText3"});
    EXPECT_EQ(expected, service.Calls());

    // Each device object: the queried interface goes before the object, and
    // the collection object from GetDevices is let go once the page has loaded.
    const Log& events = service.Events();
    auto at = [&](const std::string& e) { return std::find(events.begin(), events.end(), e) - events.begin(); };
    EXPECT_LT(at("Release Device(102).IServiceDevice -> 1"), at("Release Device(102).IUnknown -> 0"));
    EXPECT_LT(at("IServiceDevice.DetailText3"), at("Release Devices.IUnknown -> 1"));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, NameThatDiffersOnlyInCaseOrIsUnknownFallsBackToRowZero)
{
    for (const wchar_t* current : {L"bravo", L"Zulu", L""})
    {
        FakeDeviceService service;
        AddNamed(service, L"Alpha", 101);
        AddNamed(service, L"Bravo", 102);
        service.currentDeviceName = current;
        Harness h(&service);
        EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), State(h, 0));
        EXPECT_EQ(0u, State(h, 1));
        EXPECT_EQ((Log{"SetCurrentDevice(101)"}), service.CallsMatching("SetCurrentDevice"));
        EXPECT_EQ("Alpha" + AppTail(), WindowText(h.Sheet()));
        ExpectAllReleased(h, service);
    }
}

TEST_F(DevicesPageTest, FailingCurrentDeviceNameSelectsRowZero)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Bravo", 102);
    service.currentDeviceName = L"Bravo";
    service.fail["GetCurrentDeviceName"] = E_FAIL;
    Harness h(&service);
    EXPECT_EQ(0, Selected(h));
    EXPECT_EQ(101, service.currentDeviceId);
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, TwoDevicesWithOneNameShareTheLaterDevice)
{
    FakeDeviceService service;
    AddNamed(service, L"Twin", 101).columnText1 = L"first";
    AddNamed(service, L"Twin", 102).columnText1 = L"second";
    AddNamed(service, L"Other", 103);
    Harness h(&service);

    ASSERT_EQ(3, Rows(h));
    EXPECT_EQ("second", Cell(h, 0, 1));
    EXPECT_EQ("second", Cell(h, 1, 1));
    EXPECT_EQ(2, h.page.MappedNames());
    // Row 0 was chosen at start: the later device became current.
    EXPECT_EQ((Log{"SetCurrentDevice(102)"}), service.CallsMatching("SetCurrentDevice"));

    service.ClearCalls();
    ClickRow(h, 2);
    ClickRow(h, 1);
    EXPECT_EQ((Log{"SetCurrentDevice(103)", "SetCurrentDevice(102)"}), service.CallsMatching("SetCurrentDevice"));
    EXPECT_EQ("Twin" + AppTail(), WindowText(h.Sheet()));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, NullNameGivesAnEmptyLabelKeyedByTheEmptyString)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"ignored", 102).nullName = true;
    service.currentDeviceName = L"";
    Harness h(&service);

    ASSERT_EQ(2, Rows(h));
    EXPECT_EQ("", Cell(h, 1, 0));
    EXPECT_EQ("ignored c1", Cell(h, 1, 1));
    // The empty current name matches the empty label.
    EXPECT_EQ(1, Selected(h));
    EXPECT_EQ((Log{"SetCurrentDevice(102)"}), service.CallsMatching("SetCurrentDevice"));
    EXPECT_EQ(AppTail(), WindowText(h.Sheet()));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, DeviceTypesMapToTheirImages)
{
    FakeDeviceService service;
    const long types[] = {0, 1, 2, 3, 4, 5, 6, -1, 0x7FFFFFFF};
    const int images[] = {3, 0, 1, 2, 2, 0, 0, 0, 0};
    for (int i = 0; i < 9; ++i)
        AddNamed(service, L"Type" + std::to_wstring(i), 101 + i, types[i]);
    Harness h(&service);
    ASSERT_EQ(9, Rows(h));
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(images[i], Image(h, i)) << "type " << types[i];
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, UnknownTypeTagStillReachesTheDeviceObject)
{
    FakeDeviceService service;
    service.itemType = VT_UNKNOWN;
    AddNamed(service, L"Alpha", 101);
    Harness h(&service);
    ASSERT_EQ(1, Rows(h));
    EXPECT_EQ("Alpha c2", Cell(h, 0, 2));
    EXPECT_EQ("Alpha d1", h.Text(IDC_DETAIL_TEXT1));
    ExpectAllReleased(h, service);
}

// ---------------------------------------------------------------------------
// Failures of the device service
// ---------------------------------------------------------------------------

TEST_F(DevicesPageTest, ItemFailuresLeaveOutRowsOrTheirColumns)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Bravo", 102);
    AddNamed(service, L"Charlie", 103);
    AddNamed(service, L"Delta", 104);
    service.fail["Item(2)"] = E_FAIL;       // no row for Bravo
    service.noObject.insert("Item(3)");     // no object for Charlie
    service.fail["Item(104)"] = E_FAIL;     // Delta's columns stay empty
    service.currentDeviceName = L"Delta";
    Harness h(&service);

    ASSERT_EQ(2, Rows(h));
    EXPECT_EQ("Alpha", Cell(h, 0, 0));
    EXPECT_EQ("Alpha c1", Cell(h, 0, 1));
    EXPECT_EQ("Delta", Cell(h, 1, 0));
    EXPECT_EQ("", Cell(h, 1, 1));
    EXPECT_EQ("", Cell(h, 1, 2));
    // Delta is selected and made current; its details could not be read.
    EXPECT_EQ(1, Selected(h));
    EXPECT_EQ((Log{"SetCurrentDevice(104)"}), service.CallsMatching("SetCurrentDevice"));
    EXPECT_EQ("", h.Text(IDC_DETAIL_TEXT1));
    EXPECT_EQ("", h.Text(IDC_DETAIL_NUMBER));
    ExpectAllReleased(h, service);
}

// A list that sorts its rows: each row still gets its own device's columns
// (the second pass finds the device through the row's name, not through the
// order of insertion), with a missing device and a shared name among them.
TEST_F(DevicesPageTest, SortedRowsGetTheirOwnDevicesColumns)
{
    FakeDeviceService service;
    AddNamed(service, L"Delta", 104);
    AddNamed(service, L"Bravo", 102);
    AddNamed(service, L"Twin", 105).columnText1 = L"first twin";
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Charlie", 103);
    AddNamed(service, L"Twin", 106).columnText1 = L"second twin";
    service.fail["Item(2)"] = E_FAIL;   // no row for Bravo
    Harness h(&service);
    ASSERT_EQ(5, Rows(h));

    h.page.ReloadWithStyle(LVS_SORTASCENDING);
    ASSERT_EQ(5, Rows(h));
    const char* names[] = {"Alpha", "Charlie", "Delta", "Twin", "Twin"};
    for (int row = 0; row < 5; ++row)
    {
        EXPECT_EQ(names[row], Cell(h, row, 0)) << row;
        if (row < 3)
        {
            EXPECT_EQ(std::string(names[row]) + " c1", Cell(h, row, 1)) << row;
            EXPECT_EQ(std::string(names[row]) + " c2", Cell(h, row, 2)) << row;
        }
        else
        {
            EXPECT_EQ("second twin", Cell(h, row, 1)) << row;   // the later device of that name
        }
    }
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, RefusedDeviceInterfaceGivesNoRows)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    service.Refuse(IID_IServiceDevice);
    Harness h(&service);
    EXPECT_EQ(0, Rows(h));
    EXPECT_EQ(0, service.CountOf("SetCurrentDevice"));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, FailingOrRefusedCollectionLeavesTheListEmpty)
{
    {
        FakeDeviceService service;
        AddNamed(service, L"Alpha", 101);
        service.fail["GetDevices"] = E_FAIL;
        service.objectOnFailure.insert("GetDevices");
        Harness h(&service);
        EXPECT_EQ(0, Rows(h));
        EXPECT_EQ((Log{"GetDevices"}), service.Calls());
        ExpectAllReleased(h, service);
    }
    {
        FakeDeviceService service;
        AddNamed(service, L"Alpha", 101);
        service.Refuse(IID_IServiceDevices);
        Harness h(&service);
        EXPECT_EQ(0, Rows(h));
        // The selection step still runs and finds no rows.
        EXPECT_EQ((Log{"GetDevices", "GetCurrentDeviceName"}), service.Calls());
        ExpectAllReleased(h, service);
    }
    {
        FakeDeviceService service;
        AddNamed(service, L"Alpha", 101);
        service.untouched.insert("Count");
        Harness h(&service);
        EXPECT_EQ(0, Rows(h));
        ExpectAllReleased(h, service);
    }
}

TEST_F(DevicesPageTest, FailingGettersShowNothingNeverThePreviousDevicesDetails)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    FakeDevice& bravo = AddNamed(service, L"Bravo", 102);
    bravo.fail["DetailText2"] = E_FAIL;
    bravo.untouched.insert("DetailText2");
    bravo.fail["DetailNumber"] = E_FAIL;
    bravo.untouched.insert("DetailNumber");
    Harness h(&service);
    EXPECT_EQ(Grouped("1", "010"), h.Text(IDC_DETAIL_NUMBER));
    EXPECT_EQ("Alpha d2", h.Text(IDC_DETAIL_TEXT2));

    ClickRow(h, 1);
    EXPECT_EQ("Bravo d1", h.Text(IDC_DETAIL_TEXT1));
    EXPECT_EQ("", h.Text(IDC_DETAIL_TEXT2));
    EXPECT_EQ("", h.Text(IDC_DETAIL_NUMBER)) << "an undelivered number showed Alpha's";
    EXPECT_EQ("Bravo d3", h.Text(IDC_DETAIL_TEXT3));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, WithoutTheDeviceServiceThePageStaysEmpty)
{
    Harness h(nullptr);
    EXPECT_EQ(0, Rows(h));
    Notify(h, NM_CLICK);
    Key(h, VK_HOME);
    Notify(h, NM_DBLCLK);
    EXPECT_EQ(0, Rows(h));
    EXPECT_EQ(std::string::npos, WindowText(h.Sheet()).find(AppTail()));
}

TEST_F(DevicesPageTest, MegabyteNameIsListedSelectedAndTitled)
{
    FakeDeviceService service;
    const std::wstring huge((size_t)1 << 20, L'N');
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, huge, 102);
    service.currentDeviceName = huge;
    Harness h(&service);

    ASSERT_EQ(2, Rows(h));
    EXPECT_EQ(1 << 20, CellLength(h, 1));
    EXPECT_EQ(1, Selected(h));
    EXPECT_EQ((Log{"SetCurrentDevice(102)"}), service.CallsMatching("SetCurrentDevice"));
    const std::string title = WindowText(h.Sheet());
    EXPECT_EQ(((size_t)1 << 20) + AppTail().size(), title.size());
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, TenThousandDevicesAreAllListedWithTheirColumns)
{
    FakeDeviceService service;
    const int n = 10000;
    service.devices.reserve(n);
    for (int i = 0; i < n; ++i)
    {
        FakeDevice& d = service.AddDevice(L"Device " + std::to_wstring(i), 100001 + i, i % 6);
        d.columnText1 = L"c1 " + std::to_wstring(i);
    }
    service.currentDeviceName = L"Device 9999";
    Harness h(&service);
    ASSERT_EQ(n, Rows(h));
    EXPECT_EQ(n, h.page.MappedNames());
    EXPECT_EQ("c1 0", Cell(h, 0, 1));
    EXPECT_EQ("c1 9999", Cell(h, n - 1, 1));
    EXPECT_EQ(n - 1, Selected(h));
    EXPECT_EQ(110000, service.currentDeviceId);
    ExpectAllReleased(h, service);
}

// ---------------------------------------------------------------------------
// Clicks, double-clicks and keys
// ---------------------------------------------------------------------------

TEST_F(DevicesPageTest, ClickMakesTheRowCurrentAndEmptySpaceKeepsTheRow)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Bravo", 102);
    Harness h(&service);
    service.ClearCalls();

    ClickRow(h, 1);
    EXPECT_EQ((Log{"SetCurrentDevice(102)", "IServiceDevices.Item(102)", "IServiceDevice.DetailText1",
                   "IServiceDevice.DetailText2", "IServiceDevice.DetailNumber", "IServiceDevice.DetailText3"}),
              service.Calls());
    EXPECT_EQ("Bravo d3", h.Text(IDC_DETAIL_TEXT3));
    EXPECT_EQ("Bravo" + AppTail(), WindowText(h.Sheet()));

    // The same row again: made current again, details read again.
    service.ClearCalls();
    ClickRow(h, 1);
    EXPECT_EQ((Log{"SetCurrentDevice(102)"}), service.CallsMatching("SetCurrentDevice"));
    EXPECT_EQ(1, service.CountOf("IServiceDevice.DetailText1"));

    // Empty space: the list drops the selection; the page puts it back.
    service.ClearCalls();
    ClickRow(h, -1);
    EXPECT_TRUE(service.Calls().empty()) << service.EventsText();
    EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), State(h, 1));
    EXPECT_EQ("Bravo" + AppTail(), WindowText(h.Sheet()));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, WhateverMovesTheSelectionMakesThatDeviceCurrentOnce)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Bravo", 102);
    AddNamed(service, L"Charlie", 103);
    Harness h(&service);
    ASSERT_EQ(0, Selected(h));
    service.ClearCalls();

    // Type-ahead: the list selects the row whose name begins with the letter.
    ::SendMessageA(List(h), WM_CHAR, 'c', 1);
    Pump();
    ASSERT_EQ(2, Selected(h));
    EXPECT_EQ((Log{"SetCurrentDevice(103)"}), service.CallsMatching("SetCurrentDevice"));
    EXPECT_EQ(1, service.CountOf("IServiceDevice.DetailText1"));
    EXPECT_EQ("Charlie d1", h.Text(IDC_DETAIL_TEXT1));
    EXPECT_EQ("Charlie" + AppTail(), WindowText(h.Sheet()));
    EXPECT_EQ(2, h.page.CurrentRow());

    // A selection set on the list by anyone else: the same.
    service.ClearCalls();
    SelectOnly(h, 1);
    Pump();
    EXPECT_EQ((Log{"SetCurrentDevice(102)"}), service.CallsMatching("SetCurrentDevice"));
    EXPECT_EQ("Bravo" + AppTail(), WindowText(h.Sheet()));

    // The click that selected a row does not make it current a second time.
    service.ClearCalls();
    ClickRow(h, 0);
    EXPECT_EQ((Log{"SetCurrentDevice(101)"}), service.CallsMatching("SetCurrentDevice"));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, DoubleClickReselectsTheCurrentRowOnly)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Bravo", 102);
    Harness h(&service);
    ClickRow(h, 1);
    SelectOnly(h, -1);
    service.ClearCalls();
    Notify(h, NM_DBLCLK);
    EXPECT_TRUE(service.Calls().empty()) << service.EventsText();
    EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), State(h, 1));
    ExpectAllReleased(h, service);
}

TEST_F(DevicesPageTest, NavigationKeysPredictTheRowTheListWillReach)
{
    FakeDeviceService service;
    const int k = 60;
    for (int i = 0; i < k; ++i)
        AddNamed(service, L"Row" + std::to_wstring(i), 1000 + i);
    Harness h(&service);
    ASSERT_EQ(k, Rows(h));
    const int p = (int)::SendMessageA(List(h), LVM_GETCOUNTPERPAGE, 0, 0);
    ASSERT_GT(p, 1);
    ASSERT_LT(p * 3, k) << "the list must hold several pages for this test";

    // Scrolls so that `top` is the first visible row.
    auto scrollTo = [&](int top) {
        ::SendMessageA(List(h), LVM_ENSUREVISIBLE, k - 1, FALSE);
        ::SendMessageA(List(h), LVM_ENSUREVISIBLE, top, FALSE);
        Pump();
        return (int)::SendMessageA(List(h), LVM_GETTOPINDEX, 0, 0);
    };
    // Each case: the first visible row wanted, the row selected before the
    // key (counted from the top visible row when fromTop), the key, and the
    // row expected from the top visible row T and the starting row R.
    struct Case
    {
        const char* what;
        int top;
        int start;
        bool fromTop;
        WORD key;
        std::function<int(int T, int R)> expected;
    };
    const int last = k - 1;
    const Case cases[] = {
        {"Up on row 0", 0, 0, false, VK_UP, [](int, int) { return 0; }},
        {"Up", 0, 5, false, VK_UP, [](int, int) { return 4; }},
        {"Down on the last row", 0, last, false, VK_DOWN, [&](int, int) { return last; }},
        {"Down", 0, 5, false, VK_DOWN, [](int, int) { return 6; }},
        {"Home", 0, 17, false, VK_HOME, [](int, int) { return 0; }},
        {"End", 0, 3, false, VK_END, [&](int, int) { return last; }},
        {"Left keeps the row", 0, 7, false, VK_LEFT, [](int, int) { return 7; }},
        {"A character keeps the row", 0, 7, false, 'A', [](int, int) { return 7; }},
        {"Page Up on the top visible row", 2 * p, 0, true, VK_PRIOR, [&](int, int R) { return R - p; }},
        {"Page Up on the top visible row near the start", 1, 0, true, VK_PRIOR, [](int, int) { return 0; }},
        {"Page Up below the top row", 2 * p, 3, true, VK_PRIOR, [](int T, int) { return T; }},
        {"Page Down on the bottom visible row", p, p - 1, true, VK_NEXT, [&](int, int R) { return R + p - 1; }},
        {"Page Down above the bottom row", p, 1, true, VK_NEXT, [&](int T, int) { return T + p - 1; }},
        {"Page Down on the bottom row near the end", last - p, p - 1, true, VK_NEXT, [&](int, int) { return last; }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        int top = scrollTo(c.top);
        const int start = c.fromTop ? top + c.start : c.start;
        ClickRow(h, start);
        ASSERT_EQ(start, h.page.CurrentRow());
        // Selecting a row out of view may scroll the list; the page reads
        // the top row when the key comes.
        const int topNow = (int)::SendMessageA(List(h), LVM_GETTOPINDEX, 0, 0);
        if (c.fromTop)
        {
            ASSERT_EQ(top, topNow);
        }
        top = topNow;
        const int expected = c.expected(top, start);
        ASSERT_GE(expected, 0);
        ASSERT_LE(expected, last);

        service.ClearCalls();
        Key(h, c.key);
        EXPECT_EQ(expected, h.page.CurrentRow());
        EXPECT_EQ(expected, Selected(h));
        EXPECT_EQ((Log{"SetCurrentDevice(" + std::to_string(1000 + expected) + ")"}),
                  service.CallsMatching("SetCurrentDevice"));
        EXPECT_EQ("Row" + std::to_string(expected) + AppTail(), WindowText(h.Sheet()));
    }
    ExpectAllReleased(h, service);
}

// ---------------------------------------------------------------------------
// Teardown
// ---------------------------------------------------------------------------

TEST_F(DevicesPageTest, DestroyFreesTheImageListTheCollectionAndTheNames)
{
    FakeDeviceService service;
    AddNamed(service, L"Alpha", 101);
    AddNamed(service, L"Bravo", 102);
    Harness h(&service);
    ASSERT_EQ(2, h.page.MappedNames());
    ASSERT_NE(nullptr, h.page.ImageList());
    EXPECT_EQ(1, service.LiveObjects()) << "the page keeps the collection while it lives";

    h.Destroy();
    EXPECT_EQ(nullptr, h.page.ImageList());
    EXPECT_EQ(0, h.page.MappedNames());
    EXPECT_EQ(0, service.LiveObjects());
    const Log& releases = service.Releases();
    EXPECT_EQ(1, std::count_if(releases.begin(), releases.end(), [](const std::string& r) {
                  return r.rfind("Release Devices.IServiceDevices", 0) == 0;
              }));
    EXPECT_FALSE(service.OverReleased());
}
