// bench_devices.cpp - the Devices page's load, measured in process: the real
// CDevicesPage in a modeless property sheet, with the real simulator loaded
// from build/bin (LoadLibrary + DllGetClassObject) serving a generated fleet.
//
//   bench_devices <count> <repetitions> <result file>
//
// Each repetition builds a new sheet with the page and records, in
// milliseconds:
//   page.init     the page's OnInitDialog (labels, image list, columns, both
//                 passes of the list, the current device's row and details)
//   page.create   the whole sheet creation around it (sheet, page dialog,
//                 list-view window, OnInitDialog)
//   page.pump     from before the creation until the message queue is empty
//                 (the first paint included)
//   sim.calls     the same calls into the simulator as the page makes, with
//                 no list: the share of the load the device service takes
// and once, after the last repetition, the process's peak working set.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "bench/BenchCommon.h"
#include "framework/afx.h"
#include "pages/DevicesPage.h"
#include "service/BstrText.h"
#include "service/ComRef.h"
#include "service/ServiceIds.h"

using namespace bench;

namespace
{

// The page with its OnInitDialog timed.
class TimedDevicesPage : public CDevicesPage
{
public:
    double m_initMs = 0.0;
    int Rows() const { return m_listDevices.GetItemCount(); }

protected:
    BOOL OnInitDialog() override
    {
        const double start = NowMs();
        BOOL result = CDevicesPage::OnInitDialog();
        m_initMs = NowMs() - start;
        return result;
    }
};

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// The page's calls into the device service, in its order, with no list:
// the first pass by position (name, id, type), the second by id (the two
// column texts).
double TimeServiceCalls(IDeviceService* pService)
{
    const double start = NowMs();
    ComRef<IServiceDevices> devices;
    long count = 0;
    if (!OpenDeviceList(pService, devices, count))
        return -1.0;
    std::vector<long> ids;
    ids.reserve((size_t)count);
    size_t chars = 0;
    for (long i = 1; i <= count; ++i)
    {
        WithDevice(devices.Get(), i, [&](IServiceDevice* device) {
            BstrHolder name;
            device->Name(name.Out());
            chars += name.Ansi().size();
            long id = 0, type = 0;
            device->Id(&id);
            device->Type(&type);
            ids.push_back(id);
        });
    }
    for (long id : ids)
    {
        WithDevice(devices.Get(), id, [&chars](IServiceDevice* device) {
            BstrHolder text;
            device->ColumnText1(text.Out());
            chars += text.Ansi().size();
            device->ColumnText2(text.Out());
            chars += text.Ansi().size();
        });
    }
    const double elapsed = NowMs() - start;
    return chars > 0 ? elapsed : -1.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
    {
        fprintf(stderr, "usage: bench_devices <count> <repetitions> <result file>\n");
        return 2;
    }
    const long count = atol(argv[1]);
    const int repetitions = atoi(argv[2]);
    const char* resultFile = argv[3];

    if (!UseFleet(count))
    {
        fprintf(stderr, "bench_devices: cannot write the fleet configuration\n");
        return 1;
    }
    ::CoInitialize(NULL);
    HINSTANCE hRes = ::LoadLibraryA((BinDir() + "lang\\ServiceRes.dll").c_str());
    if (!hRes)
    {
        fprintf(stderr, "bench_devices: no resource module in %s\n", BinDir().c_str());
        return 1;
    }
    AfxSetResourceHandle(hRes);
    IDeviceService* pService = CreateSimulator();
    if (!pService)
    {
        fprintf(stderr, "bench_devices: cannot create the simulator from %s\n", BinDir().c_str());
        return 1;
    }
    g_pDeviceService = pService;

    char key[64];
    int failures = 0;
    for (int rep = 0; rep < repetitions; ++rep)
    {
        {
            // The page outlives the sheet window, as in the application.
            TimedDevicesPage page;
            CPropertySheet sheet("Bench");
            sheet.AddPage(&page);
            sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
            const double heapBefore = rep == 0 ? HeapBytesInUse() : 0.0;
            const double start = NowMs();
            const BOOL created = sheet.Create();
            const double createdAt = NowMs();
            const double heapAfter = rep == 0 ? HeapBytesInUse() : 0.0;
            Pump();
            const double pumpedAt = NowMs();
            if (!created || page.Rows() != count)
            {
                fprintf(stderr, "bench_devices: %ld devices: sheet %s, %d rows\n", count,
                        created ? "created" : "not created", page.Rows());
                ++failures;
            }
            else
            {
                sprintf(key, "page.init.%ld", count);
                AppendResult(resultFile, key, page.m_initMs);
                sprintf(key, "page.create.%ld", count);
                AppendResult(resultFile, key, createdAt - start);
                sprintf(key, "page.pump.%ld", count);
                AppendResult(resultFile, key, pumpedAt - start);
                if (rep == 0)
                {
                    // What the sheet with the loaded page holds (the walks are not timed).
                    sprintf(key, "page.heap.%ld", count);
                    AppendResult(resultFile, key, heapAfter - heapBefore);
                }
            }
            sheet.DestroyWindow();
            Pump();
        }
        const double simMs = TimeServiceCalls(pService);
        sprintf(key, "sim.calls.%ld", count);
        if (simMs >= 0)
            AppendResult(resultFile, key, simMs);
    }
    sprintf(key, "page.peakws.%ld", count);
    AppendResult(resultFile, key, (double)PeakWorkingSet(::GetCurrentProcess()));

    g_pDeviceService = NULL;
    pService->Release();
    ::CoUninitialize();
    return failures ? 1 : 0;
}
