// PageSupport.h - what the pages share: setting their texts from the string
// table, an image list's icons, and the device change check.
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

// Adds the images of icons nIDIcons[0..nCount) at cx by cy pixels to the
// image list (32-bit with a mask, made at that size), in the order given:
// straight from the icon resources where every icon has its exact image
// (AddExactIconImages), else each icon loaded at that size (scaled from its
// nearest image) and added. Returns the number of images added: nCount, or
// fewer when an icon is missing from the resources.
int AddIconImages(CImageList& images, const UINT* pIDIcons, size_t nCount, int cx, int cy);

// The device change check. dwLastDevice holds the identity that
// GetCurrentDevice gave last (0 at first). Returns true, and keeps the new
// identity, when the device service now names another one; no device
// service, a failed call or the same identity is no change.
bool DeviceChanged(DWORD& dwLastDevice);
