// PageSupport.cpp - SetControlTexts and DeviceChanged.
#include "pages/PageSupport.h"

#include "service/DeviceService.h"

void SetControlTexts(CWnd& page, UINT nIDPageText, const ControlText* pTexts, size_t nCount)
{
    CString text;
    text.LoadString(nIDPageText);
    page.SetWindowText(text);
    for (size_t i = 0; i < nCount; ++i)
    {
        text.LoadString(pTexts[i].nIDText);
        if (HWND hControl = ::GetDlgItem(page.m_hWnd, pTexts[i].nID))
            ::SetWindowTextA(hControl, text);
    }
}

bool DeviceChanged(DWORD& dwLastDevice)
{
    if (g_pDeviceService == NULL)
        return false;
    long identity = 0;
    if (FAILED(g_pDeviceService->GetCurrentDevice(&identity)))
        return false;
    if ((DWORD)identity == dwLastDevice)
        return false;
    dwLastDevice = (DWORD)identity;
    return true;
}
