// PageHarness.h - one page under test inside a real modeless property sheet,
// with the resource module loaded and g_pDeviceService pointing at whatever
// the test gives (a fake, or NULL).
//
//   fake::FakeDeviceService service;
//   PageHarness<CReportsPage> h(&service);   // sheet created, page 0 shown
//   h.Click(IDC_REPORT_EXECUTE);
//   h.SwitchAwayAndBack();                   // kill-active, then set-active again
#pragma once

#include <gtest/gtest.h>

#include "framework/afx.h"
#include "lang/ServiceRes.h"
#include "service/DeviceService.h"
#include "support/ResourceModule.h"
#include "support/WinTestUtil.h"

namespace testutil
{

template <class TPage>
class PageHarness
{
public:
    // pService becomes g_pDeviceService for the harness's life. With
    // bCreate FALSE the test sets things up and calls Create() itself.
    explicit PageHarness(IDeviceService* pService, bool bCreate = true)
        : m_other(IDD_MAINTENANCE_PAGE), m_pOldService(g_pDeviceService)
    {
        UseServiceResources();
        g_pDeviceService = pService;
        m_sheet.AddPage(&page);
        m_sheet.AddPage(&m_other);
        m_sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
        if (bCreate)
            Create();
    }
    ~PageHarness()
    {
        Destroy();
        g_pDeviceService = m_pOldService;
    }
    PageHarness(const PageHarness&) = delete;
    PageHarness& operator=(const PageHarness&) = delete;

    void Create()
    {
        ASSERT_TRUE(m_sheet.Create());
        Pump();
        ASSERT_NE(nullptr, page.m_hWnd) << "the page under test is the first page";
    }
    // Destroys the sheet window (the page gets WM_DESTROY); the objects stay.
    void Destroy()
    {
        if (m_sheet.m_hWnd)
            m_sheet.DestroyWindow();
        Pump();
    }
    // Shows the other page, then the page under test again.
    void SwitchAwayAndBack()
    {
        m_sheet.SetActivePage(1);
        Pump();
        m_sheet.SetActivePage(0);
        Pump();
    }
    bool IsActive() const { return m_sheet.GetActivePage() == &page; }

    HWND Page() const { return page.m_hWnd; }
    HWND Sheet() const { return m_sheet.m_hWnd; }
    HWND Item(int nID) const { return ::GetDlgItem(page.m_hWnd, nID); }
    std::string Text(int nID) const { return WindowText(Item(nID)); }
    bool Enabled(int nID) const { return ::IsWindowEnabled(Item(nID)) != FALSE; }
    bool Visible(int nID) const { return ::IsWindowVisible(Item(nID)) != FALSE; }
    bool Checked(int nID) const { return ::SendMessageA(Item(nID), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    // A click as the button sends it: BN_CLICKED to the page (auto check
    // boxes and radio buttons change their state first, as a mouse click does).
    void Click(int nID)
    {
        ::SendMessageA(Item(nID), BM_CLICK, 0, 0);
        Pump();
    }
    // Replaces an edit's text as typing would (EN_UPDATE and EN_CHANGE follow).
    void SetText(int nID, const char* text)
    {
        ::SetWindowTextA(Item(nID), text);
        Pump();
    }
    void Focus(int nID)
    {
        ::SetFocus(Item(nID));
        Pump();
    }

    TPage page;

private:
    CPropertySheet m_sheet;
    CPropertyPage m_other;
    IDeviceService* m_pOldService;
};

} // namespace testutil
