// BenchCommon.h - what the benchmark programs share: a millisecond clock,
// medians, result files, and the device service simulator loaded straight
// from build/bin with a generated fleet of a given size.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "service/ComRef.h"
#include "service/DeviceService.h"
#include "service/ServiceIds.h"

namespace bench
{

// Milliseconds from the performance counter (an arbitrary origin).
double NowMs();

// Median and largest of a set of samples; 0 for none.
double Median(std::vector<double> samples);
double Largest(const std::vector<double>& samples);

// The folder of the running program (with a trailing backslash), and
// build/bin beside it, where the shipped files are.
std::string ProgramDir();
std::string BinDir();

// A file name in the Wine prefix's temporary folder.
std::string TempFile(const char* name);

// Points the simulator at a configuration file written here: `count`
// generated devices, the built-in fleet for 0, no devices at all for
// kEmptyFleet. The state file is a fresh one in the temporary folder and the
// journal is off. Applies to this process and to the programs it starts from
// now on.
const long kEmptyFleet = -1;
bool UseFleet(long count);

// Loads build/bin/DeviceSim.dll and creates the device service through its
// class factory, without the registry. NULL on failure.
IDeviceService* CreateSimulator();

// The service's device list (GetDevices, as IServiceDevices) and its count;
// false when the service gives none.
bool OpenDeviceList(IDeviceService* pService, ComRef<IServiceDevices>& devices, long& count);

// A device as the Devices page asks for it (Item, then its IServiceDevice),
// handed to use(device); false when the service gave none.
template <class Use>
bool WithDevice(IServiceDevices* devices, long index, Use use)
{
    VARIANT item;
    ::VariantInit(&item);
    bool found = false;
    if (SUCCEEDED(devices->Item(index, &item)))
    {
        ComRef<IServiceDevice> device;
        if (SUCCEEDED(device.QueryFrom(item.punkVal, IID_IServiceDevice)) && device)
        {
            use(device.Get());
            found = true;
        }
    }
    ::VariantClear(&item);
    return found;
}

// One row of the device list, as the Devices page shows it.
struct DeviceRow
{
    std::string name;
    std::string text1;
    std::string text2;
    long id;
    long type;
};

// Reads every device of the service (untimed preparation for the baseline).
bool ReadRows(IDeviceService* pService, std::vector<DeviceRow>& rows);

// Peak working set of a process in bytes (0 when unknown).
SIZE_T PeakWorkingSet(HANDLE hProcess);
// The bytes of every heap block this process holds (the busy blocks of all
// its heaps, walked): what the program's allocations take, whatever the
// heap's layout leaves around them as free or resident space.
double HeapBytesInUse();

// Result lines "key value" appended to a file, read back by the driver.
void AppendResult(const char* path, const std::string& key, double value);

} // namespace bench
