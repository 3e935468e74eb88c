// RefCountTests.cpp - COM reference balance: a run of ServiceApp.exe that
// presses every button of every page, in both page sets, leaves no object of
// the device service alive when the simulator unloads, and releases none of
// them once too often (the simulator counts every reference and journals a
// release beyond the last one, and any call on a released object).
#include <gtest/gtest.h>

#include "ReliabilityDriver.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

using namespace rel;

namespace
{

struct Balance
{
    int handedOut = 0;       // objects the service handed out ("object=<name>")
    int queries = 0;         // successful QueryInterface calls
    int lines = 0;
    int overReleases = 0;    // releases beyond the last reference
    int afterRelease = 0;    // calls on released objects
    std::string liveAtUnload = "none";   // the simulator's count when it unloaded
};

Balance Count(const std::vector<std::string>& lines)
{
    Balance b;
    b.lines = (int)lines.size();
    for (const std::string& line : lines)
    {
        if (line.find(" object=") != std::string::npos && line.find("object=none") == std::string::npos)
            ++b.handedOut;
        if (line.compare(0, 24, "IUnknown.QueryInterface(") == 0 && line.find("-> 0x00000000") != std::string::npos)
            ++b.queries;
        if (line.find("OVER-RELEASE") != std::string::npos)
            ++b.overReleases;
        if (line.find("USE-AFTER-RELEASE") != std::string::npos)
            ++b.afterRelease;
        if (line.compare(0, 14, "live objects: ") == 0)
            b.liveAtUnload = line.substr(14);
    }
    return b;
}

void Report(const char* set, int pages, const Balance& b)
{
    EXPECT_EQ("0", b.liveAtUnload) << "live objects when the simulator unloaded";
    EXPECT_EQ(0, b.overReleases) << "releases beyond the last reference";
    EXPECT_EQ(0, b.afterRelease) << "calls on released objects";
    printf("[ figures  ] %s page set (%d pages): %d journal lines, %d objects handed out, %d interface "
           "queries; live objects at unload: %s, releases beyond the last: %d, calls after release: %d\n",
           set, pages, b.lines, b.handedOut, b.queries, b.liveAtUnload.c_str(), b.overReleases, b.afterRelease);
}

class RefCount : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(e2e::RegisterSimulator(true)); }

    // One run with the given model: every button of every page on the first
    // device, then the main flows once more on the second.
    std::vector<std::string> PressEverything(const char* pszModel, int* pPages)
    {
        AppRun run(std::string("refcount_") + pszModel, FleetConfig());
        EXPECT_TRUE(run.StartToSheet(pszModel));
        Observations obs;
        DriveAllPages(run, obs, "p1", true);
        DriveAllPages(run, obs, "p2", false);
        *pPages = atoi(obs["p1.pages"].c_str());
        DWORD code = 1234;
        EXPECT_TRUE(run.Close(&code));
        EXPECT_EQ(0u, code);
        for (const std::string& problem : run.Problems())
            ADD_FAILURE() << problem;
        for (const std::string& box : run.Boxes())
            ADD_FAILURE() << "message box: " << box;
        const std::string journal = run.Session().Journal();
        for (const std::string& problem : JournalProblems(journal))
            ADD_FAILURE() << problem;
        return e2e::Lines(journal);
    }
};

TEST_F(RefCount, FullPageSetReleasesEveryObjectExactlyOnce)
{
    int pages = 0;
    const std::vector<std::string> lines = PressEverything("KESSLY", &pages);
    EXPECT_EQ(7, pages);

    // The presses reached the device: every kind of work of every page.
    EXPECT_GE(e2e::CountLines(lines, "IServiceAction.Run() -> 0x00000000"), 4);
    EXPECT_GE(e2e::CountLines(lines, "IServiceTasks.StartFirstTask() -> 0x00000000"), 4);
    EXPECT_GE(e2e::CountLines(lines, "IServiceTasks.StartSecondTask() -> 0x00000000"), 2);
    EXPECT_GE(e2e::CountLines(lines, "IServiceProcedure.Start("), 10);
    EXPECT_GE(e2e::CountLines(lines, "IServiceProcedureOptions.SetOptions("), 3);
    EXPECT_GE(e2e::CountLines(lines, "IServiceCommand.Perform("), 2);
    EXPECT_GE(e2e::CountLines(lines, "IServiceMemory.WriteValue("), 4);
    EXPECT_GE(e2e::CountLines(lines, "IServiceReport.Execute("), 10);
    EXPECT_GE(e2e::CountLines(lines, "IServiceReport.ExecuteAlternate("), 5);
    EXPECT_GE(e2e::CountLines(lines, "IServiceReportOption.SetReportOption("), 4);
    EXPECT_GE(e2e::CountLines(lines, "IServiceDriverSettings.SetOption1("), 4);
    EXPECT_GE(e2e::CountLines(lines, "IServiceDriverSettings.GetDefaultOption1("), 4);
    EXPECT_GE(e2e::CountLines(lines, "IDeviceService.SetCurrentDevice("), 8);

    const Balance b = Count(lines);
    EXPECT_GE(b.handedOut, 100);
    Report("full", pages, b);
}

TEST_F(RefCount, ReducedPageSetReleasesEveryObjectExactlyOnce)
{
    int pages = 0;
    const std::vector<std::string> lines = PressEverything("ORMEK", &pages);
    EXPECT_EQ(5, pages);

    // No memory page and no device tasks page in this set.
    EXPECT_EQ(0, e2e::CountLines(lines, "IServiceMemory."));
    EXPECT_EQ(0, e2e::CountLines(lines, "IServiceTasks."));
    EXPECT_GE(e2e::CountLines(lines, "IServiceAction.Run() -> 0x00000000"), 4);
    EXPECT_GE(e2e::CountLines(lines, "IServiceProcedure.Start("), 10);
    EXPECT_GE(e2e::CountLines(lines, "IServiceReport.Execute("), 10);
    EXPECT_GE(e2e::CountLines(lines, "IServiceDriverSettings.SetOption1("), 4);

    const Balance b = Count(lines);
    EXPECT_GE(b.handedOut, 50);
    Report("reduced", pages, b);
}

} // namespace
