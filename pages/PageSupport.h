// PageSupport.h - what the pages share: setting their texts from the string
// table, and the device change check.
#pragma once

#include "framework/afx.h"

// A control of a page and the string its text comes from.
struct ControlText
{
    int nID;
    UINT nIDText;
};

// Sets the page window's own text to string nIDPageText, then each control's
// text to its string, in the order given. A control the template lacks is
// passed by.
void SetControlTexts(CWnd& page, UINT nIDPageText, const ControlText* pTexts, size_t nCount);

template <size_t N>
void SetControlTexts(CWnd& page, UINT nIDPageText, const ControlText (&texts)[N])
{
    SetControlTexts(page, nIDPageText, texts, N);
}

// The device change check. dwLastDevice holds the identity that
// GetCurrentDevice gave last (0 at first). Returns true, and keeps the new
// identity, when the device service now names another one; no device
// service, a failed call or the same identity is no change.
bool DeviceChanged(DWORD& dwLastDevice);
