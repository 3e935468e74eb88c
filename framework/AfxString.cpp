// AfxString.cpp - CString.
#include "framework/AfxString.h"
#include "framework/AfxWnd.h"

#include <stdio.h>
#include <string.h>

int CString::Compare(LPCSTR psz) const
{
    return strcmp(m_str.c_str(), psz ? psz : "");
}

int CString::CompareNoCase(LPCSTR psz) const
{
    return lstrcmpiA(m_str.c_str(), psz ? psz : "");
}

CString CString::Left(int n) const
{
    if (n <= 0)
        return CString();
    return CString(m_str.substr(0, (size_t)n).c_str());
}

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (first >= GetLength())
        return CString();
    CString r;
    r.m_str = count < 0 ? m_str.substr((size_t)first) : m_str.substr((size_t)first, (size_t)count);
    return r;
}

static BOOL LoadStringFrom(HINSTANCE hInst, UINT nID, std::string& out)
{
    if (!hInst)
        return FALSE;
    // LoadStringA cannot tell the length up front: grow until the text fits.
    for (int size = 256; size <= 65536; size *= 4)
    {
        std::string buf((size_t)size, '\0');
        int n = ::LoadStringA(hInst, nID, &buf[0], size);
        if (n <= 0)
            return FALSE;
        if (n < size - 1)
        {
            buf.resize((size_t)n);
            out.swap(buf);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CString::LoadString(UINT nID)
{
    m_str.clear();
    if (LoadStringFrom(AfxGetResourceHandle(), nID, m_str))
        return TRUE;
    return AfxGetResourceHandle() != AfxGetInstanceHandle() &&
           LoadStringFrom(AfxGetInstanceHandle(), nID, m_str);
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    if (!pszFormat)
    {
        m_str.clear();
        return;
    }
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(NULL, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0)
    {
        m_str.clear();
        return;
    }
    std::string buf((size_t)n + 1, '\0');
    vsnprintf(&buf[0], buf.size(), pszFormat, args);
    buf.resize((size_t)n);
    m_str.swap(buf);
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::Format(UINT nFormatID, ...)
{
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(fmt, args);
    va_end(args);
}

void CString::FormatMessageV(LPCSTR pszFormat, va_list* pArgs)
{
    m_str.clear();
    if (!pszFormat)
        return;
    LPSTR pszOut = NULL;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                               pszFormat, 0, 0, (LPSTR)&pszOut, 0, pArgs);
    if (n && pszOut)
        m_str.assign(pszOut, n);
    if (pszOut)
        ::LocalFree(pszOut);
}

void CString::FormatMessage(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatMessageV(pszFormat, &args);
    va_end(args);
}

void CString::FormatMessage(UINT nFormatID, ...)
{
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatMessageV(fmt, &args);
    va_end(args);
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    size_t len = m_str.size();
    if (nMinBufLength > 0 && (size_t)nMinBufLength > len)
        len = (size_t)nMinBufLength;
    m_str.resize(len);
    // std::string keeps a terminator after size(): room for len + 1 bytes.
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = (int)strlen(m_str.c_str());
    if ((size_t)nNewLength <= m_str.size())
        m_str.resize((size_t)nNewLength);
}
