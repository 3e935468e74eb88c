// SimRegistrationTest.cpp - DllRegisterServer writes the class's
// InprocServer32 key (this DLL's path, apartment threading) and
// DllUnregisterServer removes it. HKEY_CLASSES_ROOT is redirected to a scratch
// key of the current user for the test, so the test prefix's real
// registration (simulator_register) is not touched.
#include "SimHarness.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* RegisterFn)();

const char kScratch[] = "Software\\DeviceSimTests\\Classes";

std::string ClassKeyName()
{
    wchar_t text[64];
    StringFromGUID2(CLSID_DeviceService, text, 64);
    char ansi[64];
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof(ansi), NULL, NULL);
    return std::string("CLSID\\") + ansi;
}

// The text of a value, or "(missing)".
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

bool KeyExists(HKEY root, const std::string& key)
{
    HKEY opened = NULL;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

class SimRegistration : public SimTest
{
protected:
    void SetUp()
    {
        SimTest::SetUp();
        m_scratch = NULL;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &m_scratch, NULL));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, m_scratch));
    }

    void TearDown()
    {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, NULL);
        const std::string key = ClassKeyName();
        RegDeleteKeyA(m_scratch, (key + "\\InprocServer32").c_str());
        RegDeleteKeyA(m_scratch, key.c_str());
        RegDeleteKeyA(m_scratch, "CLSID");
        RegCloseKey(m_scratch);
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\DeviceSimTests");
        SimTest::TearDown();
    }

    HKEY m_scratch;
};

} // namespace

TEST_F(SimRegistration, RegisterWritesInprocServerAndUnregisterRemovesIt)
{
    LoadModule();
    RegisterFn registerServer = SimProc<RegisterFn>(Module(), "DllRegisterServer");
    RegisterFn unregisterServer = SimProc<RegisterFn>(Module(), "DllUnregisterServer");
    ASSERT_TRUE(registerServer != NULL);
    ASSERT_TRUE(unregisterServer != NULL);

    const std::string key = ClassKeyName();
    ASSERT_FALSE(KeyExists(m_scratch, key));
    EXPECT_EQ(S_OK, registerServer());
    EXPECT_EQ(0, lstrcmpiA(SimulatorDllPath().c_str(),
                           ValueText(m_scratch, key + "\\InprocServer32", NULL).c_str()))
        << ValueText(m_scratch, key + "\\InprocServer32", NULL);
    EXPECT_EQ("Apartment", ValueText(m_scratch, key + "\\InprocServer32", "ThreadingModel"));
    EXPECT_NE("(missing)", ValueText(m_scratch, key, NULL));

    EXPECT_EQ(S_OK, registerServer()) << "registering twice is fine";
    EXPECT_EQ(S_OK, unregisterServer());
    EXPECT_FALSE(KeyExists(m_scratch, key + "\\InprocServer32"));
    EXPECT_FALSE(KeyExists(m_scratch, key));
    EXPECT_EQ(S_OK, unregisterServer()) << "unregistering what is not there is fine";
}

// The device service's class is served by one DLL at a time: registering
// another server of it (here a copy of the simulator under another name,
// standing in for the other device service) takes the class over, and each
// DLL's unregistration removes the class only while the class is its own.
TEST_F(SimRegistration, RegisteringReplacesAnotherServerAndUnregisterRemovesOnlyItsOwn)
{
    const std::string otherPath = WorkPath("OtherService.dll");
    ASSERT_TRUE(CopyFileA(SimulatorDllPath().c_str(), otherPath.c_str(), FALSE));
    LoadModule();
    HMODULE other = LoadLibraryA(otherPath.c_str());
    ASSERT_TRUE(other != NULL);
    RegisterFn registerSim = SimProc<RegisterFn>(Module(), "DllRegisterServer");
    RegisterFn unregisterSim = SimProc<RegisterFn>(Module(), "DllUnregisterServer");
    RegisterFn registerOther = SimProc<RegisterFn>(other, "DllRegisterServer");
    RegisterFn unregisterOther = SimProc<RegisterFn>(other, "DllUnregisterServer");
    ASSERT_TRUE(registerSim != NULL && unregisterSim != NULL && registerOther != NULL
                && unregisterOther != NULL);

    const std::string key = ClassKeyName();
    const std::string server = key + "\\InprocServer32";
    auto registered = [&]() { return ValueText(m_scratch, server, NULL); };
    auto names = [&](const std::string& path) { return lstrcmpiA(path.c_str(), registered().c_str()) == 0; };

    EXPECT_EQ(S_OK, registerSim());
    EXPECT_TRUE(names(SimulatorDllPath())) << registered();
    EXPECT_EQ(S_OK, registerOther());
    EXPECT_TRUE(names(otherPath)) << "registering the other replaces the simulator: " << registered();
    EXPECT_EQ("Apartment", ValueText(m_scratch, server, "ThreadingModel"));
    EXPECT_EQ(S_OK, unregisterSim());
    EXPECT_TRUE(names(otherPath)) << "the simulator's unregistration leaves the other's: " << registered();
    EXPECT_TRUE(JournalHas("(another DLL's; left)"));
    EXPECT_EQ(S_OK, unregisterOther());
    EXPECT_FALSE(KeyExists(m_scratch, key)) << "the other's unregistration removes its own";

    EXPECT_EQ(S_OK, registerOther());
    EXPECT_EQ(S_OK, registerSim());
    EXPECT_TRUE(names(SimulatorDllPath())) << "and back: " << registered();
    EXPECT_EQ(S_OK, unregisterOther());
    EXPECT_TRUE(names(SimulatorDllPath())) << registered();

    // The class still names the simulator when written with another spelling
    // of its path (its short name, as an installer may write it).
    char shortPath[MAX_PATH];
    const DWORD got = GetShortPathNameA(SimulatorDllPath().c_str(), shortPath, MAX_PATH);
    ASSERT_TRUE(got > 0 && got < MAX_PATH);
    ASSERT_NE(0, lstrcmpiA(shortPath, SimulatorDllPath().c_str())) << "no short name to try";
    HKEY serverKey = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_scratch, server.c_str(), 0, KEY_SET_VALUE, &serverKey));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(serverKey, NULL, 0, REG_SZ, reinterpret_cast<const BYTE*>(shortPath),
                                            got + 1));
    RegCloseKey(serverKey);
    EXPECT_EQ(S_OK, unregisterOther());
    EXPECT_TRUE(KeyExists(m_scratch, key));
    EXPECT_EQ(S_OK, unregisterSim());
    EXPECT_FALSE(KeyExists(m_scratch, key)) << "the simulator's own registration, written short, is removed";

    FreeLibrary(other);
}
