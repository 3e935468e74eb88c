// BstrText.cpp - AnsiFromBstr: BSTR to ANSI text.
#include "service/BstrText.h"

std::string AnsiFromBstr(BSTR text)
{
    if (text == NULL)
        return std::string();
    const UINT length = SysStringLen(text);
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
