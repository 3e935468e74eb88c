// GrowthTests.cpp - no growth: ServiceApp.exe cycles through all pages and
// presses every button 200 times; its handle count, GDI and USER object
// counts and private bytes at the end are those after the first (warm-up)
// cycle, within a small bound.
#include <gtest/gtest.h>

#include "ReliabilityDriver.h"

#include <stdio.h>

#include <string>

using namespace rel;

namespace
{

const int kCycles = 200;

// Bounds on the growth from the end of the warm-up cycle to the end.
const long kMaxHandleGrowth = 10;
const long kMaxGuiObjectGrowth = 20;
const long long kMaxPrivateGrowth = 2 * 1024 * 1024;

void Print(const char* when, int cycle, const ProcessFigures& f, double seconds)
{
    printf("[ figures  ] %-8s cycle %3d: handles %ld, GDI objects %lu, USER objects %lu, windows %ld, "
           "private bytes %lu KiB, working set %lu KiB (%.1f s)\n",
           when, cycle, f.handles, (unsigned long)f.gdiObjects, (unsigned long)f.userObjects, f.windows,
           (unsigned long)(f.privateBytes / 1024), (unsigned long)(f.workingSet / 1024), seconds);
    fflush(stdout);
}

TEST(Growth, TwoHundredCyclesThroughEveryPageStayFlat)
{
    ASSERT_TRUE(e2e::RegisterSimulator(true));
    AppRun run("growth", FleetConfig());
    ASSERT_TRUE(run.StartToSheet());
    const double start = Seconds();

    // Every cycle presses every button of every page. The device list walk
    // makes a device current again and again, so every page also sees a
    // change of device and reloads at each cycle.
    Observations obs;
    DriveAllPages(run, obs, "c", true);
    ASSERT_FALSE(run.Broken());
    ASSERT_EQ("7", obs["c.pages"]);
    const ProcessFigures warm = ReadFigures(run.Pid());
    ASSERT_TRUE(warm.ok) << "no figures for the program's process";
    Print("warm-up", 1, warm, Seconds() - start);

    ProcessFigures end = warm;
    for (int cycle = 2; cycle <= kCycles && !run.Broken(); ++cycle)
    {
        DriveAllPages(run, obs, "c", true);
        if (cycle % 50 == 0 || cycle == kCycles)
        {
            end = ReadFigures(run.Pid());
            Print("", cycle, end, Seconds() - start);
        }
    }
    for (const std::string& problem : run.Problems())
        ADD_FAILURE() << problem;
    for (const std::string& box : run.Boxes())
        ADD_FAILURE() << "message box: " << box;
    ASSERT_FALSE(run.Broken());
    // The last cycle still worked: the memory page wrote and read back.
    EXPECT_EQ("1000", obs["c.mem.reread.current"]);
    EXPECT_EQ("Alpha one", obs["c.devices.dblclick0.detail1"]);

    ASSERT_TRUE(end.ok);
    const long handleGrowth = end.handles - warm.handles;
    const long gdiGrowth = (long)end.gdiObjects - (long)warm.gdiObjects;
    const long userGrowth = (long)end.userObjects - (long)warm.userObjects;
    const long windowGrowth = end.windows - warm.windows;
    const long long privateGrowth = (long long)end.privateBytes - (long long)warm.privateBytes;
    EXPECT_LE(handleGrowth, kMaxHandleGrowth) << "handles";
    EXPECT_LE(gdiGrowth, kMaxGuiObjectGrowth) << "GDI objects";
    EXPECT_LE(userGrowth, kMaxGuiObjectGrowth) << "USER objects";
    EXPECT_LE(windowGrowth, kMaxGuiObjectGrowth) << "windows";
    EXPECT_LE(privateGrowth, kMaxPrivateGrowth) << "private bytes";
    if (warm.gdiObjects == 0 && end.gdiObjects == 0 && warm.userObjects == 0 && end.userObjects == 0)
        printf("[ figures  ] GDI and USER objects: Wine reports 0 for both (GetGuiResources), so they are not "
               "measured; the windows of the program are counted instead\n");
    printf("[ figures  ] %d cycles, %d steps; growth after warm-up: handles %+ld (bound +%ld), GDI %+ld, "
           "USER %+ld, windows %+ld (bound +%ld), private bytes %+lld KiB (bound +%lld KiB); %.1f s\n",
           kCycles, run.StepCount(), handleGrowth, kMaxHandleGrowth, gdiGrowth, userGrowth, windowGrowth,
           kMaxGuiObjectGrowth, privateGrowth / 1024, kMaxPrivateGrowth / 1024, Seconds() - start);

    DWORD code = 1234;
    EXPECT_TRUE(run.Close(&code));
    EXPECT_EQ(0u, code);
    for (const std::string& problem : JournalProblems(run.Session().Journal()))
        ADD_FAILURE() << problem;
}

} // namespace
