// PageSupport.cpp - SetControlTexts, AddIconImages and DeviceChanged.
#include "pages/PageSupport.h"

#include "pages/IconImages.h"

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

int AddIconImages(CImageList& images, const UINT* pIDIcons, size_t nCount, int cx, int cy)
{
    if (images.m_hImageList == NULL || nCount == 0)
        return 0;
    const int nBefore = images.GetImageCount();
    HINSTANCE hModule = AfxFindResourceHandle(MAKEINTRESOURCEA(pIDIcons[0]), (LPCSTR)RT_GROUP_ICON);
    if (!AddExactIconImages(images.m_hImageList, hModule, pIDIcons, nCount, cx, cy))
    {
        for (size_t i = 0; i < nCount; ++i)
        {
            HICON hIcon = AfxLoadIcon(pIDIcons[i], cx, cy);
            if (hIcon == NULL)
                continue;
            images.Add(hIcon);   // the list keeps a copy
            ::DestroyIcon(hIcon);
        }
    }
    return images.GetImageCount() - nBefore;
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
