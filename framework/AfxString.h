// AfxString.h - CString: the ANSI string class of the framework.
//
// A value type over a heap buffer. Never NULL: a default or NULL-constructed
// string is empty. Converts to LPCSTR for every A function.
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <string>

class CString
{
public:
    CString() {}
    CString(LPCSTR psz) : m_str(psz ? psz : "") {}
    CString(LPCSTR psz, int nLength) : m_str(psz ? psz : "", psz && nLength > 0 ? nLength : 0) {}
    CString(char ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
    CString(const CString&) = default;
    CString& operator=(const CString&) = default;
    CString& operator=(LPCSTR psz) { m_str = psz ? psz : ""; return *this; }

    int GetLength() const { return (int)m_str.size(); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int i) const { return m_str[(size_t)i]; }
    char operator[](int i) const { return m_str[(size_t)i]; }
    operator LPCSTR() const { return m_str.c_str(); }
    LPCSTR GetString() const { return m_str.c_str(); }

    CString& operator+=(LPCSTR psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, LPCSTR b) { CString r(a); r += b; return r; }
    friend CString operator+(LPCSTR a, const CString& b) { CString r(a); r += b; return r; }

    // Byte-wise comparison (strcmp order); NoCase folds ASCII letters.
    int Compare(LPCSTR psz) const;
    int CompareNoCase(LPCSTR psz) const;
    friend bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
    friend bool operator!=(const CString& a, LPCSTR b) { return a.Compare(b) != 0; }
    friend bool operator<(const CString& a, LPCSTR b) { return a.Compare(b) < 0; }

    CString Left(int n) const;
    CString Mid(int first, int count = -1) const;

    // Loads string nID from the resource handle, then from the executable.
    // Returns FALSE (and leaves the string empty) when neither has it.
    BOOL LoadString(UINT nID);

    // printf-style formatting; the result may be of any length.
    void Format(LPCSTR pszFormat, ...);
    void FormatV(LPCSTR pszFormat, va_list args);
    void Format(UINT nFormatID, ...);

    // Message-style formatting with %1, %2 ... inserts (%1!d! for numbers).
    void FormatMessage(LPCSTR pszFormat, ...);
    void FormatMessage(UINT nFormatID, ...);
    void FormatMessageV(LPCSTR pszFormat, va_list* pArgs);

    // Direct buffer access: GetBuffer(n) gives room for n characters plus the
    // terminator; ReleaseBuffer(-1) takes the length from the terminator.
    LPSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    std::string m_str;
};
