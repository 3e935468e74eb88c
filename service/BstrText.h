// BstrText.h - AnsiFromBstr and BstrHolder: BSTRs from the device service.
#ifndef SERVICE_BSTRTEXT_H
#define SERVICE_BSTRTEXT_H

#include <windows.h>
#include <ole2.h>

#include <string>

// Converts a BSTR to the ANSI code page (CP_ACP) on the heap. A null BSTR gives
// the empty string; any length works (a megabyte string included). Does not
// free the BSTR.
std::string AnsiFromBstr(BSTR text);
// The same for the first maxUnits UTF-16 units of the text at most, cut where
// no surrogate pair is split: for a field that shows a short text.
std::string AnsiFromBstr(BSTR text, UINT maxUnits);
// The same into buffer, which is kept from call to call and grows only when
// a text does not fit: one conversion and no allocation per text, for a
// loop over many texts. Returns the text (the buffer's), "" for a null BSTR.
LPCSTR AnsiFromBstr(BSTR text, std::string& buffer);

// Owns one BSTR and frees it with SysFreeString when destroyed.
class BstrHolder
{
public:
    BstrHolder() : m_text(NULL) {}
    ~BstrHolder() { Free(); }

    // Returns the address to pass as an out-pointer; frees any string held before.
    BSTR* Out()
    {
        Free();
        return &m_text;
    }

    BSTR Get() const { return m_text; }
    std::string Ansi() const { return AnsiFromBstr(m_text); }

    void Free()
    {
        if (m_text != NULL) {
            SysFreeString(m_text);
            m_text = NULL;
        }
    }

private:
    BstrHolder(const BstrHolder&);
    BstrHolder& operator=(const BstrHolder&);

    BSTR m_text;
};

#endif // SERVICE_BSTRTEXT_H
