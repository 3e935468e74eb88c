// LanguageE2ETests.cpp - ServiceApp.exe speaks the language that prodinfo.ini
// chooses: a copy of build/bin in a temporary folder gets the Modules entry
// of one language, and the program started from there shows that module's
// texts in the start-up dialog, the sheet's title, tabs, page and Close
// button. build/bin itself is left as it is.
#include <gtest/gtest.h>

#include "AppDriver.h"
#include "PackageSupport.h"

#include <commctrl.h>
#include <prsht.h>
#include "lang/ServiceRes.h"

#include <string>
#include <vector>

using namespace e2e;
using namespace package;

namespace
{

const DWORD kTimeout = 15000;

class LanguageE2E : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The class key names build/bin's simulator, as the other end-to-end tests have it.
        std::string cmd = "regsvr32 /s \"" + ShippedDir() + "DeviceSim.dll\"";
        ASSERT_EQ(0, RunAndWait(cmd)) << cmd;
    }

    void TearDown() override
    {
        if (!m_dir.empty())
            DeleteTree(m_dir);
        ::DeleteFileA(m_state.c_str());
        ::DeleteFileA((m_state + ".tmp").c_str());
    }

    // Starts the program from a copy set to the language and checks what it shows.
    void RunInLanguage(const Language& language, const Language& other)
    {
        m_dir = TempPath(std::string("lang-") + language.name);
        ASSERT_TRUE(MakeProgramCopy(m_dir, language)) << m_dir;
        char entry[256] = "";
        ::GetPrivateProfileStringA("Modules", "ServiceApp", "", entry, sizeof(entry),
                                   (m_dir + "\\prodinfo.ini").c_str());
        ASSERT_STREQ(language.modulesEntry, entry);

        const std::string module = m_dir + "\\" + language.module;
        auto text = [&](UINT id) { return ModuleText(module, id); };
        ASSERT_EQ(language.startupCaption, text(IDS_STARTUP_CAPTION)) << "the module under " << module;
        ASSERT_NE(text(IDS_STARTUP_CAPTION), ModuleText(m_dir + "\\" + other.module, IDS_STARTUP_CAPTION));
        // Everything is compared in UTF-16: the program's texts as the
        // windows hold them, whatever code page the host gives the program.

        AppProcess app;
        m_state = TempPath("lang-state.txt");
        ASSERT_TRUE(app.Start(m_dir + "\\ServiceApp.exe", {"DEVICESIM_STATE=" + m_state}));

        // The start-up dialog: caption and texts from the chosen module.
        auto isStartup = [&](HWND h) {
            return ClassName(h) == "#32770" && ::IsWindowVisible(h) && WindowTextW(h) == language.startupCaption;
        };
        HWND hDlg = WaitForWindow(app.Pid(), isStartup, kTimeout);
        if (!hDlg)
        {
            std::string seen;
            for (HWND h : TopWindows(app.Pid()))
                seen += " [" + ClassName(h) + ": " + WindowText(h) + "]";
            FAIL() << "no start-up dialog titled " << language.startupCaption << "; windows:" << seen;
        }
        EXPECT_EQ(text(IDS_STARTUP_WARNING), WindowTextW(::GetDlgItem(hDlg, IDC_STARTUP_WARNING)));
        EXPECT_EQ(text(IDS_MODEL_PROMPT), WindowTextW(::GetDlgItem(hDlg, IDC_MODEL_PROMPT)));

        // The sheet: title, Close button, tabs and the Devices page's hint.
        ASSERT_TRUE(PassStartupGate(hDlg, "KESSLY"));
        const std::wstring tail = L" - " + text(IDS_APP_TITLE);
        auto isSheet = [&](HWND h) {
            std::wstring title = WindowTextW(h);
            return ClassName(h) == "#32770" && ::IsWindowVisible(h) && title.size() > tail.size() &&
                   title.compare(title.size() - tail.size(), tail.size(), tail) == 0;
        };
        HWND hSheet = WaitForWindow(app.Pid(), isSheet, kTimeout);
        ASSERT_NE(nullptr, hSheet) << "no sheet whose title ends in" << tail;

        EXPECT_EQ(language.closeText, WindowTextW(::GetDlgItem(hSheet, IDCANCEL)));
        EXPECT_EQ(text(IDS_CLOSE), WindowTextW(::GetDlgItem(hSheet, IDCANCEL)));

        // The tabs, each page's text, in order.
        std::vector<std::wstring> expected, shown;
        for (UINT id : {IDS_DEVICES_PAGE, IDS_MAINTENANCE_PAGE, IDS_MEMORY_PAGE, IDS_TASKS_PAGE, IDS_PROCEDURES_PAGE,
                        IDS_REPORTS_PAGE, IDS_DRIVER_PAGE})
            expected.push_back(text(id));
        for (size_t i = 0; i < expected.size(); ++i)
        {
            SendTo(hSheet, PSM_SETCURSEL, (WPARAM)i, 0);
            shown.push_back(WindowTextW((HWND)SendTo(hSheet, PSM_GETCURRENTPAGEHWND)));
        }
        SendTo(hSheet, PSM_SETCURSEL, 0, 0);
        EXPECT_EQ(expected, shown);

        HWND hPage = (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        ASSERT_NE(nullptr, hPage);
        EXPECT_EQ(text(IDS_DEVICES_HINT), WindowTextW(::GetDlgItem(hPage, IDC_DEVICES_HINT)));
        EXPECT_EQ(text(IDS_DETAIL_TEXT1_LABEL), WindowTextW(::GetDlgItem(hPage, IDC_DETAIL_TEXT1_FRAME)));

        ::PostMessageA(hSheet, WM_COMMAND, IDCANCEL, 0);
        DWORD code = 1234;
        ASSERT_TRUE(app.WaitExit(kTimeout, &code)) << "still running after Close";
        EXPECT_EQ(0u, code);
    }

    std::string m_dir;
    std::string m_state;
};

} // namespace

TEST_F(LanguageE2E, EnglishEntryShowsTheEnglishModule)
{
    RunInLanguage(English(), German());
}

TEST_F(LanguageE2E, GermanEntryShowsTheGermanModule)
{
    RunInLanguage(German(), English());
}
