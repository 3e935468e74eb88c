// IconImages.cpp - AddExactIconImages.
#include "pages/IconImages.h"

#include <vector>

namespace
{

// The 32-bit image of icon nIDIcon at exactly cx by cy pixels, as its icon
// resource holds it: a bottom-up bitmap of twice the height, the colour
// rows with their alpha first, then the 1-bit mask. NULL when the icon is
// missing or its nearest image is of another size or depth (or a PNG).
const BITMAPINFOHEADER* ExactIconImage(HMODULE hModule, UINT nIDIcon, int cx, int cy)
{
    LPCSTR pszName = MAKEINTRESOURCEA(nIDIcon);
    HRSRC hGroup = ::FindResourceA(hModule, pszName, (LPCSTR)RT_GROUP_ICON);
    const BYTE* pGroup = hGroup ? (const BYTE*)::LockResource(::LoadResource(hModule, hGroup)) : NULL;
    if (pGroup == NULL || ::SizeofResource(hModule, hGroup) < 6)
        return NULL;
    const int nImage = ::LookupIconIdFromDirectoryEx(const_cast<BYTE*>(pGroup), TRUE, cx, cy, LR_DEFAULTCOLOR);
    HRSRC hImage = nImage ? ::FindResourceA(hModule, MAKEINTRESOURCEA(nImage), (LPCSTR)RT_ICON) : NULL;
    const BITMAPINFOHEADER* pHeader =
        hImage ? (const BITMAPINFOHEADER*)::LockResource(::LoadResource(hModule, hImage)) : NULL;
    const DWORD cbImage = hImage ? ::SizeofResource(hModule, hImage) : 0;
    if (pHeader == NULL || cbImage < sizeof(BITMAPINFOHEADER) || pHeader->biSize < sizeof(BITMAPINFOHEADER) ||
        pHeader->biSize > cbImage)
        return NULL;
    const DWORD cbMaskRow = (DWORD)((cx + 31) / 32 * 4);
    if (pHeader->biWidth != cx || pHeader->biHeight != 2 * cy || pHeader->biPlanes != 1 ||
        pHeader->biBitCount != 32 || pHeader->biCompression != BI_RGB ||
        cbImage - pHeader->biSize < (DWORD)cx * cy * 4 + cbMaskRow * cy)
        return NULL;
    return pHeader;
}

// A bottom-up DIB section of cx by cy pixels at nBits per pixel (1: black
// and white), and its bits.
HBITMAP CreateStrip(int cx, int cy, WORD nBits, void** ppBits)
{
    struct
    {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info;
    ZeroMemory(&info, sizeof(info));
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = cx;
    info.header.biHeight = cy;
    info.header.biPlanes = 1;
    info.header.biBitCount = nBits;
    info.header.biCompression = BI_RGB;
    info.colors[1].rgbRed = info.colors[1].rgbGreen = info.colors[1].rgbBlue = 0xFF;
    return ::CreateDIBSection(NULL, (BITMAPINFO*)&info, DIB_RGB_COLORS, ppBits, NULL, 0);
}

} // namespace

bool AddExactIconImages(HIMAGELIST hImages, HMODULE hModule, const UINT* pIDIcons, size_t nCount, int cx, int cy)
{
    if (hImages == NULL || nCount == 0)
        return false;
    std::vector<const BITMAPINFOHEADER*> sources(nCount);
    for (size_t i = 0; i < nCount; ++i)
        if ((sources[i] = ExactIconImage(hModule, pIDIcons[i], cx, cy)) == NULL)
            return false;

    const int cxStrip = cx * (int)nCount;
    void* pColorBits = NULL;
    void* pMaskBits = NULL;
    HBITMAP hColor = CreateStrip(cxStrip, cy, 32, &pColorBits);
    HBITMAP hMask = CreateStrip(cxStrip, cy, 1, &pMaskBits);
    bool bAdded = false;
    if (hColor != NULL && hMask != NULL && pColorBits != NULL && pMaskBits != NULL)
    {
        const size_t cbSourceMaskRow = (size_t)(cx + 31) / 32 * 4;
        const size_t cbStripMaskRow = (size_t)(cxStrip + 31) / 32 * 4;
        BYTE* pMask = (BYTE*)pMaskBits;
        ZeroMemory(pMask, cbStripMaskRow * cy);
        for (size_t i = 0; i < nCount; ++i)
        {
            const BYTE* pSource = (const BYTE*)sources[i] + sources[i]->biSize;
            const BYTE* pSourceMask = pSource + (size_t)cx * cy * 4;
            for (int y = 0; y < cy; ++y)
            {
                CopyMemory((DWORD*)pColorBits + (size_t)y * cxStrip + i * cx, pSource + (size_t)y * cx * 4,
                           (size_t)cx * 4);
                for (int x = 0; x < cx; ++x)
                {
                    if (pSourceMask[y * cbSourceMaskRow + x / 8] & (0x80 >> (x % 8)))
                    {
                        const size_t xStrip = i * cx + x;
                        pMask[y * cbStripMaskRow + xStrip / 8] |= (BYTE)(0x80 >> (xStrip % 8));
                    }
                }
            }
        }
        bAdded = ImageList_Add(hImages, hColor, hMask) >= 0;
    }
    if (hColor != NULL)
        ::DeleteObject(hColor);
    if (hMask != NULL)
        ::DeleteObject(hMask);
    return bAdded;
}
