// PrintersReliabilityTests.cpp - the fault run of the IPP device service:
// ServiceApp.exe with DeviceIpp.dll on a CUPS server of this run's own
// (printers-run.sh starts it) whose printers misbehave: a stopped queue that
// also rejects jobs, a queue that asks for authentication, a configured
// printer that accepts connections and never answers, and a queue deleted
// while the program works on it; one queue that works keeps what it gets.
// Every button of every page is pressed on each printer, in two rounds (the
// deleted queue is gone in the second). Each step is checked for a crash, a
// hang or a message box nobody expected (the driver settings page's box
// naming the settings a printer did not take is expected: printers that do
// not answer or ask for authentication take none); the program must close
// with exit code 0 and its journal must show every object released. The work that
// could be done must have been done, and what could not must have failed
// with its documented code.
#include <winsock2.h>

#include <gtest/gtest.h>

#include "ReliabilityDriver.h"
#include "lang/ServiceRes.h"
#include "support/HostTools.h"
#include "support/SilentPrinter.h"
#include "support/TestViewer.h"

#include <commctrl.h>

#include <stdio.h>

#include <fstream>
#include <string>
#include <vector>

using namespace rel;

namespace
{

int Count(const std::vector<std::string>& lines, const std::string& part, const std::string& also = std::string())
{
    int n = 0;
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos && (also.empty() || line.find(also) != std::string::npos))
            ++n;
    return n;
}

std::string ProgramDir()
{
    char path[MAX_PATH];
    const DWORD got = ::GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string text(path, got);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

} // namespace

