// SpoolerPrinters.cpp - EnumPrinters and the ports that are IPP or HTTP URLs.
#include "deviceipp/SpoolerPrinters.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace {

std::string Utf8FromAnsi(const char* text)
{
    if (text == NULL || *text == '\0')
        return std::string();
    const int wide = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
    if (wide <= 1)
        return std::string();
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &buffer[0], wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer.c_str(), -1, NULL, 0, NULL, NULL);
    if (bytes <= 1)
        return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer.c_str(), -1, &out[0], bytes, NULL, NULL);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// The first port of a comma-separated list that is a URL of ours, or "".
std::string UrlPort(const char* ports)
{
    if (ports == NULL)
        return std::string();
    const std::string list = ports;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        std::string port = list.substr(start, end - start);
        while (!port.empty() && port[0] == ' ')
            port.erase(0, 1);
        if (StartsWithNoCase(port, "ipp://") || StartsWithNoCase(port, "ipps://")
            || StartsWithNoCase(port, "http://") || StartsWithNoCase(port, "https://"))
            return port;
        start = end + 1;
    }
    return std::string();
}

} // namespace

std::vector<SpoolerPrinter> SpoolerIppPrinters()
{
    std::vector<SpoolerPrinter> printers;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    DWORD count = 0;
    std::vector<BYTE> buffer(sizeof(PRINTER_INFO_2A));
    // A printer added between two calls needs a larger buffer: try again.
    bool got = false;
    for (int attempt = 0; attempt < 3 && !got; ++attempt) {
        got = EnumPrintersA(flags, NULL, 2, &buffer[0], static_cast<DWORD>(buffer.size()), &needed, &count) != FALSE;
        if (!got) {
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
                return printers;
            buffer.resize(needed);
        }
    }
    if (!got)
        return printers;
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(&buffer[0]);
    for (DWORD i = 0; i < count; ++i) {
        const std::string url = UrlPort(info[i].pPortName);
        if (url.empty() || info[i].pPrinterName == NULL)
            continue;
        SpoolerPrinter printer;
        printer.name = Utf8FromAnsi(info[i].pPrinterName);
        printer.uri = url;
        printers.push_back(printer);
    }
    return printers;
}
