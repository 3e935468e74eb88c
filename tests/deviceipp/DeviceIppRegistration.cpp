// DeviceIppRegistration.cpp - one device service serves the class at a time:
// registering DeviceIpp.dll takes the class over from DeviceSim.dll and back,
// and each DLL's unregistration removes only its own registration.
// HKEY_CLASSES_ROOT is redirected to a scratch key of the current user, so
// the test prefix's real registration is not touched.
#include "IppHarness.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* RegisterFn)();

const char kScratch[] = "Software\\DeviceIppTests\\Classes";

std::string ClassKeyName()
{
    wchar_t text[64];
    StringFromGUID2(CLSID_DeviceService, text, 64);
    char ansi[64];
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof(ansi), NULL, NULL);
    return std::string("CLSID\\") + ansi;
}

std::string ValueText(HKEY root, const std::string& key, const char* name)
{
    HKEY opened = NULL;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return "(missing)";
    char data[1024];
    DWORD size = sizeof(data);
    DWORD type = 0;
    const LONG result = RegQueryValueExA(opened, name, NULL, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS || type != REG_SZ || size == 0)
        return "(missing)";
    return std::string(data, size - 1);
}

std::string SimulatorPath()
{
    char full[MAX_PATH];
    const std::string relative = ProgramDirectory() + "..\\bin\\DeviceSim.dll";
    const DWORD got = GetFullPathNameA(relative.c_str(), MAX_PATH, full, NULL);
    return std::string(full, got);
}

class Registration : public IppServiceTest
{
protected:
    void SetUp() override
    {
        IppServiceTest::SetUp();
        m_scratch = NULL;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                                 &m_scratch, NULL));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, m_scratch));
    }

    void TearDown() override
    {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, NULL);
        const std::string key = ClassKeyName();
        RegDeleteKeyA(m_scratch, (key + "\\InprocServer32").c_str());
        RegDeleteKeyA(m_scratch, key.c_str());
        RegDeleteKeyA(m_scratch, "CLSID");
        RegCloseKey(m_scratch);
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\DeviceIppTests");
        IppServiceTest::TearDown();
    }

    HKEY m_scratch;
};

} // namespace

TEST_F(Registration, EachServiceTakesTheClassAndRemovesOnlyItsOwn)
{
    LoadModule();
    HMODULE simulator = LoadLibraryA(SimulatorPath().c_str());
    ASSERT_TRUE(simulator != NULL) << SimulatorPath();
    RegisterFn registerIpp = DllProc<RegisterFn>(m_module, "DllRegisterServer");
    RegisterFn unregisterIpp = DllProc<RegisterFn>(m_module, "DllUnregisterServer");
    RegisterFn registerSim = DllProc<RegisterFn>(simulator, "DllRegisterServer");
    RegisterFn unregisterSim = DllProc<RegisterFn>(simulator, "DllUnregisterServer");
    ASSERT_TRUE(registerIpp != NULL && unregisterIpp != NULL && registerSim != NULL && unregisterSim != NULL);

    const std::string key = ClassKeyName();
    const std::string server = key + "\\InprocServer32";
    auto registered = [&]() { return ValueText(m_scratch, server, NULL); };
    auto names = [&](const std::string& path) { return lstrcmpiA(path.c_str(), registered().c_str()) == 0; };

    EXPECT_EQ(S_OK, registerSim());
    EXPECT_TRUE(names(SimulatorPath())) << registered();
    EXPECT_EQ(S_OK, registerIpp());
    EXPECT_TRUE(names(DllPath())) << "the IPP service replaces the simulator: " << registered();
    EXPECT_EQ("Apartment", ValueText(m_scratch, server, "ThreadingModel"));
    EXPECT_EQ("Device service for IPP printers", ValueText(m_scratch, key, NULL));
    EXPECT_EQ(S_OK, unregisterSim());
    EXPECT_TRUE(names(DllPath())) << "the simulator's unregistration leaves the IPP service's: " << registered();
    EXPECT_EQ(S_OK, registerSim());
    EXPECT_TRUE(names(SimulatorPath())) << "and back: " << registered();
    EXPECT_EQ(S_OK, unregisterIpp());
    EXPECT_TRUE(names(SimulatorPath())) << "the IPP service's unregistration leaves the simulator's: " << registered();
    EXPECT_EQ(1, JournalCount("(another DLL's; left)"));
    EXPECT_EQ(S_OK, registerIpp());
    EXPECT_EQ(S_OK, unregisterIpp());
    EXPECT_EQ("(missing)", registered()) << "its own registration goes";
    FreeLibrary(simulator);
}
