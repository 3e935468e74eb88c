// bench_printers.cpp - the Devices page on real printers over IPP, measured
// in process: the real CDevicesPage in a modeless property sheet with the
// IPP device service (DeviceIpp.dll from build/bin, LoadLibrary +
// DllGetClassObject) serving the CUPS server that CUPS_SERVER names and five
// configured printers that never answer (loopback sockets of this program
// that accept and stay silent).
//
//   bench_printers <repetitions> <result file>
//
// Each repetition records, in milliseconds:
//   printers.cold      from creating the service (its cache empty: the first
//                      GetDevices waits, with a bound, for the first answers)
//                      until the page's rows are shown (sheet created,
//                      message queue empty)
//   printers.warm      the same page made 1.5 s after the service was
//                      created (the start-up gate's time), until its rows
//                      are shown
//   printers.release   releasing the service with requests in flight
//   sim.cold           the baseline: the same page with the simulator
//                      serving as many devices, from creating the service
//                      to the rows shown
// and printers.rows / printers.unreachable: the rows shown and how many of
// them said "Not reachable".
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "bench/BenchCommon.h"
#include "framework/afx.h"
#include "pages/DevicesPage.h"
#include "service/ServiceIds.h"
#include "tests/support/SilentPrinter.h"

using namespace bench;

namespace
{

const int kSilent = 5;

class ShownDevicesPage : public CDevicesPage
{
public:
    int Rows() const { return m_listDevices.GetItemCount(); }
    int RowsSaying(const char* text) const
    {
        int found = 0;
        char buffer[256];
        for (int row = 0; row < Rows(); ++row)
        {
            ListView_GetItemText(m_listDevices.m_hWnd, row, 2, buffer, sizeof(buffer));
            if (strcmp(buffer, text) == 0)
                ++found;
        }
        return found;
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

IDeviceService* CreateFrom(HMODULE module)
{
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
    GetClassObjectFn getClassObject = (GetClassObjectFn)(void*)::GetProcAddress(module, "DllGetClassObject");
    IClassFactory* pFactory = NULL;
    if (!getClassObject || FAILED(getClassObject(CLSID_DeviceService, IID_IClassFactory, (void**)&pFactory)) ||
        !pFactory)
        return NULL;
    IDeviceService* pService = NULL;
    HRESULT hr = pFactory->CreateInstance(NULL, IID_IDeviceService, (void**)&pService);
    pFactory->Release();
    return SUCCEEDED(hr) ? pService : NULL;
}

// The page shown from a service made by `create`; `delayMs` after the making.
// Returns the milliseconds from the making (or from after the delay) until
// the rows are shown; the service is released after, its release timed.
template <class Create>
double ShowPage(Create create, DWORD delayMs, int& rows, int& unreachable, double& releaseMs)
{
    const double made = NowMs();
    IDeviceService* pService = create();
    if (!pService)
        return -1.0;
    if (delayMs > 0)
        ::Sleep(delayMs);
    const double start = delayMs > 0 ? NowMs() : made;
    g_pDeviceService = pService;
    double shown = -1.0;
    {
        ShownDevicesPage page;
        CPropertySheet sheet("Bench");
        sheet.AddPage(&page);
        sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
        if (sheet.Create())
        {
            Pump();
            shown = NowMs() - start;
            rows = page.Rows();
            unreachable = page.RowsSaying("Not reachable");
            sheet.DestroyWindow();
            Pump();
        }
    }
    g_pDeviceService = NULL;
    const double releasing = NowMs();
    pService->Release();
    releaseMs = NowMs() - releasing;
    return shown;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        fprintf(stderr, "usage: bench_printers <repetitions> <result file>\n");
        return 2;
    }
    const int repetitions = atoi(argv[1]);
    const char* resultFile = argv[2];
    if (getenv("CUPS_SERVER") == NULL)
    {
        fprintf(stderr, "bench_printers: CUPS_SERVER names no CUPS server\n");
        return 1;
    }

    SilentPrinter silent[kSilent];
    std::string config = "# five printers that never answer\r\n";
    for (int i = 0; i < kSilent; ++i)
    {
        if (silent[i].Port() == 0)
        {
            fprintf(stderr, "bench_printers: no loopback socket\n");
            return 1;
        }
        char line[160];
        sprintf(line, "printer %s name=\"Silent %d\"\r\n", silent[i].Uri().c_str(), i + 1);
        config += line;
    }
    const std::string configPath = TempFile("bench_printers.ini");
    FILE* file = fopen(configPath.c_str(), "wb");
    if (!file)
        return 1;
    fwrite(config.data(), 1, config.size(), file);
    fclose(file);
    ::SetEnvironmentVariableA("DEVICEIPP_CONFIG", configPath.c_str());
    ::SetEnvironmentVariableA("DEVICEIPP_STATE", TempFile("bench_printers.state").c_str());
    ::SetEnvironmentVariableA("DEVICEIPP_JOURNAL", NULL);

    ::CoInitialize(NULL);
    HINSTANCE hRes = ::LoadLibraryA((BinDir() + "lang\\ServiceRes.dll").c_str());
    HMODULE hIpp = ::LoadLibraryA((BinDir() + "DeviceIpp.dll").c_str());
    if (!hRes || !hIpp)
    {
        fprintf(stderr, "bench_printers: no resource module or DeviceIpp.dll in %s\n", BinDir().c_str());
        return 1;
    }
    AfxSetResourceHandle(hRes);

    int failures = 0;
    int expectedRows = -1;
    for (int rep = 0; rep < repetitions; ++rep)
    {
        int rows = 0, unreachable = 0;
        double releaseMs = 0.0;
        const double cold = ShowPage([hIpp]() { return CreateFrom(hIpp); }, 0, rows, unreachable, releaseMs);
        if (cold < 0 || rows < kSilent + 1)
        {
            fprintf(stderr, "bench_printers: cold run %d: %d rows\n", rep, rows);
            ++failures;
            continue;
        }
        AppendResult(resultFile, "printers.cold", cold);
        AppendResult(resultFile, "printers.release", releaseMs);
        AppendResult(resultFile, "printers.rows", rows);
        AppendResult(resultFile, "printers.unreachable", unreachable);
        expectedRows = rows;
        const double warm = ShowPage([hIpp]() { return CreateFrom(hIpp); }, 1500, rows, unreachable, releaseMs);
        if (warm >= 0)
            AppendResult(resultFile, "printers.warm", warm);
        else
            ++failures;
    }

    // The baseline: the simulator with as many devices.
    if (expectedRows > 0 && UseFleet(expectedRows))
    {
        for (int rep = 0; rep < repetitions; ++rep)
        {
            int rows = 0, unreachable = 0;
            double releaseMs = 0.0;
            const double cold = ShowPage([]() { return CreateSimulator(); }, 0, rows, unreachable, releaseMs);
            if (cold >= 0 && rows == expectedRows)
                AppendResult(resultFile, "sim.cold", cold);
            else
                ++failures;
        }
    }
    ::CoUninitialize();
    return failures ? 1 : 0;
}
