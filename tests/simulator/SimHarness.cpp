// SimHarness.cpp - SimTest and the file helpers of the simulator tests.
#include "SimHarness.h"

#include <shlobj.h>

#include <vector>

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFn)();

void MakeDirectory(const std::string& path)
{
    CreateDirectoryA(path.c_str(), NULL);
}

// Empties a directory of its files (the tests make no subdirectories).
void EmptyDirectory(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            DeleteFileA((dir + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace

std::string TwoDeviceConfig()
{
    std::string text =
        "# two devices for the simulator tests\r\n"
        "device id=501 type=2 name=\"Alpha MFP\" col1=\"Alpha column 1\" col2=\"Alpha column 2\""
        " detail1=\"Alpha detail 1\" detail2=\"Alpha detail 2\" detail3=\"Alpha detail 3\""
        " number=1234 text=\"Alpha device text\" settings=ALPHA@USB numbermax=300"
        " exec=0x0AE alt=0x054 unavailable=10-12,200 mem.5=4321";
    for (int k = 1; k <= 13; ++k)
        text += " default.Option" + std::to_string(k) + "=" + std::to_string(100 + k);
    text += " default.Number=114 default.Choice=115 default.Switch=116\r\n";
    text += "device id=502 type=4 name=\"Beta MFP\" col1=\"Beta column 1\" col2=\"Beta column 2\""
            " detail1=\"Beta detail 1\" detail2=\"Beta detail 2\" detail3=\"Beta detail 3\""
            " number=5678 text=\"Beta device text\" settings=BETA@NET numbermax=77 exec=0xFFE alt=0";
    for (int k = 1; k <= 13; ++k)
        text += " default.Option" + std::to_string(k) + "=" + std::to_string(200 + k);
    text += " default.Number=214 default.Choice=215 default.Switch=216\r\n";
    return text;
}

std::string ProgramDirectory()
{
    char path[MAX_PATH];
    const DWORD got = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string text(path, got);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

std::string SimulatorDllPath()
{
    char full[MAX_PATH];
    const std::string relative = ProgramDirectory() + "..\\bin\\DeviceSim.dll";
    const DWORD got = GetFullPathNameA(relative.c_str(), MAX_PATH, full, NULL);
    return got > 0 && got < MAX_PATH ? std::string(full, got) : relative;
}

std::string LocalAppDataFolder()
{
    char path[MAX_PATH] = "";
    if (SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, path) != S_OK)
        return std::string();
    return path;
}

std::string DefaultStatePath()
{
    return LocalAppDataFolder() + "\\Device Service\\DeviceSim\\DeviceSim.state";
}

void RemoveDefaultState()
{
    const std::string vendor = LocalAppDataFolder() + "\\Device Service";
    DeleteFileA(DefaultStatePath().c_str());
    DeleteFileA((DefaultStatePath() + ".tmp").c_str());
    RemoveDirectoryA((vendor + "\\DeviceSim").c_str());
    RemoveDirectoryA(vendor.c_str());
    DeleteFileA(vendor.c_str());    // a file put where the folder belongs
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
    return ok && written == text.size();
}

std::string ReadTextFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

SimTest::SimTest()
    : m_variables(true), m_module(NULL), m_service(NULL)
{
}

SimTest::~SimTest()
{
}

void SimTest::SetUp()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string root = ProgramDirectory() + "simulator_work\\";
    MakeDirectory(root);
    m_dir = root + info->test_suite_name() + "." + info->name() + "\\";
    for (size_t i = root.size(); i < m_dir.size(); ++i) {
        if (m_dir[i] == '/')
            m_dir[i] = '_';
    }
    MakeDirectory(m_dir);
    EmptyDirectory(m_dir);
}

void SimTest::TearDown()
{
    if (m_module != NULL)
        Unload();
    EXPECT_EQ(0, JournalCount("INTERNAL:")) << "an operation is missing from the fault catalogue";
}

void SimTest::UseDllCopyWithoutVariables()
{
    m_dll = WorkPath("DeviceSim.dll");
    ASSERT_TRUE(CopyFileA(SimulatorDllPath().c_str(), m_dll.c_str(), FALSE));
    m_variables = false;
}

void SimTest::UseConfig(const std::string& text)
{
    ASSERT_TRUE(WriteTextFile(ConfigPath(), text));
    m_config = ConfigPath();
}

void SimTest::LoadModule()
{
    ASSERT_EQ(NULL, m_module) << "the simulator is loaded already";
    const bool config = m_variables && !m_config.empty();
    SetEnvironmentVariableA("DEVICESIM_CONFIG", config ? m_config.c_str() : NULL);
    SetEnvironmentVariableA("DEVICESIM_STATE", m_variables ? StatePath().c_str() : NULL);
    SetEnvironmentVariableA("DEVICESIM_JOURNAL", JournalPath().c_str());
    const std::string dll = m_dll.empty() ? SimulatorDllPath() : m_dll;
    m_module = LoadLibraryA(dll.c_str());
    ASSERT_TRUE(m_module != NULL) << "cannot load " << dll;
}

HRESULT SimTest::CreateService(IDeviceService** ppService)
{
    *ppService = NULL;
    GetClassObjectFn getClassObject = SimProc<GetClassObjectFn>(m_module, "DllGetClassObject");
    if (getClassObject == NULL)
        return E_FAIL;
    IClassFactory* factory = NULL;
    HRESULT hr = getClassObject(CLSID_DeviceService, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || factory == NULL)
        return FAILED(hr) ? hr : E_FAIL;
    hr = factory->CreateInstance(NULL, IID_IDeviceService, reinterpret_cast<void**>(ppService));
    factory->Release();
    return hr;
}

void SimTest::Load()
{
    LoadModule();
    if (m_module == NULL)
        return;
    ASSERT_EQ(S_OK, CreateService(&m_service));
    ASSERT_TRUE(m_service != NULL);
}

HRESULT SimTest::CanUnloadNow()
{
    CanUnloadNowFn canUnload = SimProc<CanUnloadNowFn>(m_module, "DllCanUnloadNow");
    return canUnload != NULL ? canUnload() : E_FAIL;
}

HRESULT SimTest::Unload()
{
    if (m_module == NULL)
        return E_UNEXPECTED;
    if (m_service != NULL)
        m_service->Release();
    m_service = NULL;
    const HRESULT canUnload = CanUnloadNow();
    FreeLibrary(m_module);
    m_module = NULL;
    EXPECT_TRUE(GetModuleHandleA("DeviceSim.dll") == NULL) << "DeviceSim.dll stayed loaded";
    return canUnload;
}

void SimTest::Reload()
{
    Unload();
    Load();
}

std::vector<std::string> SimTest::Journal() const
{
    const std::string text = ReadTextFile(JournalPath());
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string SimTest::LastJournalLine() const
{
    const std::vector<std::string> lines = Journal();
    return lines.empty() ? std::string() : lines.back();
}

std::vector<std::string> SimTest::JournalSince(size_t mark) const
{
    const std::vector<std::string> lines = Journal();
    if (mark >= lines.size())
        return std::vector<std::string>();
    return std::vector<std::string>(lines.begin() + static_cast<long>(mark), lines.end());
}

bool SimTest::JournalHas(const std::string& text) const
{
    return JournalCount(text) > 0;
}

int SimTest::JournalCount(const std::string& text) const
{
    const std::vector<std::string> lines = Journal();
    int count = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(text) != std::string::npos)
            ++count;
    }
    return count;
}

long SimTest::CurrentIdentity()
{
    long identity = -1;
    EXPECT_EQ(S_OK, m_service->GetCurrentDevice(&identity));
    return identity;
}

void SimTest::MakeCurrent(long deviceId)
{
    EXPECT_EQ(S_OK, m_service->SetCurrentDevice(deviceId)) << "device " << deviceId;
}

long SimTest::Count()
{
    ComRef<IUnknown> object;
    ComRef<IServiceDevices> devices;
    long count = -1;
    if (SUCCEEDED(m_service->GetDevices(object.Out()))
        && SUCCEEDED(devices.QueryFrom(object.Get(), IID_IServiceDevices)))
        devices->Count(&count);
    return count;
}

std::vector<long> SimTest::DeviceIds()
{
    std::vector<long> ids;
    ComRef<IUnknown> object;
    ComRef<IServiceDevices> devices;
    long count = 0;
    if (FAILED(m_service->GetDevices(object.Out()))
        || FAILED(devices.QueryFrom(object.Get(), IID_IServiceDevices))
        || FAILED(devices->Count(&count)))
        return ids;
    for (long i = 1; i <= count; ++i) {
        VARIANT item;
        VariantInit(&item);
        ComRef<IServiceDevice> device;
        long id = 0;
        if (SUCCEEDED(devices->Item(i, &item))
            && SUCCEEDED(device.QueryFrom(item.punkVal, IID_IServiceDevice))
            && SUCCEEDED(device->Id(&id)))
            ids.push_back(id);
        device.Release();
        VariantClear(&item);
    }
    return ids;
}

long SimTest::ReadMemory(long location)
{
    ComRef<IUnknown> object;
    ComRef<IServiceMemory> memory;
    if (FAILED(m_service->GetSettings(1, object.Out()))
        || FAILED(memory.QueryFrom(object.Get(), IID_IServiceMemory)))
        return -1;
    VARIANT value;
    VariantInit(&value);
    long result = -1;
    if (SUCCEEDED(memory->ReadValue(location, &value)) && value.vt == VT_I4)
        result = value.lVal;
    VariantClear(&value);
    return result;
}

HRESULT SimTest::WriteMemory(long location, long value)
{
    ComRef<IUnknown> object;
    ComRef<IServiceMemory> memory;
    HRESULT hr = m_service->GetSettings(1, object.Out());
    if (SUCCEEDED(hr))
        hr = memory.QueryFrom(object.Get(), IID_IServiceMemory);
    if (FAILED(hr))
        return hr;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return memory->WriteValue(location, v);
}
