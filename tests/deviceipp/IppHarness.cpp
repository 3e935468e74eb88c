// IppHarness.cpp - IppServiceTest and its helpers.
#include "IppHarness.h"

#include <tlhelp32.h>

#include "support/HostTools.h"

namespace {

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFn)();

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

std::string Text(IServiceDevice* device, HRESULT(STDMETHODCALLTYPE IServiceDevice::*getter)(BSTR*))
{
    BstrHolder text;
    (device->*getter)(text.Out());
    return text.Ansi();
}

} // namespace

std::string ProgramDirectory()
{
    char path[MAX_PATH];
    const DWORD got = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string text(path, got);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

std::string ReadTextFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
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

bool WriteTextFile(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
    return ok && written == text.size();
}

long ThreadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    long count = 0;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == self)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

IppServiceTest::IppServiceTest()
    : m_module(NULL), m_service(NULL), m_withoutCups(false)
{
}

std::string IppServiceTest::DllPath()
{
    char full[MAX_PATH];
    const std::string relative = ProgramDirectory() + "..\\bin\\DeviceIpp.dll";
    const DWORD got = GetFullPathNameA(relative.c_str(), MAX_PATH, full, NULL);
    return got > 0 && got < MAX_PATH ? std::string(full, got) : relative;
}

void IppServiceTest::SetUp()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string root = ProgramDirectory() + "deviceipp_work\\";
    CreateDirectoryA(root.c_str(), NULL);
    m_dir = root + info->test_suite_name() + "." + info->name() + "\\";
    for (size_t i = root.size(); i < m_dir.size(); ++i) {
        if (m_dir[i] == '/')
            m_dir[i] = '_';
    }
    CreateDirectoryA(m_dir.c_str(), NULL);
    EmptyDirectory(m_dir);
    m_config.clear();
    const char* server = getenv("CUPS_SERVER");
    m_savedCupsServer = server != NULL ? server : "";
}

void IppServiceTest::TearDown()
{
    if (m_module != NULL)
        Unload();
    for (size_t i = 0; i < m_queues.size(); ++i)
        hosttools::HostRun("lpadmin -x " + m_queues[i]);
    if (m_withoutCups)
        SetEnvironmentVariableA("CUPS_SERVER", m_savedCupsServer.c_str());
}

void IppServiceTest::UseConfig(const std::string& text)
{
    m_config = text;
    ASSERT_TRUE(WriteTextFile(WorkPath("DeviceIpp.ini"), m_config + (m_withoutCups ? "\r\ncups off\r\n" : "")));
}

void IppServiceTest::WithoutCups()
{
    m_withoutCups = true;
    SetEnvironmentVariableA("CUPS_SERVER", NULL);
    UseConfig(m_config);
}

void IppServiceTest::LoadModule()
{
    ASSERT_EQ(NULL, m_module) << "the service is loaded already";
    if (m_config.empty())
        UseConfig("# no printers of its own");
    SetEnvironmentVariableA("DEVICEIPP_CONFIG", WorkPath("DeviceIpp.ini").c_str());
    SetEnvironmentVariableA("DEVICEIPP_STATE", StatePath().c_str());
    SetEnvironmentVariableA("DEVICEIPP_JOURNAL", JournalPath().c_str());
    m_module = LoadLibraryA(DllPath().c_str());
    ASSERT_TRUE(m_module != NULL) << "cannot load " << DllPath();
}

HRESULT IppServiceTest::CreateService(IDeviceService** ppService)
{
    *ppService = NULL;
    GetClassObjectFn getClassObject = DllProc<GetClassObjectFn>(m_module, "DllGetClassObject");
    if (getClassObject == NULL)
        return E_FAIL;
    IClassFactory* factory = NULL;
    HRESULT hr = getClassObject(CLSID_DeviceService, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || factory == NULL)
        return FAILED(hr) ? hr : E_FAIL;
    hr = factory->CreateInstance(NULL, IID_IDeviceService, reinterpret_cast<void**>(ppService));
    factory->Release();
    return hr;
}

void IppServiceTest::Load()
{
    LoadModule();
    if (m_module == NULL)
        return;
    ASSERT_EQ(S_OK, CreateService(&m_service));
    ASSERT_TRUE(m_service != NULL);
}

HRESULT IppServiceTest::CanUnloadNow()
{
    CanUnloadNowFn canUnload = DllProc<CanUnloadNowFn>(m_module, "DllCanUnloadNow");
    return canUnload != NULL ? canUnload() : E_FAIL;
}

HRESULT IppServiceTest::Unload()
{
    if (m_module == NULL)
        return E_UNEXPECTED;
    if (m_service != NULL)
        m_service->Release();
    m_service = NULL;
    HRESULT canUnload = CanUnloadNow();
    for (int i = 0; i < 100 && canUnload != S_OK; ++i) {
        Sleep(100);
        canUnload = CanUnloadNow();
    }
    EXPECT_EQ(S_OK, canUnload) << "the service keeps the DLL busy";
    FreeLibrary(m_module);
    m_module = NULL;
    EXPECT_TRUE(GetModuleHandleA("DeviceIpp.dll") == NULL) << "DeviceIpp.dll stayed loaded";
    return canUnload;
}

