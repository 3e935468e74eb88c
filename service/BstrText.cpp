// BstrText.cpp - AnsiFromBstr: BSTR to ANSI text.
#include "service/BstrText.h"

std::string AnsiFromBstr(BSTR text)
{
    return AnsiFromBstr(text, 0xFFFFFFFFu);
}

std::string AnsiFromBstr(BSTR text, UINT maxUnits)
{
    if (text == NULL)
        return std::string();
    UINT length = SysStringLen(text);
    if (length > maxUnits)
    {
        length = maxUnits;
        if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
            --length;   // a high surrogate whose partner would be cut off
    }
    if (length == 0)
        return std::string();
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length),
                                           NULL, 0, NULL, NULL);
    if (needed <= 0)
        return std::string();
    std::string result(static_cast<size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length),
                                            &result[0], needed, NULL, NULL);
    result.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return result;
}
