// RaceTests.cpp - one instance under a race: eight ServiceApp.exe started at
// once leave exactly one start-up dialog; the other seven end on their own
// within seconds, each with exit code 0. Repeated a few times.
#include <gtest/gtest.h>

#include "ReliabilityDriver.h"

#include <stdio.h>

#include <string>
#include <vector>

using namespace rel;

namespace
{

const int kInstances = 8;
const int kRounds = 10;
const DWORD kSettleMs = 20000;

struct Started
{
    HANDLE hProcess;
    DWORD pid;
};

// Starts the program kInstances times as fast as CreateProcess allows.
std::vector<Started> StartAll(const std::vector<std::string>& env)
{
    for (const std::string& e : env)
    {
        const size_t eq = e.find('=');
        ::SetEnvironmentVariableA(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str());
    }
    const std::string exe = e2e::BinDir() + "ServiceApp.exe";
    const std::string dir = e2e::BinDir();
    std::vector<Started> started;
    for (int i = 0; i < kInstances; ++i)
    {
        std::string cmd = "\"" + exe + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (::CreateProcessA(exe.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi))
        {
            ::CloseHandle(pi.hThread);
            started.push_back({pi.hProcess, pi.dwProcessId});
        }
    }
    for (const std::string& e : env)
        ::SetEnvironmentVariableA(e.substr(0, e.find('=')).c_str(), NULL);
    return started;
}

bool Running(const Started& s)
{
    return ::WaitForSingleObject(s.hProcess, 0) == WAIT_TIMEOUT;
}

// The start-up dialogs of all the started processes.
std::vector<HWND> Dialogs(const std::vector<Started>& all)
{
    std::vector<HWND> dialogs;
    for (const Started& s : all)
        for (HWND h : e2e::TopWindows(s.pid))
            if (e2e::IsStartupDialog(h))
                dialogs.push_back(h);
    return dialogs;
}

TEST(Race, EightAtOnceLeaveExactlyOneStartupDialog)
{
    ASSERT_TRUE(e2e::RegisterSimulator(true));
    double slowest = 0;
    for (int round = 1; round <= kRounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        e2e::SimSession session("race", FleetConfig());
        const double start = Seconds();
        std::vector<Started> all = StartAll(session.Environment());
        ASSERT_EQ((size_t)kInstances, all.size()) << "not every instance started";

        // Settled: one dialog and seven processes gone.
        int running = kInstances;
        std::vector<HWND> dialogs;
        for (;;)
        {
            running = 0;
            for (const Started& s : all)
                running += Running(s) ? 1 : 0;
            dialogs = Dialogs(all);
            if ((running == 1 && dialogs.size() == 1) || (Seconds() - start) * 1000 > kSettleMs)
                break;
            ::Sleep(20);
        }
        const double settled = Seconds() - start;
        slowest = settled > slowest ? settled : slowest;

        EXPECT_EQ(1u, dialogs.size()) << "start-up dialogs";
        EXPECT_EQ(1, running) << "instances still running after " << settled << " s";

        // The one that runs is the one with the dialog, and it shows nothing else.
        DWORD owner = 0;
        if (!dialogs.empty())
            ::GetWindowThreadProcessId(dialogs[0], &owner);
        std::string exits;
        for (const Started& s : all)
        {
            DWORD code = STILL_ACTIVE;
            ::GetExitCodeProcess(s.hProcess, &code);
            if (s.pid == owner)
            {
                EXPECT_TRUE(Running(s));
                int visible = 0;
                for (HWND h : e2e::TopWindows(s.pid))
                    visible += ::IsWindowVisible(h) ? 1 : 0;
                EXPECT_EQ(1, visible) << "visible windows of the remaining instance";
            }
            else
            {
                // A later instance brings the first one's window forward and
                // ends on its own, successfully.
                EXPECT_EQ(0u, code) << "exit code of process " << s.pid;
                exits += (exits.empty() ? "" : ",") + std::to_string(code);
            }
        }
        printf("[ figures  ] round %d: %d started, settled after %.2f s with %u dialog(s) and %d running; "
               "exit codes of the others: %s\n",
               round, kInstances, settled, (unsigned)dialogs.size(), running, exits.c_str());

        // Cancel the one; it ends, and releases the device service.
        for (HWND h : dialogs)
            ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        for (Started& s : all)
        {
            if (::WaitForSingleObject(s.hProcess, 15000) != WAIT_OBJECT_0)
            {
                ADD_FAILURE() << "an instance still runs after cancel";
                ::TerminateProcess(s.hProcess, 99);
                ::WaitForSingleObject(s.hProcess, 5000);
            }
            ::CloseHandle(s.hProcess);
        }
        for (const std::string& problem : JournalProblems(session.Journal()))
            ADD_FAILURE() << problem;
        // One instance, and only one, created the device service.
        EXPECT_EQ(1, e2e::CountLines(session.JournalLines(), "session:")) << session.Journal();
    }
    printf("[ figures  ] %d rounds of %d instances; slowest round settled after %.2f s\n", kRounds, kInstances,
           slowest);
}

} // namespace
