// IconImages.h - an image list's images straight from icon resources.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Adds the images of icons nIDIcons[0..nCount) of module hModule to the
// image list in one go, when every icon has a 32-bit image of exactly cx by
// cy pixels: its colours with their alpha and its mask, as the icon resource
// holds them. Under Wine this is ten times faster than adding each icon
// (each would be loaded again from its resource and drawn). Returns false,
// having added nothing, when an icon is missing or its nearest image is of
// another size or depth (or a PNG); the caller then adds the icons one by one.
bool AddExactIconImages(HIMAGELIST hImages, HMODULE hModule, const UINT* pIDIcons, size_t nCount, int cx, int cy);
