// TestViewer.h - makes build/tests/test_viewer.exe (TestViewer.cpp) the
// program that opens PDF files in the test prefix while an object of
// TestViewerRegistration lives, and puts back what was there afterwards:
// View of the IPP device service then hands its files to a program of the
// tests instead of the prefix's own handler (Wine's winebrowser). Without a
// command it registers a PDF type that no program opens.
//
// The class root (HKEY_CLASSES_ROOT) is written: Wine 8 does not read the
// per-user classes there (HKCU\Software\Classes), where Windows would.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <string>

class TestViewerRegistration
{
public:
    // `viewer`: the program's path, or "" for a PDF type without a program.
    explicit TestViewerRegistration(const std::string& viewer) : m_hadType(false)
    {
        char old[256];
        LONG size = sizeof(old);
        if (RegQueryValueA(HKEY_CLASSES_ROOT, ".pdf", old, &size) == ERROR_SUCCESS) {
            m_hadType = true;
            m_oldType.assign(old);
        }
        RegSetValueA(HKEY_CLASSES_ROOT, ".pdf", REG_SZ, kProgId, lstrlenA(kProgId));
        RegSetValueA(HKEY_CLASSES_ROOT, kProgId, REG_SZ, "Test PDF", 8);
        if (!viewer.empty()) {
            const std::string command = "\"" + viewer + "\" \"%1\"";
            RegSetValueA(HKEY_CLASSES_ROOT, (std::string(kProgId) + "\\shell\\open\\command").c_str(),
                         REG_SZ, command.c_str(), static_cast<DWORD>(command.size()));
        }
    }

    ~TestViewerRegistration()
    {
        if (m_hadType)
            RegSetValueA(HKEY_CLASSES_ROOT, ".pdf", REG_SZ, m_oldType.c_str(),
                         static_cast<DWORD>(m_oldType.size()));
        else
            SHDeleteKeyA(HKEY_CLASSES_ROOT, ".pdf");
        SHDeleteKeyA(HKEY_CLASSES_ROOT, kProgId);
    }

private:
    TestViewerRegistration(const TestViewerRegistration&);
    TestViewerRegistration& operator=(const TestViewerRegistration&);

    static constexpr const char* kProgId = "DeviceIppTests.Pdf";
    bool m_hadType;
    std::string m_oldType;
};
