// DeviceIppCycles.cpp - fifty starts and closes of the service with a
// printer configured that never answers, as fifty runs of the program that
// close while requests are in flight: each release ends the workers and the
// cancelled requests within about one timeout, nothing crashes, and no thread
// is left behind when the DLL goes.
#include "IppHarness.h"

#include "support/SilentPrinter.h"

namespace {

// Longer than the first call's wait for answers (500 ms), so that every
// close finds the request to the silent printer in flight.
const DWORD kTimeoutMs = 1000;
// What a release may take besides one timeout: joining the workers, and
// Wine's scheduling on a busy machine.
const DWORD kSlackMs = 2500;

class DeviceIppCycles : public IppServiceTest
{
};

// One run of the program after the service was made: list (the first call
// waits for the first answers), release. Returns how long the release took,
// in milliseconds.
DWORD ListAndRelease(IDeviceService** service, long& rows)
{
    rows = -1;
    IUnknown* object = NULL;
    if ((*service)->GetDevices(&object) == S_OK && object != NULL) {
        IServiceDevices* devices = NULL;
        if (SUCCEEDED(object->QueryInterface(IID_IServiceDevices, reinterpret_cast<void**>(&devices)))) {
            devices->Count(&rows);
            devices->Release();
        }
        object->Release();
    }
    const DWORD start = GetTickCount();
    (*service)->Release();
    *service = NULL;
    return GetTickCount() - start;
}

} // namespace

TEST_F(DeviceIppCycles, FiftyStartsAndClosesWithASilentPrinter)
{
    SilentPrinter silent;
    ASSERT_NE(0, silent.Port());
    WithoutCups();
    UseConfig("printer " + silent.Uri() + " name=Silent\r\ntimeout " + std::to_string(kTimeoutMs) + "\r\n");

    // One run first, so that what Wine starts once per process (its WinHTTP
    // and socket helpers) is there before the threads are counted.
    Load();
    EXPECT_EQ(1u, Rows().size());
    Unload();
    // WinHTTP's threads still finish the cancelled request after the service
    // has gone: unloading WinHTTP with them crashed the process.
    EXPECT_TRUE(GetModuleHandleA("winhttp.dll") != NULL) << "WinHTTP went with the service";
    long before = ThreadCount();
    ASSERT_GT(before, 0);

    LoadModule();
    DWORD longest = 0;
    for (int cycle = 0; cycle < 50; ++cycle) {
        IDeviceService* service = NULL;
        ASSERT_EQ(S_OK, CreateService(&service)) << "cycle " << cycle;
        long rows = 0;
        const DWORD took = ListAndRelease(&service, rows);
        EXPECT_EQ(1, rows) << "cycle " << cycle;
        EXPECT_LE(took, kTimeoutMs + kSlackMs) << "cycle " << cycle << ": the release took " << took << " ms";
        if (took > longest)
            longest = took;
    }
    EXPECT_EQ(S_OK, CanUnloadNow()) << "nothing may be left running after the last release";
    Unload();
    printf("longest release: %lu ms; silent printer connections: %lu; threads before %ld\n",
           static_cast<unsigned long>(longest), static_cast<unsigned long>(silent.Connections()), before);
    EXPECT_GE(silent.Connections(), 50u) << "every run asked the silent printer";
    EXPECT_EQ(51, JournalCount("workers ended, requests released"));
    EXPECT_GE(JournalCount("1 in flight cancelled"), 45) << "closes with the silent printer's request in flight";
    EXPECT_EQ(0, JournalCount("STILL"));

    // Wine ends its own helper threads a moment after their last use.
    long after = ThreadCount();
    for (int i = 0; i < 50 && after > before; ++i) {
        Sleep(100);
        after = ThreadCount();
    }
    EXPECT_LE(after, before) << "threads left behind";
    printf("threads after: %ld\n", after);
}
