// SimClient.cpp - the registered simulator as a COM client sees it: after
// "regsvr32 /s DeviceSim.dll" (ctest entry simulator_register), the registry
// names this build's DLL, and CoCreateInstance with the class id, in-process or
// local server, and IDeviceService gives a working device service that COM
// unloads once everything is released.
#include <windows.h>
#include <ole2.h>

#include <string>

#include <gtest/gtest.h>

#include "service/BstrText.h"
#include "service/ComRef.h"
#include "service/DeviceService.h"

namespace {

std::string ProgramDirectory()
{
    char path[MAX_PATH];
    const DWORD got = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string text(path, got);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

std::string ReadAll(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

class SimClient : public ::testing::Test
{
protected:
    void SetUp()
    {
        const std::string dir = ProgramDirectory() + "simulator_work\\";
        CreateDirectoryA(dir.c_str(), NULL);
        m_journal = dir + "client.journal.txt";
        m_state = dir + "client.state";
        DeleteFileA(m_journal.c_str());
        DeleteFileA(m_state.c_str());
        SetEnvironmentVariableA("DEVICESIM_CONFIG", NULL);
        SetEnvironmentVariableA("DEVICESIM_STATE", m_state.c_str());
        SetEnvironmentVariableA("DEVICESIM_JOURNAL", m_journal.c_str());
        ASSERT_EQ(S_OK, CoInitialize(NULL));
    }

    void TearDown() { CoUninitialize(); }

    std::string m_journal;
    std::string m_state;
};

} // namespace

TEST_F(SimClient, RegistryNamesThisBuildsDll)
{
    wchar_t clsid[64];
    StringFromGUID2(CLSID_DeviceService, clsid, 64);
    char ansi[64];
    WideCharToMultiByte(CP_ACP, 0, clsid, -1, ansi, sizeof(ansi), NULL, NULL);
    const std::string key = std::string("CLSID\\") + ansi + "\\InprocServer32";
    HKEY server = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &server))
        << "simulator_register did not register the class";
    char path[MAX_PATH] = "";
    DWORD size = sizeof(path);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(server, NULL, NULL, NULL, reinterpret_cast<BYTE*>(path), &size));
    char model[64] = "";
    size = sizeof(model);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(server, "ThreadingModel", NULL, NULL,
                                              reinterpret_cast<BYTE*>(model), &size));
    RegCloseKey(server);
    EXPECT_STREQ("Apartment", model);

    char expected[MAX_PATH];
    GetFullPathNameA((ProgramDirectory() + "..\\bin\\DeviceSim.dll").c_str(), MAX_PATH, expected, NULL);
    EXPECT_EQ(0, lstrcmpiA(expected, path)) << "registered: " << path;
}

TEST_F(SimClient, CoCreateInstanceGivesAWorkingDeviceService)
{
    IDeviceService* service = NULL;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DeviceService, NULL,
                                     CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDeviceService,
                                     reinterpret_cast<void**>(&service)));
    ASSERT_TRUE(service != NULL);
    {
        ComRef<IUnknown> object;
        ComRef<IServiceDevices> devices;
        ASSERT_EQ(S_OK, service->GetDevices(object.Out()));
        ASSERT_EQ(S_OK, devices.QueryFrom(object.Get(), IID_IServiceDevices));
        long count = 0;
        EXPECT_EQ(S_OK, devices->Count(&count));
        EXPECT_EQ(6, count) << "the built-in fleet";

        VARIANT item;
        VariantInit(&item);
        ASSERT_EQ(S_OK, devices->Item(3, &item));
        ComRef<IServiceDevice> device;
        ASSERT_EQ(S_OK, device.QueryFrom(item.punkVal, IID_IServiceDevice));
        VariantClear(&item);
        long id = 0;
        BstrHolder name;
        EXPECT_EQ(S_OK, device->Id(&id));
        EXPECT_EQ(S_OK, device->Name(name.Out()));
        EXPECT_EQ(S_OK, service->SetCurrentDevice(id));
        BstrHolder current;
        EXPECT_EQ(S_OK, service->GetCurrentDeviceName(current.Out()));
        EXPECT_EQ(name.Ansi(), current.Ansi());
        long identity = 0;
        EXPECT_EQ(S_OK, service->GetCurrentDevice(&identity));
        EXPECT_NE(0, identity);
    }
    EXPECT_EQ(0u, service->Release());
    CoFreeUnusedLibrariesEx(0, 0);

    const std::string journal = ReadAll(m_journal);
    EXPECT_NE(std::string::npos, journal.find("IClassFactory.CreateInstance(IDeviceService) -> 0x00000000"));
    EXPECT_NE(std::string::npos, journal.find("IDeviceService.SetCurrentDevice("));
    EXPECT_NE(std::string::npos, journal.find("DllCanUnloadNow() -> 0x00000000 live objects: 0"))
        << journal;
    EXPECT_EQ(std::string::npos, journal.find("OVER-RELEASE"));
}