TEST(PrintersReliability, EveryButtonOnMisbehavingPrinters)
{
    ASSERT_TRUE(hosttools::Available()) << "run through tests/reliability/printers-run.sh";
    // The run's own server: the misbehaving queues, one that works, one to delete.
    std::string out;
    ASSERT_EQ(0, hosttools::HostRun("for q in office lab supplies color; do lpadmin -x $q; done && "
                                    "lpadmin -p rel_ok -E -v testrecord:$CUPS_TEST_DIR/received -L Works && "
                                    "lpadmin -p rel_gone -E -v file:///dev/null -L Doomed && "
                                    "cupsreject -r 'Out of order' stopped",
                                    &out))
        << out;
    ASSERT_TRUE(e2e::RegisterService("DeviceIpp.dll"));
    SilentPrinter silent;
    ASSERT_NE(0, silent.Port());
    // (Names apart from the simulator session's files that AppRun removes.)
    const std::string config = e2e::TempPath("ipp_run.ini");
    const std::string state = e2e::TempPath("ipp_run.state");
    const std::string journal = e2e::TempPath("ipp_run_journal.txt");
    const std::string viewed = e2e::TempPath("ipp_run_viewed");
    std::ofstream(config.c_str()) << "printer " << silent.Uri() << " name=\"Silent\"\n";
    ::DeleteFileA(journal.c_str());
    ::CreateDirectoryA(viewed.c_str(), NULL);
    const double started = Seconds();
    std::vector<std::string> problems;
    std::vector<std::string> boxes;
    int steps = 0;
    int rows = 0;
    DWORD exitCode = 1234;
    {
        TestViewerRegistration viewer(ProgramDir() + "test_viewer.exe");
        AppRun run("printers", {"DEVICEIPP_CONFIG=" + config, "DEVICEIPP_STATE=" + state,
                                "DEVICEIPP_JOURNAL=" + journal, "DEVICEIPP_VIEWED=" + viewed});
        ASSERT_TRUE(run.StartToSheet("KESSLY")) << (run.Problems().empty() ? "" : run.Problems()[0]);
        HWND hList = ::GetDlgItem(run.ShowPage(0), IDC_DEVICE_LIST);
        rows = (int)run.Send(hList, LVM_GETITEMCOUNT);
        EXPECT_EQ(5, rows) << "locked, rel_gone, rel_ok, stopped, Silent";
        Observations obs;
        for (int round = 1; round <= 2 && !run.Broken(); ++round)
        {
            for (int row = 0; row < rows && !run.Broken(); ++row)
            {
                const std::string name = e2e::ListItemText(hList, row, 0);
                auto beforePage = [&](int page) {
                    // The stopped queue stays stopped (the restart task
                    // starts it again); the doomed queue goes while its
                    // first round runs, after the Devices page chose it.
                    if (name == "stopped")
                        hosttools::HostRun("cupsdisable -r 'Out of order' stopped");
                    if (name == "rel_gone" && round == 1 && page == 1)
                        hosttools::HostRun("lpadmin -x rel_gone");
                };
                DriveAllPagesOnRow(run, obs, "r" + std::to_string(round) + "." + name, row, beforePage);
            }
        }
        steps = run.StepCount();
        run.ShowPage(0);
        EXPECT_TRUE(run.Close(&exitCode));
        problems = run.Problems();
        boxes = run.Boxes();
    }
    e2e::RegisterSimulator(true);
    EXPECT_EQ(0u, exitCode);
    for (const std::string& problem : problems)
        ADD_FAILURE() << problem;
    const std::string notTakenTemplate = e2e::ResourceText(IDS_DRV_NOT_TAKEN);
    const std::string notTaken = e2e::ResourceText(IDS_DRIVER_PAGE) + " | " +
                                 notTakenTemplate.substr(0, notTakenTemplate.find_first_of("\r\n%"));
    int notTakenBoxes = 0;
    for (const std::string& box : boxes)
    {
        if (box.compare(0, notTaken.size(), notTaken) == 0)
            ++notTakenBoxes;
        else
            ADD_FAILURE() << "message box: " << box;
    }
    const std::string text = e2e::ReadFile(journal);
    for (const std::string& problem : JournalProblems(text))
        ADD_FAILURE() << problem;
    EXPECT_NE(std::string::npos, text.find("workers ended, requests released")) << "the service did not stop cleanly";

    // What was done, and how what could not be done failed.
    const std::vector<std::string> lines = e2e::Lines(text);
    const std::string server = hosttools::CupsServer();
    const std::string ok = "printer=ipp://" + server + "/printers/rel_ok";
    const int printed = Count(lines, "IServiceReport.Execute(0) -> 0x00000000", ok);
    const int shown = Count(lines, "IServiceReport.ExecuteAlternate(0) -> 0x00000000", ok);
    const int commands = Count(lines, "-> 0x00000000", "command=");
    const int refusedStopped = Count(lines, "-> 0x80040409", "/printers/stopped");          // not accepting
    const int refusedLocked = Count(lines, "-> 0x80040307", "/printers/locked");            // authentication
    const int refusedSilent = Count(lines, "-> 0x80040403", "printer=" + silent.Uri());     // not reachable
    const int refusedGone = Count(lines, "-> 0x80040310", "/printers/rel_gone") +           // not found
                            Count(lines, "-> 0x80040403", "/printers/rel_gone");
    const int notAvailable = Count(lines, "-> 0x80040407");
    EXPECT_GE(printed, 20) << "reports of the working queue, both rounds";
    EXPECT_GE(shown, 10);
    EXPECT_GE(commands, 6);
    EXPECT_GT(refusedStopped, 0);
    EXPECT_GT(refusedLocked, 0);
    EXPECT_GT(refusedSilent, 0);
    EXPECT_GT(refusedGone, 0);
    EXPECT_GT(notAvailable, 0);
    EXPECT_EQ(0, Count(lines, "request: Print-Job ipp://" + server + "/printers/stopped -> 0x00000000"));
    printf("[ figures  ] %d printers, %d steps in %.0f s; %d reports printed and %d shown on the working "
           "queue, %d command files; refused: %d stopped, %d authentication, %d silent, %d deleted queue, "
           "%d without counterpart; %d boxes of settings not taken\n",
           rows, steps, Seconds() - started, printed, shown, commands, refusedStopped, refusedLocked,
           refusedSilent, refusedGone, notAvailable, notTakenBoxes);
    ::DeleteFileA(config.c_str());
    ::DeleteFileA(state.c_str());
    ::DeleteFileA(journal.c_str());
    for (int n = 1; n < 1000; ++n)
    {
        const std::string base = viewed + "\\viewed-" + std::to_string(n);
        if (!::DeleteFileA((base + ".pdf").c_str()))
            break;
        ::DeleteFileA((base + ".txt").c_str());
    }
    ::RemoveDirectoryA(viewed.c_str());
}
