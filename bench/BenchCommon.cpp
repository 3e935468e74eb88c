// BenchCommon.cpp - the benchmark programs' shared helpers.
#include "bench/BenchCommon.h"

#include <psapi.h>
#include <stdio.h>

#include <algorithm>

#include "service/BstrText.h"
#include "service/ComRef.h"
#include "service/ServiceIds.h"

namespace bench
{

double NowMs()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0)
        ::QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
}

double Largest(const std::vector<double>& samples)
{
    return samples.empty() ? 0.0 : *std::max_element(samples.begin(), samples.end());
}

std::string ProgramDir()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path);
    const size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

std::string BinDir()
{
    return ProgramDir() + "..\\bin\\";
}

std::string TempFile(const char* name)
{
    char dir[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

bool UseFleet(long count)
{
    char name[64];
    if (count == kEmptyFleet)
        sprintf(name, "bench_fleet_empty.ini");
    else
        sprintf(name, "bench_fleet_%ld.ini", count);
    const std::string config = TempFile(name);
    FILE* file = fopen(config.c_str(), "wb");
    if (!file)
        return false;
    if (count > 0)
        fprintf(file, "fleet generated %ld\n", count);
    else if (count == kEmptyFleet)
        fprintf(file, "fleet empty\n");
    else
        fprintf(file, "fleet builtin\n");
    fclose(file);

    // A fresh state file: nothing kept from an earlier run.
    const std::string state = TempFile("bench.state");
    ::DeleteFileA(state.c_str());
    ::SetEnvironmentVariableA("DEVICESIM_CONFIG", config.c_str());
    ::SetEnvironmentVariableA("DEVICESIM_STATE", state.c_str());
    ::SetEnvironmentVariableA("DEVICESIM_JOURNAL", NULL);
    return true;
}

IDeviceService* CreateSimulator()
{
    HMODULE hSim = ::LoadLibraryA((BinDir() + "DeviceSim.dll").c_str());
    if (!hSim)
        return NULL;
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
    GetClassObjectFn getClassObject = (GetClassObjectFn)(void*)::GetProcAddress(hSim, "DllGetClassObject");
    if (!getClassObject)
        return NULL;
    IClassFactory* pFactory = NULL;
    if (FAILED(getClassObject(CLSID_DeviceService, IID_IClassFactory, (void**)&pFactory)) || !pFactory)
        return NULL;
    IDeviceService* pService = NULL;
    HRESULT hr = pFactory->CreateInstance(NULL, IID_IDeviceService, (void**)&pService);
    pFactory->Release();
    return SUCCEEDED(hr) ? pService : NULL;
}

bool OpenDeviceList(IDeviceService* pService, ComRef<IServiceDevices>& devices, long& count)
{
    count = 0;
    ComRef<IUnknown> object;
    if (FAILED(pService->GetDevices(object.Out())) || !object)
        return false;
    if (FAILED(devices.QueryFrom(object.Get(), IID_IServiceDevices)) || !devices)
        return false;
    devices->Count(&count);
    return true;
}

bool ReadRows(IDeviceService* pService, std::vector<DeviceRow>& rows)
{
    rows.clear();
    ComRef<IServiceDevices> devices;
    long count = 0;
    if (!OpenDeviceList(pService, devices, count))
        return false;
    rows.reserve((size_t)count);
    for (long i = 1; i <= count; ++i)
    {
        WithDevice(devices.Get(), i, [&rows](IServiceDevice* device) {
            DeviceRow row;
            BstrHolder text;
            device->Name(text.Out());
            row.name = text.Ansi();
            device->ColumnText1(text.Out());
            row.text1 = text.Ansi();
            device->ColumnText2(text.Out());
            row.text2 = text.Ansi();
            row.id = 0;
            row.type = 0;
            device->Id(&row.id);
            device->Type(&row.type);
            rows.push_back(row);
        });
    }
    return (long)rows.size() == count;
}

SIZE_T PeakWorkingSet(HANDLE hProcess)
{
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof(counters));
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(hProcess, &counters, sizeof(counters)))
        return 0;
    return counters.PeakWorkingSetSize;
}

double HeapBytesInUse()
{
    HANDLE heaps[256];
    const DWORD count = ::GetProcessHeaps(256, heaps);
    double bytes = 0.0;
    for (DWORD i = 0; i < count && i < 256; ++i)
    {
        if (!::HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry;
        ZeroMemory(&entry, sizeof(entry));
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                bytes += (double)entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return bytes;
}

void AppendResult(const char* path, const std::string& key, double value)
{
    FILE* file = fopen(path, "ab");
    if (!file)
        return;
    fprintf(file, "%s %.6f\n", key.c_str(), value);
    fclose(file);
}

} // namespace bench