std::vector<DeviceRow> IppServiceTest::Rows()
{
    std::vector<DeviceRow> rows;
    ComRef<IUnknown> object;
    ComRef<IServiceDevices> devices;
    long count = 0;
    if (m_service == NULL || FAILED(m_service->GetDevices(object.Out()))
        || FAILED(devices.QueryFrom(object.Get(), IID_IServiceDevices)) || FAILED(devices->Count(&count)))
        return rows;
    for (long i = 1; i <= count; ++i) {
        VARIANT item;
        VariantInit(&item);
        ComRef<IServiceDevice> device;
        if (SUCCEEDED(devices->Item(i, &item)) && SUCCEEDED(device.QueryFrom(item.punkVal, IID_IServiceDevice))) {
            DeviceRow row;
            row.position = i;
            row.id = 0;
            row.type = -1;
            device->Id(&row.id);
            device->Type(&row.type);
            row.name = Text(device.Get(), &IServiceDevice::Name);
            row.column1 = Text(device.Get(), &IServiceDevice::ColumnText1);
            row.column2 = Text(device.Get(), &IServiceDevice::ColumnText2);
            row.detail1 = Text(device.Get(), &IServiceDevice::DetailText1);
            row.detail2 = Text(device.Get(), &IServiceDevice::DetailText2);
            row.detail3 = Text(device.Get(), &IServiceDevice::DetailText3);
            row.number = -1;
            row.numberResult = device->DetailNumber(&row.number);
            rows.push_back(row);
        }
        device.Release();
        VariantClear(&item);
    }
    return rows;
}

std::vector<DeviceRow> IppServiceTest::RowsOnceAnswered(const std::vector<std::string>& names, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<DeviceRow> rows = Rows();
        bool answered = true;
        for (size_t i = 0; i < names.size() && answered; ++i) {
            const DeviceRow* row = FindRow(rows, names[i]);
            answered = row != NULL && row->column2 != "Connecting" && row->column2 != "Not reachable";
        }
        if (answered || GetTickCount() - start >= timeoutMs)
            return rows;
        Sleep(200);
    }
}

const DeviceRow* IppServiceTest::FindRow(const std::vector<DeviceRow>& rows, const std::string& name)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].name == name)
            return &rows[i];
    }
    return NULL;
}

void IppServiceTest::SettingsOf(long id, ComRef<IServiceDriverSettings>& settings)
{
    settings.Release();
    ASSERT_EQ(S_OK, m_service->SetCurrentDevice(id));
    ComRef<IUnknown> object;
    ASSERT_EQ(S_OK, m_service->GetSettings(2, object.Out()));
    ASSERT_EQ(S_OK, settings.QueryFrom(object.Get(), IID_IServiceDriverSettings));
    BstrHolder name;
    ASSERT_EQ(S_OK, m_service->GetSettingsDeviceName(name.Out()));
    ASSERT_EQ(S_OK, settings->SetDevice(name.Get()));
}

std::string IppServiceTest::DeviceText()
{
    BstrHolder text;
    if (FAILED(m_service->GetDeviceText(text.Out())))
        return "(failed)";
    return text.Ansi();
}

std::vector<std::string> IppServiceTest::Journal() const
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

int IppServiceTest::JournalCount(const std::string& text) const
{
    const std::vector<std::string> lines = Journal();
    int count = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(text) != std::string::npos)
            ++count;
    }
    return count;
}

std::string IppServiceTest::Server()
{
    return hosttools::CupsServer();
}

std::vector<HostQueue> IppServiceTest::HostQueues()
{
    // "printer office is idle.  enabled since ..." / "printer stopped disabled since ..."
    // followed by indented lines, "\tLocation: Room 101" among them.
    std::string out;
    std::vector<HostQueue> queues;
    if (hosttools::HostRun("LC_ALL=C lpstat -l -p", &out) != 0)
        return queues;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        const std::string line = out.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, 8, "printer ") == 0) {
            HostQueue queue;
            const size_t blank = line.find(' ', 8);
            queue.name = line.substr(8, blank - 8);
            queue.enabled = line.find("disabled") == std::string::npos;
            queues.push_back(queue);
        } else if (!queues.empty()) {
            const size_t at = line.find("Location: ");
            if (at != std::string::npos)
                queues.back().location = line.substr(at + 10);
        }
    }
    return queues;
}

void IppServiceTest::AddQueue(const std::string& name, const std::string& arguments)
{
    std::string out;
    ASSERT_EQ(0, hosttools::HostRun("lpadmin -p " + name + " -E " + arguments, &out)) << out;
    m_queues.push_back(name);
}
