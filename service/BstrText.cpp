// BstrText.cpp - AnsiFromBstr: BSTR to ANSI text.
#include "service/BstrText.h"

std::string AnsiFromBstr(BSTR text)
{
    return AnsiFromBstr(text, 0xFFFFFFFFu);
}

LPCSTR AnsiFromBstr(BSTR text, std::string& buffer)
{
    const UINT length = text != NULL ? SysStringLen(text) : 0;
    // A UTF-16 unit is at most three bytes in any ANSI code page (UTF-8 as
    // the system's code page included); a long text is measured instead, so
    // that its buffer is no larger than the text.
    size_t capacity = (size_t)length * 3 + 1;
    if (length > 0 && buffer.size() < capacity && capacity > 65536)
    {
        const int needed = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), NULL, 0, NULL, NULL);
        capacity = needed > 0 ? static_cast<size_t>(needed) + 1 : 1;
    }
    if (buffer.size() < capacity)
        buffer.assign(capacity, '\0');
    int written = 0;
    if (length > 0)
        written = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &buffer[0],
                                      static_cast<int>(buffer.size() - 1), NULL, NULL);
    buffer[written > 0 ? static_cast<size_t>(written) : 0] = '\0';
    return buffer.c_str();
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
