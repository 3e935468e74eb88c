// Viewer.cpp - the PDF viewer, the view files and the shell's "open".
#include "deviceipp/Viewer.h"

#include <shellapi.h>
#include <shlwapi.h>

namespace {

// ASSOCSTR_DELEGATEEXECUTE (Windows Vista and later; the headers name it only
// for those). Earlier systems answer a failure.
const ASSOCSTR kDelegateExecute = static_cast<ASSOCSTR>(18);

bool Query(ASSOCSTR what, std::string& out)
{
    char text[MAX_PATH * 2];
    DWORD size = sizeof(text);
    // ASSOCF_INIT_IGNOREUNKNOWN: a type without a handler fails instead of
    // answering the system's "open with" dialog.
    const HRESULT hr = AssocQueryStringA(ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE, what, ".pdf",
                                         "open", text, &size);
    if (FAILED(hr) || size <= 1 || text[0] == '\0')
        return false;
    out.assign(text);
    return true;
}

std::string SafeName(const std::string& name)
{
    std::string out;
    for (size_t i = 0; i < name.size() && out.size() < 80; ++i) {
        const char c = name[i];
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                           || c == ' ' || c == '-' || c == '_';
        out += plain ? c : '_';
    }
    while (!out.empty() && (out[out.size() - 1] == ' ' || out[out.size() - 1] == '.'))
        out.erase(out.size() - 1);
    return out.empty() ? std::string("Document") : out;
}

} // namespace

bool FindPdfViewer(std::string& program)
{
    return Query(ASSOCSTR_EXECUTABLE, program) || Query(ASSOCSTR_COMMAND, program)
           || Query(kDelegateExecute, program);
}

HRESULT WriteViewFile(const std::string& name, const std::string& data, std::string& path)
{
    char temp[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof(temp), temp);
    if (length == 0 || length >= sizeof(temp))
        return HRESULT_FROM_WIN32(GetLastError() != 0 ? GetLastError() : ERROR_PATH_NOT_FOUND);
    std::string folder = std::string(temp, length);
    if (folder[folder.size() - 1] != '\\')
        folder += '\\';
    folder += "Device Service";
    if (!CreateDirectoryA(folder.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        return HRESULT_FROM_WIN32(GetLastError());
    const std::string base = folder + "\\" + SafeName(name);
    DWORD error = ERROR_SHARING_VIOLATION;
    for (int n = 1; n <= 10; ++n) {
        path = n == 1 ? base + ".pdf" : base + " (" + std::to_string(n) + ").pdf";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED
                || error == ERROR_LOCK_VIOLATION)
                continue;   // a viewer holds it: the next name
            break;
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, NULL);
        error = GetLastError();
        CloseHandle(file);
        if (ok && written == data.size())
            return S_OK;
        DeleteFileA(path.c_str());
        break;
    }
    path.clear();
    return HRESULT_FROM_WIN32(error != 0 ? error : ERROR_WRITE_FAULT);
}

HRESULT OpenInViewer(const std::string& path)
{
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&info))
        return S_OK;
    const DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error != 0 ? error : ERROR_NO_ASSOCIATION);
}
