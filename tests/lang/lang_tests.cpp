// lang_tests.cpp: tests of a resource module ServiceRes.dll and of the
// executable's own resources (res/ServiceApp.rc, linked into this program).
//
// Helpers: DialogTemplate (an extended dialog template read from the module),
// LiveDialog (a dialog created for real from a template, under Wine's null
// driver in the test runs). Suites: Templates, Controls, Layout, Strings,
// Images, Language, SameIds, BuildOutput, ExecutableResources.
//
// Every language module passes the same checks; one ctest entry per module:
//
//   lang_tests [--module=lang/de/ServiceRes.dll] [--language=1031]
//              [--reference=lang/ServiceRes.dll]
//
// --module is the module under test, --language the language id all its
// resources carry, --reference another language's module that must hold the
// very same ids (and different texts). Paths are relative to the folder of
// what ships: ..\bin beside this program's folder (build/tests -> build/bin),
// or where SERVICE_BIN_DIR points. Without options: the English module, 1033,
// against the German one.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lang/ServiceRes.h"

namespace {

// ---------------------------------------------------------------------------
// The module under test

std::string ExeDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return ".";
    std::string s(path, n);
    size_t slash = s.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

// Returns the folder that holds what ships: ServiceApp.exe, prodinfo.ini, lang\.
std::string BinDir()
{
    char env[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("SERVICE_BIN_DIR", env, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return std::string(env, n);
    return ExeDir() + "\\..\\bin";
}

// What the command line chose (see the head of this file).
struct Options {
    std::string module = "lang\\ServiceRes.dll";
    std::string reference = "lang\\de\\ServiceRes.dll";
    LANGID language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
};

Options& TheOptions()
{
    static Options options;
    return options;
}

std::string Backslashed(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Returns the full path of a module given relative to the shipping folder.
std::string ModulePath(const std::string& relative)
{
    return BinDir() + "\\" + relative;
}

// Returns the loaded resource module under test (NULL when it cannot be
// loaded); loads the common controls first, as the application does.
HMODULE Module()
{
    static HMODULE hModule = [] {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES };
        InitCommonControlsEx(&icc);
        return LoadLibraryA(ModulePath(TheOptions().module).c_str());
    }();
    return hModule;
}

// Returns the reference module, another language's (NULL when it cannot be loaded).
HMODULE ReferenceModule()
{
    static HMODULE hModule = LoadLibraryExA(ModulePath(TheOptions().reference).c_str(), NULL,
                                            LOAD_LIBRARY_AS_DATAFILE);
    return hModule;
}

// Returns string id of a module (default: the one under test); empty when missing.
std::string Str(UINT id, HMODULE hModule = NULL)
{
    char buf[2048];
    int n = LoadStringA(hModule ? hModule : Module(), id, buf, sizeof(buf));
    return n > 0 ? std::string(buf, n) : std::string();
}

// Returns string id of the module under test as UTF-16, independent of the ANSI code page.
std::wstring WideStr(UINT id)
{
    wchar_t buf[2048];
    int n = LoadStringW(Module(), id, buf, sizeof(buf) / sizeof(buf[0]));
    return n > 0 ? std::wstring(buf, n) : std::wstring();
}

// A few texts of each language, spelled out, to catch a module built from the
// wrong source or with its umlauts mangled by the resource compiler.
struct KnownTexts {
    LANGID language;
    const wchar_t* close;
    const wchar_t* startupCaption;
    const wchar_t* parseInt;
    const wchar_t* devicesPage;
};

const KnownTexts kKnownTexts[] = {
    { MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"Close", L"Service Access", L"Please enter an integer.",
      L"Devices" },
    { MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), L"Schlie\u00DFen", L"Servicezugang",
      L"Bitte geben Sie eine ganze Zahl ein.", L"Ger\u00E4te" },
};

const KnownTexts* KnownTextsOf(LANGID language)
{
    for (const KnownTexts& known : kKnownTexts)
        if (known.language == language)
            return &known;
    return NULL;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

// Returns the access key of a text (the character after a single '&'), upper-cased; 0 if none.
char Mnemonic(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return (char)toupper((unsigned char)text[i + 1]);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Ids named by the application, dialog by dialog

const UINT kPages[] = { IDD_DEVICES_PAGE, IDD_MAINTENANCE_PAGE, IDD_MEMORY_PAGE, IDD_TASKS_PAGE,
                        IDD_PROCEDURES_PAGE, IDD_REPORTS_PAGE, IDD_DRIVER_PAGE };
const UINT kDialogs[] = { IDD_STARTUP, IDD_DEVICES_PAGE, IDD_MAINTENANCE_PAGE, IDD_MEMORY_PAGE, IDD_TASKS_PAGE,
                          IDD_PROCEDURES_PAGE, IDD_REPORTS_PAGE, IDD_DRIVER_PAGE };

enum Kind {
    kPush,      // push button
    kDefPush,   // default push button
    kCheck,     // auto check box
    kRadio,     // auto radio button
    kEdit,      // editable edit control
    kStatic,    // static text
    kLabel,     // static text or group box
    kFrame,     // button-class control that shows a caption: group box or push button
    kList,      // list view
    kUpDown,    // up-down control
    kIcon,      // static icon
    kDisplay,   // read-only edit or static text
    kAny        // any window
};

struct NamedControl { UINT dialog; int id; Kind kind; };

const NamedControl kControls[] = {
    { IDD_STARTUP, 15350, kStatic }, { IDD_STARTUP, 15351, kEdit }, { IDD_STARTUP, 15352, kDefPush },
    { IDD_STARTUP, 15353, kStatic }, { IDD_STARTUP, 15354, kStatic }, { IDD_STARTUP, 15355, kIcon },
    { IDD_STARTUP, IDCANCEL, kPush },

    { IDD_DEVICES_PAGE, 15356, kFrame }, { IDD_DEVICES_PAGE, 15357, kDisplay },
    { IDD_DEVICES_PAGE, 15358, kFrame }, { IDD_DEVICES_PAGE, 15359, kDisplay },
    { IDD_DEVICES_PAGE, 15360, kFrame }, { IDD_DEVICES_PAGE, 15361, kDisplay },
    { IDD_DEVICES_PAGE, 15362, kFrame }, { IDD_DEVICES_PAGE, 15363, kDisplay },
    { IDD_DEVICES_PAGE, 15364, kList }, { IDD_DEVICES_PAGE, 15365, kAny },

    { IDD_MAINTENANCE_PAGE, 15366, kAny }, { IDD_MAINTENANCE_PAGE, 15367, kPush },
    { IDD_MAINTENANCE_PAGE, 15369, kAny }, { IDD_MAINTENANCE_PAGE, 15370, kPush },
    { IDD_MAINTENANCE_PAGE, 15371, kAny }, { IDD_MAINTENANCE_PAGE, 15372, kPush },
    { IDD_MAINTENANCE_PAGE, 15373, kAny },

    { IDD_MEMORY_PAGE, 15374, kEdit }, { IDD_MEMORY_PAGE, 15378, kEdit },
    { IDD_MEMORY_PAGE, 15375, kDisplay }, { IDD_MEMORY_PAGE, 15386, kDisplay }, { IDD_MEMORY_PAGE, 15385, kDisplay },
    { IDD_MEMORY_PAGE, 15376, kPush }, { IDD_MEMORY_PAGE, 15377, kPush }, { IDD_MEMORY_PAGE, 15388, kPush },
    { IDD_MEMORY_PAGE, 15379, kPush },
    { IDD_MEMORY_PAGE, 15383, kLabel }, { IDD_MEMORY_PAGE, 15380, kLabel }, { IDD_MEMORY_PAGE, 15381, kLabel },
    { IDD_MEMORY_PAGE, 15387, kLabel }, { IDD_MEMORY_PAGE, 15382, kLabel }, { IDD_MEMORY_PAGE, 15384, kLabel },

    { IDD_TASKS_PAGE, 15389, kPush }, { IDD_TASKS_PAGE, 15390, kPush }, { IDD_TASKS_PAGE, 15391, kStatic },
    { IDD_TASKS_PAGE, 15392, kStatic }, { IDD_TASKS_PAGE, 15393, kStatic }, { IDD_TASKS_PAGE, 15394, kPush },
    { IDD_TASKS_PAGE, 15395, kStatic },

    { IDD_PROCEDURES_PAGE, 15398, kPush }, { IDD_PROCEDURES_PAGE, 15400, kPush },
    { IDD_PROCEDURES_PAGE, 15403, kPush }, { IDD_PROCEDURES_PAGE, 15420, kPush },
    { IDD_PROCEDURES_PAGE, 15406, kPush }, { IDD_PROCEDURES_PAGE, 15410, kPush },
    { IDD_PROCEDURES_PAGE, 15408, kPush }, { IDD_PROCEDURES_PAGE, 15413, kPush },
    { IDD_PROCEDURES_PAGE, 15415, kPush },
    { IDD_PROCEDURES_PAGE, 15416, kCheck }, { IDD_PROCEDURES_PAGE, 15417, kCheck },
    { IDD_PROCEDURES_PAGE, 15419, kDisplay },
    { IDD_PROCEDURES_PAGE, 15396, kLabel }, { IDD_PROCEDURES_PAGE, 15397, kLabel },
    { IDD_PROCEDURES_PAGE, 15399, kLabel }, { IDD_PROCEDURES_PAGE, 15401, kLabel },
    { IDD_PROCEDURES_PAGE, 15402, kLabel }, { IDD_PROCEDURES_PAGE, 15421, kLabel },
    { IDD_PROCEDURES_PAGE, 15404, kLabel }, { IDD_PROCEDURES_PAGE, 15405, kLabel },
    { IDD_PROCEDURES_PAGE, 15409, kLabel }, { IDD_PROCEDURES_PAGE, 15407, kLabel },
    { IDD_PROCEDURES_PAGE, 15411, kLabel }, { IDD_PROCEDURES_PAGE, 15412, kLabel },
    { IDD_PROCEDURES_PAGE, 15414, kLabel }, { IDD_PROCEDURES_PAGE, 15418, kLabel },

    { IDD_REPORTS_PAGE, 15420, kLabel }, { IDD_REPORTS_PAGE, 15421, kRadio }, { IDD_REPORTS_PAGE, 15422, kCheck },
    { IDD_REPORTS_PAGE, 15423, kRadio }, { IDD_REPORTS_PAGE, 15424, kRadio }, { IDD_REPORTS_PAGE, 15425, kLabel },
    { IDD_REPORTS_PAGE, 15426, kRadio }, { IDD_REPORTS_PAGE, 15427, kRadio }, { IDD_REPORTS_PAGE, 15428, kLabel },
    { IDD_REPORTS_PAGE, 15429, kRadio }, { IDD_REPORTS_PAGE, 15430, kCheck }, { IDD_REPORTS_PAGE, 15431, kRadio },
    { IDD_REPORTS_PAGE, 15432, kRadio }, { IDD_REPORTS_PAGE, 15433, kRadio }, { IDD_REPORTS_PAGE, 15434, kPush },
    { IDD_REPORTS_PAGE, 15435, kPush },

    { IDD_DRIVER_PAGE, IDOK, kPush },
    { IDD_DRIVER_PAGE, 15436, kCheck }, { IDD_DRIVER_PAGE, 15437, kCheck }, { IDD_DRIVER_PAGE, 15438, kCheck },
    { IDD_DRIVER_PAGE, 15439, kCheck }, { IDD_DRIVER_PAGE, 15440, kCheck }, { IDD_DRIVER_PAGE, 15442, kCheck },
    { IDD_DRIVER_PAGE, 15443, kCheck }, { IDD_DRIVER_PAGE, 15444, kCheck }, { IDD_DRIVER_PAGE, 15445, kCheck },
    { IDD_DRIVER_PAGE, 15453, kCheck }, { IDD_DRIVER_PAGE, 15454, kCheck }, { IDD_DRIVER_PAGE, 15455, kCheck },
    { IDD_DRIVER_PAGE, 15449, kRadio }, { IDD_DRIVER_PAGE, 15450, kRadio }, { IDD_DRIVER_PAGE, 15451, kRadio },
    { IDD_DRIVER_PAGE, 15457, kRadio }, { IDD_DRIVER_PAGE, 15458, kRadio },
    { IDD_DRIVER_PAGE, 15447, kLabel }, { IDD_DRIVER_PAGE, 15448, kLabel }, { IDD_DRIVER_PAGE, 15452, kLabel },
    { IDD_DRIVER_PAGE, 15456, kLabel },
    { IDD_DRIVER_PAGE, 15459, kPush }, { IDD_DRIVER_PAGE, 15462, kPush },
    { IDD_DRIVER_PAGE, 15461, kEdit }, { IDD_DRIVER_PAGE, 15460, kUpDown },
};

// Texts that the application sets from the string table; id 0 is the dialog's caption.
struct StringText { UINT dialog; int id; UINT string; };

const StringText kTexts[] = {
    { IDD_STARTUP, 0, 23407 }, { IDD_STARTUP, 15350, 23478 }, { IDD_STARTUP, 15353, 23408 },
    { IDD_STARTUP, 15354, 23409 },

    { IDD_DEVICES_PAGE, 0, 23365 }, { IDD_DEVICES_PAGE, 15356, 23369 }, { IDD_DEVICES_PAGE, 15358, 23368 },
    { IDD_DEVICES_PAGE, 15360, 23370 }, { IDD_DEVICES_PAGE, 15362, 23371 }, { IDD_DEVICES_PAGE, 15365, 23477 },

    { IDD_MAINTENANCE_PAGE, 0, 23377 }, { IDD_MAINTENANCE_PAGE, 15373, 23378 },
    { IDD_MAINTENANCE_PAGE, 15366, 23380 }, { IDD_MAINTENANCE_PAGE, 15369, 23379 },
    { IDD_MAINTENANCE_PAGE, 15371, 23381 },

    { IDD_MEMORY_PAGE, 0, 23398 }, { IDD_MEMORY_PAGE, 15383, 23399 }, { IDD_MEMORY_PAGE, 15380, 23400 },
    { IDD_MEMORY_PAGE, 15381, 23403 }, { IDD_MEMORY_PAGE, 15387, 23488 }, { IDD_MEMORY_PAGE, 15382, 23404 },
    { IDD_MEMORY_PAGE, 15377, 23402 }, { IDD_MEMORY_PAGE, 15388, 23490 }, { IDD_MEMORY_PAGE, 15376, 23401 },
    { IDD_MEMORY_PAGE, 15379, 23405 }, { IDD_MEMORY_PAGE, 15384, 23406 },

    { IDD_TASKS_PAGE, 0, 23411 }, { IDD_TASKS_PAGE, 15391, 23412 }, { IDD_TASKS_PAGE, 15393, 23413 },
    { IDD_TASKS_PAGE, 15392, 23492 }, { IDD_TASKS_PAGE, 15395, 23492 },

    { IDD_PROCEDURES_PAGE, 0, 23415 },
    { IDD_PROCEDURES_PAGE, 15396, 23417 }, { IDD_PROCEDURES_PAGE, 15397, 23421 },
    { IDD_PROCEDURES_PAGE, 15399, 23422 }, { IDD_PROCEDURES_PAGE, 15401, 23418 },
    { IDD_PROCEDURES_PAGE, 15402, 23423 }, { IDD_PROCEDURES_PAGE, 15421, 23496 },
    { IDD_PROCEDURES_PAGE, 15404, 23419 }, { IDD_PROCEDURES_PAGE, 15405, 23424 },
    { IDD_PROCEDURES_PAGE, 15409, 23425 }, { IDD_PROCEDURES_PAGE, 15407, 23426 },
    { IDD_PROCEDURES_PAGE, 15411, 23420 }, { IDD_PROCEDURES_PAGE, 15412, 23427 },
    { IDD_PROCEDURES_PAGE, 15414, 23428 }, { IDD_PROCEDURES_PAGE, 15417, 23429 },
    { IDD_PROCEDURES_PAGE, 15416, 23430 }, { IDD_PROCEDURES_PAGE, 15418, 23495 },

    { IDD_REPORTS_PAGE, 0, 23432 },
    { IDD_REPORTS_PAGE, 15420, 23438 }, { IDD_REPORTS_PAGE, 15421, 23436 }, { IDD_REPORTS_PAGE, 15422, 23437 },
    { IDD_REPORTS_PAGE, 15423, 23434 }, { IDD_REPORTS_PAGE, 15424, 23435 }, { IDD_REPORTS_PAGE, 15425, 23439 },
    { IDD_REPORTS_PAGE, 15426, 23440 }, { IDD_REPORTS_PAGE, 15427, 23441 }, { IDD_REPORTS_PAGE, 15428, 23442 },
    { IDD_REPORTS_PAGE, 15429, 23445 }, { IDD_REPORTS_PAGE, 15430, 23446 }, { IDD_REPORTS_PAGE, 15432, 23444 },
    { IDD_REPORTS_PAGE, 15433, 23447 }, { IDD_REPORTS_PAGE, 15434, 23448 }, { IDD_REPORTS_PAGE, 15435, 23449 },

    { IDD_DRIVER_PAGE, 0, 23450 },
    { IDD_DRIVER_PAGE, 15436, 23461 }, { IDD_DRIVER_PAGE, 15437, 23458 }, { IDD_DRIVER_PAGE, 15438, 23456 },
    { IDD_DRIVER_PAGE, 15439, 23457 }, { IDD_DRIVER_PAGE, 15440, 23459 }, { IDD_DRIVER_PAGE, 15442, 23451 },
    { IDD_DRIVER_PAGE, 15443, 23454 }, { IDD_DRIVER_PAGE, 15444, 23455 }, { IDD_DRIVER_PAGE, 15445, 23460 },
    { IDD_DRIVER_PAGE, 15447, 23463 }, { IDD_DRIVER_PAGE, 15448, 23471 }, { IDD_DRIVER_PAGE, 15449, 23472 },
    { IDD_DRIVER_PAGE, 15450, 23473 }, { IDD_DRIVER_PAGE, 15451, 23474 }, { IDD_DRIVER_PAGE, 15452, 23464 },
    { IDD_DRIVER_PAGE, 15453, 23465 }, { IDD_DRIVER_PAGE, 15454, 23466 }, { IDD_DRIVER_PAGE, 15455, 23467 },
    { IDD_DRIVER_PAGE, 15456, 23468 }, { IDD_DRIVER_PAGE, 15457, 23429 }, { IDD_DRIVER_PAGE, 15458, 23430 },
    { IDD_DRIVER_PAGE, 15459, 23475 }, { IDD_DRIVER_PAGE, IDOK, 23476 },
};

// Every string id the application loads.
const UINT kStringIds[] = {
    23365, 23368, 23369, 23370, 23371, 23374, 23375, 23376, 23377, 23378, 23379, 23380, 23381,
    23398, 23399, 23400, 23401, 23402, 23403, 23404, 23405, 23406, 23407, 23408, 23409, 23411,
    23412, 23413, 23415, 23417, 23418, 23419, 23420, 23421, 23422, 23423, 23424, 23425, 23426,
    23427, 23428, 23429, 23430, 23432, 23434, 23435, 23436, 23437, 23438, 23439, 23440, 23441,
    23442, 23444, 23445, 23446, 23447, 23448, 23449, 23450, 23451, 23454, 23455, 23456, 23457,
    23458, 23459, 23460, 23461, 23463, 23464, 23465, 23466, 23467, 23468, 23471, 23472, 23473,
    23474, 23475, 23476, 23477, 23478, 23479, 23480, 23481, 23482, 23484, 23485, 23486, 23487,
    23488, 23489, 23490, 23492, 23493, 23494, 23495, 23496, 23497, 23498, 23499, 23500, 23501, 23502,
    AFX_IDP_PARSE_INT,
};

// The FormatMessage templates and the inserts each must hold, in order.
struct MessageTemplate { UINT string; std::vector<std::string> inserts; };

const MessageTemplate kMessageTemplates[] = {
    { IDS_MEM_RANGE_TEXT, { "%1!d!", "%2!d!" } },
    { IDS_MEM_VALUE_RANGE_TEXT, { "%1!d!", "%2!d!" } },
    { IDS_INSTANCE_SLOT_FAILED, { "%1!lu!" } },
    { IDS_DRV_NOT_TAKEN, { "%1" } },
};

// The printf templates and the conversions each must hold, in order.
struct PrintfTemplate { UINT string; std::vector<std::string> inserts; };

const PrintfTemplate kPrintfTemplates[] = {
    { IDS_MEM_WRITTEN, { "%ld", "%ld" } },
    { IDS_MEM_NOT_AVAILABLE, { "%ld" } },
    { IDS_MEM_UNCHANGED, { "%ld", "%ld" } },
    { IDS_MEM_WRITE_FAILED, { "%ld" } },
};

const UINT kIcons[] = { IDI_APP, IDI_DEVICE_TYPE1, IDI_DEVICE_TYPE3, IDI_DEVICE_TYPE2, IDI_DEVICE_TYPE0 };
const UINT kDeviceIcons[] = { IDI_DEVICE_TYPE1, IDI_DEVICE_TYPE2, IDI_DEVICE_TYPE3, IDI_DEVICE_TYPE0 };

// The model code names that open the application: no text may give them away.
const char* const kModelNames[] = { "MIRREL", "VOSKA", "BRENNIK", "TAVERIN", "KESSLY", "ORMEK" };

// ---------------------------------------------------------------------------
// DialogTemplate: an extended dialog template, read with bounds checks

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string cls;
    std::string text;
};

class DialogTemplate {
public:
    // Reads template id of the module; ok() tells whether it was found and well formed.
    // (hModule NULL: the module under test).
    explicit DialogTemplate(UINT id, HMODULE hModule = NULL)
    {
        if (!hModule)
            hModule = Module();
        HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
        if (!hRes)
            return;
        HGLOBAL hData = LoadResource(hModule, hRes);
        m_data = hData ? static_cast<const BYTE*>(LockResource(hData)) : NULL;
        m_size = SizeofResource(hModule, hRes);
        if (m_data)
            m_ok = Parse();
    }

    bool ok() const { return m_ok; }
    DWORD style() const { return m_style; }
    int cx() const { return m_cx; }
    int cy() const { return m_cy; }
    const std::string& caption() const { return m_caption; }
    const std::string& face() const { return m_face; }
    int pointSize() const { return m_pointSize; }
    const std::vector<TemplateItem>& items() const { return m_items; }

    // Returns the item with the control id, or NULL.
    const TemplateItem* Item(int id) const
    {
        for (const TemplateItem& item : m_items)
            if (item.id == id)
                return &item;
        return NULL;
    }

private:
    bool Word(WORD* w)
    {
        if (m_pos + 2 > m_size)
            return false;
        memcpy(w, m_data + m_pos, 2);
        m_pos += 2;
        return true;
    }
    bool Dword(DWORD* d)
    {
        if (m_pos + 4 > m_size)
            return false;
        memcpy(d, m_data + m_pos, 4);
        m_pos += 4;
        return true;
    }
    bool Short(int* v)
    {
        WORD w;
        if (!Word(&w))
            return false;
        *v = (short)w;
        return true;
    }
    // Reads a NUL-terminated UTF-16 text into ANSI.
    bool Text(std::string* out)
    {
        std::wstring wide;
        for (;;) {
            WORD w;
            if (!Word(&w))
                return false;
            if (w == 0)
                break;
            wide.push_back((wchar_t)w);
        }
        out->clear();
        if (!wide.empty()) {
            char buf[1024];
            int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), buf, sizeof(buf), NULL, NULL);
            out->assign(buf, n > 0 ? n : 0);
        }
        return true;
    }
    // Reads a text or an ordinal (given as "#n").
    bool TextOrOrdinal(std::string* out)
    {
        WORD w;
        if (m_pos + 2 > m_size)
            return false;
        memcpy(&w, m_data + m_pos, 2);
        if (w == 0xFFFF) {
            m_pos += 2;
            if (!Word(&w))
                return false;
            *out = "#" + std::to_string(w);
            return true;
        }
        return Text(out);
    }
    void Align()
    {
        m_pos = (m_pos + 3) & ~(size_t)3;
    }
    static std::string ClassName(const std::string& raw)
    {
        static const std::map<std::string, std::string> atoms = {
            { "#128", "Button" }, { "#129", "Edit" }, { "#130", "Static" },
            { "#131", "ListBox" }, { "#132", "ScrollBar" }, { "#133", "ComboBox" },
        };
        auto it = atoms.find(raw);
        return it == atoms.end() ? raw : it->second;
    }

    bool Parse()
    {
        WORD version, signature, count, weight;
        DWORD helpId;
        if (!Word(&version) || !Word(&signature) || version != 1 || signature != 0xFFFF)
            return false;
        if (!Dword(&helpId) || !Dword(&m_exStyle) || !Dword(&m_style) || !Word(&count))
            return false;
        int x, y;
        if (!Short(&x) || !Short(&y) || !Short(&m_cx) || !Short(&m_cy))
            return false;
        std::string menu, cls;
        if (!TextOrOrdinal(&menu) || !TextOrOrdinal(&cls) || !Text(&m_caption))
            return false;
        if (m_style & (DS_SETFONT | DS_SHELLFONT)) {
            WORD point;
            if (!Word(&point) || !Word(&weight) || m_pos + 2 > m_size)
                return false;
            m_pos += 2;  // italic, charset
            if (!Text(&m_face))
                return false;
            m_pointSize = point;
        }
        for (WORD i = 0; i < count; ++i) {
            Align();
            TemplateItem item;
            DWORD id;
            WORD extra;
            if (!Dword(&helpId) || !Dword(&item.exStyle) || !Dword(&item.style))
                return false;
            if (!Short(&item.x) || !Short(&item.y) || !Short(&item.cx) || !Short(&item.cy) || !Dword(&id))
                return false;
            item.id = (int)id;
            if (!TextOrOrdinal(&item.cls) || !TextOrOrdinal(&item.text) || !Word(&extra))
                return false;
            item.cls = ClassName(item.cls);
            m_pos += extra;
            m_items.push_back(item);
        }
        return true;
    }

    const BYTE* m_data = NULL;
    size_t m_size = 0;
    size_t m_pos = 0;
    bool m_ok = false;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    int m_cx = 0, m_cy = 0;
    std::string m_caption;
    std::string m_face;
    int m_pointSize = 0;
    std::vector<TemplateItem> m_items;
};

bool IsPage(UINT id)
{
    return std::find(std::begin(kPages), std::end(kPages), id) != std::end(kPages);
}

// ---------------------------------------------------------------------------
// LiveDialog: a dialog created from the module's template

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

class LiveDialog {
public:
    // Creates the dialog: a page under a top-level window of its own, the
    // start-up dialog as a top-level window.
    explicit LiveDialog(UINT id) : m_id(id)
    {
        if (IsPage(id)) {
            m_hParent = CreateWindowExA(0, "STATIC", "page host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700,
                                        NULL, NULL, NULL, NULL);
        }
        m_hDlg = CreateDialogParamA(Module(), MAKEINTRESOURCEA(id), m_hParent, PlainDialogProc, 0);
    }
    ~LiveDialog()
    {
        if (m_hDlg)
            DestroyWindow(m_hDlg);
        if (m_hParent)
            DestroyWindow(m_hParent);
    }
    LiveDialog(const LiveDialog&) = delete;
    LiveDialog& operator=(const LiveDialog&) = delete;

    HWND hwnd() const { return m_hDlg; }
    UINT id() const { return m_id; }
    HWND Item(int id) const { return m_hDlg ? GetDlgItem(m_hDlg, id) : NULL; }

    // Returns the child controls in tab order.
    std::vector<HWND> Children() const
    {
        std::vector<HWND> out;
        for (HWND h = m_hDlg ? GetWindow(m_hDlg, GW_CHILD) : NULL; h; h = GetWindow(h, GW_HWNDNEXT))
            out.push_back(h);
        return out;
    }

    // Returns a control's rectangle in the dialog's client coordinates.
    RECT Rect(HWND h) const
    {
        RECT rc;
        GetWindowRect(h, &rc);
        MapWindowPoints(NULL, m_hDlg, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    // Returns a dialog-unit rectangle in pixels of this dialog.
    RECT Pixels(int x, int y, int cx, int cy) const
    {
        RECT rc = { x, y, x + cx, y + cy };
        MapDialogRect(m_hDlg, &rc);
        return rc;
    }

private:
    UINT m_id;
    HWND m_hParent = NULL;
    HWND m_hDlg = NULL;
};

std::string ClassOf(HWND h)
{
    char buf[64] = "";
    GetClassNameA(h, buf, sizeof(buf));
    return buf;
}

std::string TextOf(HWND h)
{
    char buf[1024] = "";
    GetWindowTextA(h, buf, sizeof(buf));
    return buf;
}

DWORD StyleOf(HWND h)
{
    return (DWORD)GetWindowLongA(h, GWL_STYLE);
}

bool ClassIs(HWND h, const char* cls)
{
    return lstrcmpiA(ClassOf(h).c_str(), cls) == 0;
}

DWORD ButtonType(HWND h)
{
    return StyleOf(h) & BS_TYPEMASK;
}

bool IsGroupBox(HWND h)
{
    return ClassIs(h, "Button") && ButtonType(h) == BS_GROUPBOX;
}

bool IsTextStatic(HWND h)
{
    if (!ClassIs(h, "Static"))
        return false;
    DWORD type = StyleOf(h) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
           type == SS_LEFTNOWORDWRAP;
}

bool HasKind(HWND h, Kind kind)
{
    bool button = ClassIs(h, "Button");
    DWORD type = ButtonType(h);
    switch (kind) {
    case kPush: return button && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
    case kDefPush: return button && type == BS_DEFPUSHBUTTON;
    case kCheck: return button && type == BS_AUTOCHECKBOX;
    case kRadio: return button && type == BS_AUTORADIOBUTTON;
    case kEdit: return ClassIs(h, "Edit") && !(StyleOf(h) & ES_READONLY);
    case kStatic: return IsTextStatic(h);
    case kLabel: return IsTextStatic(h) || IsGroupBox(h);
    case kFrame: return button && (type == BS_GROUPBOX || type == BS_PUSHBUTTON);
    case kList: return ClassIs(h, "SysListView32");
    case kUpDown: return ClassIs(h, "msctls_updown32");
    case kIcon: return ClassIs(h, "Static") && (StyleOf(h) & SS_TYPEMASK) == SS_ICON;
    case kDisplay: return IsTextStatic(h) || (ClassIs(h, "Edit") && (StyleOf(h) & ES_READONLY));
    case kAny: return true;
    }
    return false;
}

// Returns the width and height that text needs in the control's font.
SIZE TextNeeds(HWND h, const std::string& text, UINT format, int width)
{
    HDC dc = GetDC(h);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : NULL;
    RECT rc = { 0, 0, width, 0 };
    DrawTextA(dc, text.c_str(), -1, &rc, format | DT_CALCRECT);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(h, dc);
    SIZE size = { rc.right - rc.left, rc.bottom - rc.top };
    return size;
}

// Returns the face name of the font a dialog uses.
std::string DialogFontFace(HWND hDlg)
{
    HDC dc = GetDC(hDlg);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hDlg, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : NULL;
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof(face), face);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(hDlg, dc);
    return face;
}

// Returns "" when the control's text fits it at its font, else what is wrong.
std::string CheckTextFits(const LiveDialog& dlg, HWND h)
{
    std::string text = TextOf(h);
    if (text.empty())
        return "";
    RECT rc = dlg.Rect(h);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int need = 0;
    int room = width;
    char what[256];
    if (ClassIs(h, "Button")) {
        DWORD type = ButtonType(h);
        SIZE size = TextNeeds(h, text, DT_SINGLELINE, 0);
        need = size.cx;
        if (type == BS_GROUPBOX)
            room = width - 16;                                   // caption starts inside the frame
        else if (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON)
            room = width - GetSystemMetrics(SM_CXMENUCHECK) - 4; // box and gap before the text
        else
            room = width - 8;                                    // push button edges
        if (need > room) {
            _snprintf(what, sizeof(what), "\"%s\" needs %d px, has %d", text.c_str(), need, room);
            return what;
        }
        return "";
    }
    if (IsTextStatic(h)) {
        DWORD type = StyleOf(h) & SS_TYPEMASK;
        UINT prefix = (StyleOf(h) & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
            SIZE size = TextNeeds(h, text, DT_SINGLELINE | prefix, 0);
            if (size.cx > width) {
                _snprintf(what, sizeof(what), "\"%s\" needs %d px, has %d", text.c_str(), (int)size.cx, width);
                return what;
            }
        } else {
            SIZE size = TextNeeds(h, text, DT_WORDBREAK | prefix, width);
            if (size.cy > height || size.cx > width) {
                _snprintf(what, sizeof(what), "\"%s\" needs %dx%d px, has %dx%d", text.c_str(), (int)size.cx,
                          (int)size.cy, width, height);
                return what;
            }
        }
    }
    return "";
}

// Returns the printf conversions of a template, in order ("%%" excluded).
std::vector<std::string> PrintfConversions(const std::string& s)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%')
            continue;
        if (i + 1 < s.size() && s[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < s.size() && strchr("-+ #0123456789.hlLqjzt", s[j]))
            ++j;
        out.push_back(s.substr(i, j < s.size() ? j - i + 1 : j - i));
        i = j;
    }
    return out;
}

// Returns the FormatMessage inserts of a template ("%1!d!", "%2", ...), in order.
std::vector<std::string> MessageInserts(const std::string& s)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%' || i + 1 >= s.size())
            continue;
        if (!isdigit((unsigned char)s[i + 1])) {
            ++i;  // an escape such as %% or %n
            continue;
        }
        size_t j = i + 1;
        while (j < s.size() && isdigit((unsigned char)s[j]))
            ++j;
        if (j < s.size() && s[j] == '!') {
            size_t end = s.find('!', j + 1);
            j = end == std::string::npos ? s.size() : end + 1;
        }
        out.push_back(s.substr(i, j - i));
        i = j - 1;
    }
    return out;
}

// Returns the colour pixels (32-bit) of an icon's image.
std::vector<DWORD> IconPixels(HICON hIcon, int size)
{
    std::vector<DWORD> pixels(size * size);
    ICONINFO info = {};
    if (!GetIconInfo(hIcon, &info))
        return std::vector<DWORD>();
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = size;
    bmi.bmiHeader.biHeight = -size;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(NULL);
    int rows = GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(NULL, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    if (rows != size)
        pixels.clear();
    return pixels;
}

// Counts an icon's transparent and opaque pixels from its AND mask.
void CountMask(HICON hIcon, int size, int* transparent, int* opaque)
{
    *transparent = *opaque = 0;
    ICONINFO info = {};
    if (!GetIconInfo(hIcon, &info))
        return;
    std::vector<DWORD> mask(size * size * 2);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = size;
    bmi.bmiHeader.biHeight = -size;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(NULL);
    int rows = GetDIBits(dc, info.hbmMask, 0, size, mask.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(NULL, dc);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    for (int i = 0; i < rows * size; ++i) {
        if ((mask[i] & 0xFFFFFF) != 0)
            ++*transparent;
        else
            ++*opaque;
    }
}

// Returns the raw bytes of a resource of a module.
std::string RawResource(HMODULE hModule, LPCSTR name, LPCSTR type)
{
    HRSRC hRes = FindResourceA(hModule, name, type);
    if (!hRes)
        return std::string();
    HGLOBAL hData = LoadResource(hModule, hRes);
    const char* data = hData ? static_cast<const char*>(LockResource(hData)) : NULL;
    return data ? std::string(data, SizeofResource(hModule, hRes)) : std::string();
}

// Returns the icon images (by size) that an icon group of a module holds, as raw bytes.
std::map<int, std::string> IconImages(HMODULE hModule, UINT group)
{
    std::map<int, std::string> out;
    std::string dir = RawResource(hModule, MAKEINTRESOURCEA(group), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    if (dir.size() < 6)
        return out;
    WORD count;
    memcpy(&count, dir.data() + 4, 2);
    for (WORD i = 0; i < count && 6 + (i + 1) * 14u <= dir.size(); ++i) {
        const char* entry = dir.data() + 6 + i * 14;
        int width = (unsigned char)entry[0];
        WORD id;
        memcpy(&id, entry + 12, 2);
        out[width ? width : 256] = RawResource(hModule, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3) /* RT_ICON */);
    }
    return out;
}

class ResourceModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Module(), (HMODULE)NULL) << "cannot load " << ModulePath(TheOptions().module);
    }
};

// ---------------------------------------------------------------------------
// Templates: presence, styles, sizes, captions

using Templates = ResourceModuleTest;

TEST_F(Templates, EveryDialogIsAnExtendedTemplateInWindowsOwnDialogFont)
{
    for (UINT id : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        DialogTemplate t(id);
        ASSERT_TRUE(t.ok());
        EXPECT_EQ(t.face(), "MS Shell Dlg 2");
        EXPECT_EQ(t.pointSize(), 8);
        EXPECT_EQ(t.style() & DS_SHELLFONT, (DWORD)DS_SHELLFONT);
    }
}

TEST_F(Templates, PagesAreDisabledChildDialogsOfOneSize)
{
    DialogTemplate first(kPages[0]);
    ASSERT_TRUE(first.ok());
    const DWORD pageStyle = DS_SHELLFONT | WS_CHILD | WS_DISABLED | WS_CAPTION;
    for (UINT id : kPages) {
        SCOPED_TRACE("page " + std::to_string(id));
        DialogTemplate t(id);
        ASSERT_TRUE(t.ok());
        EXPECT_EQ(t.style(), pageStyle);
        EXPECT_EQ(t.cx(), first.cx());
        EXPECT_EQ(t.cy(), first.cy());

        LiveDialog dlg(id);
        ASSERT_NE(dlg.hwnd(), (HWND)NULL);
        RECT client;
        GetClientRect(dlg.hwnd(), &client);
        RECT expected = dlg.Pixels(0, 0, first.cx(), first.cy());
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);
    }
}

TEST_F(Templates, PageCaptionsAreThePageTextsThatLabelTheTabs)
{
    for (const StringText& entry : kTexts) {
        if (entry.id != 0)
            continue;
        SCOPED_TRACE("dialog " + std::to_string(entry.dialog));
        DialogTemplate t(entry.dialog);
        ASSERT_TRUE(t.ok());
        EXPECT_FALSE(t.caption().empty());
        EXPECT_EQ(t.caption(), Str(entry.string));
    }
}

TEST_F(Templates, StartupDialogIsACentredModalPopupWithCancel)
{
    DialogTemplate t(IDD_STARTUP);
    ASSERT_TRUE(t.ok());
    const DWORD needed = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(t.style() & needed, needed);
    EXPECT_FALSE(t.style() & WS_CHILD);

    LiveDialog dlg(IDD_STARTUP);
    ASSERT_NE(dlg.hwnd(), (HWND)NULL);
    HWND hCancel = dlg.Item(IDCANCEL);
    ASSERT_NE(hCancel, (HWND)NULL);
    EXPECT_TRUE(HasKind(hCancel, kPush));
    EXPECT_TRUE(IsWindowEnabled(hCancel));

    // The accept button is the default button and starts disabled.
    LRESULT def = SendMessageA(dlg.hwnd(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(def), DC_HASDEFID);
    EXPECT_EQ(LOWORD(def), IDC_ACCEPT);
    EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDC_ACCEPT)));
    EXPECT_EQ(dlg.Item(IDOK), (HWND)NULL) << "an IDOK button would end the dialog without the name check";
}

TEST_F(Templates, ModelNameFieldKeepsTheLetterCaseTyped)
{
    LiveDialog dlg(IDD_STARTUP);
    HWND hEdit = dlg.Item(IDC_MODEL_NAME);
    ASSERT_NE(hEdit, (HWND)NULL);
    EXPECT_FALSE(StyleOf(hEdit) & ES_UPPERCASE);
    EXPECT_FALSE(StyleOf(hEdit) & ES_LOWERCASE);
    for (const char* p = "Kes"; *p; ++p)
        SendMessageA(hEdit, WM_CHAR, (WPARAM)(unsigned char)*p, 1);
    EXPECT_EQ(TextOf(hEdit), "Kes");
}

// ---------------------------------------------------------------------------
// Controls: ids, kinds and the styles the pages rely on

using Controls = ResourceModuleTest;

TEST_F(Controls, EveryNamedControlExistsWithItsKind)
{
    for (UINT id : kDialogs) {
        LiveDialog dlg(id);
        ASSERT_NE(dlg.hwnd(), (HWND)NULL) << "dialog " << id << " cannot be created";
        for (const NamedControl& entry : kControls) {
            if (entry.dialog != id)
                continue;
            HWND h = dlg.Item(entry.id);
            if (!h) {
                ADD_FAILURE() << "dialog " << id << " lacks control " << entry.id;
                continue;
            }
            EXPECT_TRUE(HasKind(h, entry.kind))
                << "dialog " << id << ", control " << entry.id << ": class " << ClassOf(h) << ", style 0x"
                << std::hex << StyleOf(h);
            EXPECT_TRUE(StyleOf(h) & WS_VISIBLE) << "dialog " << id << ", control " << entry.id;
        }
    }
}

TEST_F(Controls, MemoryFieldsTakeDigitsOnly)
{
    LiveDialog dlg(IDD_MEMORY_PAGE);
    for (int id : { IDC_MEM_LOCATION, IDC_MEM_NEW_VALUE }) {
        HWND hEdit = dlg.Item(id);
        ASSERT_NE(hEdit, (HWND)NULL) << id;
        EXPECT_TRUE(StyleOf(hEdit) & ES_NUMBER) << "control " << id;
        // A letter typed goes nowhere; a digit goes in.
        SetWindowTextA(hEdit, "");
        for (const char* p = "4x2"; *p; ++p)
            SendMessageA(hEdit, WM_CHAR, (WPARAM)(unsigned char)*p, 1);
        EXPECT_EQ(TextOf(hEdit), "42") << "control " << id;
    }
}

TEST_F(Controls, DeviceListIsASingleSelectionReportView)
{
    LiveDialog dlg(IDD_DEVICES_PAGE);
    HWND hList = dlg.Item(IDC_DEVICE_LIST);
    ASSERT_NE(hList, (HWND)NULL);
    DWORD style = StyleOf(hList);
    EXPECT_EQ(style & LVS_TYPEMASK, (DWORD)LVS_REPORT);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_TRUE((style & WS_BORDER) || (GetWindowLongA(hList, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));

    // Columns can be inserted, and selecting a second row drops the first.
    LVCOLUMNA col = {};
    col.mask = LVCF_WIDTH | LVCF_TEXT;
    col.cx = 200;
    col.pszText = const_cast<char*>("Name");
    ASSERT_EQ(SendMessageA(hList, LVM_INSERTCOLUMNA, 0, (LPARAM)&col), 0);
    for (int i = 0; i < 2; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(i ? "second" : "first");
        ASSERT_EQ(SendMessageA(hList, LVM_INSERTITEMA, 0, (LPARAM)&item), i);
    }
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(hList, LVM_SETITEMSTATE, 0, (LPARAM)&state);
    SendMessageA(hList, LVM_SETITEMSTATE, 1, (LPARAM)&state);
    EXPECT_EQ(SendMessageA(hList, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(hList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED), 1);
}

// Returns the controls of the group that starts at first, in tab order.
std::vector<HWND> GroupFrom(HWND first)
{
    std::vector<HWND> group;
    for (HWND h = first; h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h != first && (StyleOf(h) & WS_GROUP))
            break;
        group.push_back(h);
    }
    return group;
}

std::set<int> RadioIds(const std::vector<HWND>& group)
{
    std::set<int> ids;
    for (HWND h : group)
        if (HasKind(h, kRadio))
            ids.insert(GetDlgCtrlID(h));
    return ids;
}

TEST_F(Controls, ReportChoicesAreOneRadioGroupStartingAt15423)
{
    LiveDialog dlg(IDD_REPORTS_PAGE);
    HWND hFirst = dlg.Item(IDC_REPORT_1);
    ASSERT_NE(hFirst, (HWND)NULL);
    EXPECT_EQ(StyleOf(hFirst) & (WS_GROUP | WS_TABSTOP), (DWORD)(WS_GROUP | WS_TABSTOP));

    std::vector<HWND> group = GroupFrom(hFirst);
    const std::set<int> choices = { 15421, 15423, 15424, 15426, 15427, 15429, 15431, 15432, 15433 };
    EXPECT_EQ(RadioIds(group), choices);
    for (HWND h : group)
        EXPECT_TRUE(HasKind(h, kRadio)) << "control " << GetDlgCtrlID(h) << " sits inside the radio group";
    HWND hAfter = GetWindow(group.back(), GW_HWNDNEXT);
    ASSERT_NE(hAfter, (HWND)NULL);
    EXPECT_TRUE(StyleOf(hAfter) & WS_GROUP);

    // No report choice lies outside the group.
    int radios = 0;
    for (HWND h : dlg.Children())
        radios += HasKind(h, kRadio) ? 1 : 0;
    EXPECT_EQ(radios, (int)choices.size());

    // Clicking a choice clears the one checked before, whichever box it sits in.
    ShowWindow(dlg.hwnd(), SW_SHOW);
    SendMessageA(dlg.Item(IDC_REPORT_1), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(dlg.Item(IDC_REPORT_1), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(dlg.Item(IDC_REPORT_8), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(dlg.Item(IDC_REPORT_8), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(dlg.Item(IDC_REPORT_1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(dlg.Item(IDC_REPORT_11), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(dlg.Item(IDC_REPORT_8), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(dlg.Item(IDC_REPORT_11), BM_GETCHECK, 0, 0), BST_CHECKED);

    // The two option boxes are check boxes of their own, outside the group.
    EXPECT_TRUE(HasKind(dlg.Item(IDC_REPORT11_OPTION), kCheck));
    EXPECT_TRUE(HasKind(dlg.Item(IDC_REPORT8_VARIANT), kCheck));
}

TEST_F(Controls, DriverPageHasTwoSeparateRadioGroups)
{
    LiveDialog dlg(IDD_DRIVER_PAGE);
    ASSERT_NE(dlg.hwnd(), (HWND)NULL);
    struct { int first; std::set<int> ids; } groups[] = {
        { IDC_DRV_CHOICE1, { 15449, 15450, 15451 } },
        { IDC_DRV_SWITCH1, { 15457, 15458 } },
    };
    for (const auto& g : groups) {
        SCOPED_TRACE("group from " + std::to_string(g.first));
        HWND hFirst = dlg.Item(g.first);
        ASSERT_NE(hFirst, (HWND)NULL);
        EXPECT_EQ(StyleOf(hFirst) & (WS_GROUP | WS_TABSTOP), (DWORD)(WS_GROUP | WS_TABSTOP));
        std::vector<HWND> group = GroupFrom(hFirst);
        EXPECT_EQ(RadioIds(group), g.ids);
        EXPECT_EQ(group.size(), g.ids.size());
        HWND hAfter = GetWindow(group.back(), GW_HWNDNEXT);
        ASSERT_NE(hAfter, (HWND)NULL);
        EXPECT_TRUE(StyleOf(hAfter) & WS_GROUP);
    }

    // Checking one group leaves the other as it was.
    ShowWindow(dlg.hwnd(), SW_SHOW);
    SendMessageA(dlg.Item(IDC_DRV_SWITCH1), BM_CLICK, 0, 0);
    SendMessageA(dlg.Item(IDC_DRV_CHOICE3), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(dlg.Item(IDC_DRV_SWITCH1), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(dlg.Item(IDC_DRV_CHOICE3), BM_GETCHECK, 0, 0), BST_CHECKED);

    // Check boxes toggle by themselves.
    HWND hBox = dlg.Item(IDC_DRV_OPTION1);
    SendMessageA(hBox, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(hBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(hBox, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(hBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Controls, DriverNumberHasAnUpDownRightAfterItInTabOrder)
{
    LiveDialog dlg(IDD_DRIVER_PAGE);
    HWND hEdit = dlg.Item(IDC_DRV_NUMBER);
    HWND hSpin = dlg.Item(IDC_DRV_NUMBER_SPIN);
    ASSERT_NE(hEdit, (HWND)NULL);
    ASSERT_NE(hSpin, (HWND)NULL);
    EXPECT_EQ(GetWindow(hEdit, GW_HWNDNEXT), hSpin);
    DWORD style = StyleOf(hSpin);
    EXPECT_TRUE(style & UDS_ALIGNRIGHT);
    EXPECT_TRUE(style & UDS_SETBUDDYINT);
    EXPECT_TRUE(style & UDS_ARROWKEYS);
    EXPECT_FALSE(style & UDS_AUTOBUDDY) << "the page sets the buddy itself";

    // With the buddy set as the page does, the edit shows the position as a
    // plain number that the page can read back (no thousands separator).
    SendMessageA(hSpin, UDM_SETBUDDY, (WPARAM)hEdit, 0);
    SendMessageA(hSpin, UDM_SETRANGE32, 1, 5000);
    SendMessageA(hSpin, UDM_SETPOS32, 0, 1200);
    EXPECT_EQ(TextOf(hEdit), "1200");
    EXPECT_EQ(SendMessageA(hSpin, UDM_GETBUDDY, 0, 0), (LRESULT)hEdit);
}

TEST_F(Controls, DriverApplyIsButtonOneAndTheDefaultButtonOfThePage)
{
    LiveDialog dlg(IDD_DRIVER_PAGE);
    HWND hApply = dlg.Item(IDOK);
    ASSERT_NE(hApply, (HWND)NULL);
    EXPECT_EQ(ButtonType(hApply), (DWORD)BS_DEFPUSHBUTTON);
    const LRESULT def = SendMessageA(dlg.hwnd(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(def), DC_HASDEFID);
    EXPECT_EQ(LOWORD(def), IDOK);
    EXPECT_EQ(TextOf(hApply), Str(IDS_DRV_APPLY));
}

// ---------------------------------------------------------------------------
// Layout: margins, overlaps, sizes, texts that fit, access keys

using Layout = ResourceModuleTest;

TEST_F(Layout, ControlsKeepTheDialogMargins)
{
    for (UINT id : kDialogs) {
        DialogTemplate t(id);
        ASSERT_TRUE(t.ok());
        for (const TemplateItem& item : t.items()) {
            EXPECT_GE(item.x, 7) << "dialog " << id << ", control " << item.id;
            EXPECT_GE(item.y, 7) << "dialog " << id << ", control " << item.id;
            EXPECT_LE(item.x + item.cx, t.cx() - 7) << "dialog " << id << ", control " << item.id;
            EXPECT_LE(item.y + item.cy, t.cy() - 7) << "dialog " << id << ", control " << item.id;
        }
    }
}

TEST_F(Layout, ButtonsAndBoxesHaveTheStandardSizes)
{
    for (UINT id : kDialogs) {
        DialogTemplate t(id);
        ASSERT_TRUE(t.ok());
        for (const TemplateItem& item : t.items()) {
            if (item.cls != "Button")
                continue;
            DWORD type = item.style & BS_TYPEMASK;
            if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
                EXPECT_EQ(item.cy, 14) << "dialog " << id << ", button " << item.id;
                EXPECT_GE(item.cx, 50) << "dialog " << id << ", button " << item.id;
            } else if (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON) {
                EXPECT_EQ(item.cy, 10) << "dialog " << id << ", box " << item.id;
            }
        }
    }
}

TEST_F(Layout, NoControlsOverlapExceptInsideGroupBoxes)
{
    for (UINT id : kDialogs) {
        LiveDialog dlg(id);
        ASSERT_NE(dlg.hwnd(), (HWND)NULL);
        RECT client;
        GetClientRect(dlg.hwnd(), &client);
        std::vector<HWND> children = dlg.Children();
        ASSERT_FALSE(children.empty());
        for (size_t i = 0; i < children.size(); ++i) {
            RECT a = dlg.Rect(children[i]);
            EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= client.right && a.bottom <= client.bottom)
                << "dialog " << id << ": control " << GetDlgCtrlID(children[i]) << " leaves the dialog";
            for (size_t j = i + 1; j < children.size(); ++j) {
                RECT b = dlg.Rect(children[j]);
                RECT common;
                if (!IntersectRect(&common, &a, &b))
                    continue;
                RECT both;
                UnionRect(&both, &a, &b);
                bool aHoldsB = IsGroupBox(children[i]) && EqualRect(&both, &a);
                bool bHoldsA = IsGroupBox(children[j]) && EqualRect(&both, &b);
                EXPECT_TRUE(aHoldsB || bHoldsA) << "dialog " << id << ": controls " << GetDlgCtrlID(children[i])
                                                << " and " << GetDlgCtrlID(children[j]) << " overlap";
            }
        }
    }
}

// Controls that the pages hide as soon as they are created.
bool HiddenByThePage(UINT dialog, int id)
{
    return (dialog == IDD_REPORTS_PAGE && id == IDC_REPORT8_VARIANT) ||
           (dialog == IDD_TASKS_PAGE && (id == IDC_TASK_FIRST_SPARE || id == IDC_TASKS_SPARE_NOTE));
}

TEST_F(Layout, GroupBoxesEndSevenUnitsBelowTheLastControlTheyShow)
{
    for (UINT id : kDialogs) {
        DialogTemplate t(id);
        ASSERT_TRUE(t.ok());
        for (const TemplateItem& box : t.items()) {
            if (box.cls != "Button" || (box.style & BS_TYPEMASK) != BS_GROUPBOX)
                continue;
            int lowest = -1;
            for (const TemplateItem& item : t.items()) {
                if (&item == &box || HiddenByThePage(id, item.id))
                    continue;
                if (item.x >= box.x && item.y >= box.y && item.x + item.cx <= box.x + box.cx &&
                    item.y + item.cy <= box.y + box.cy && item.y + item.cy > lowest)
                    lowest = item.y + item.cy;
            }
            ASSERT_GE(lowest, 0) << "dialog " << id << ": group box " << box.id << " holds nothing";
            EXPECT_EQ(box.y + box.cy - lowest, 7) << "dialog " << id << ": group box " << box.id << " (\""
                                                  << box.text << "\") ends " << box.y + box.cy - lowest
                                                  << " units below the last control it shows";
        }
    }
}

TEST_F(Layout, EveryTextFitsItsControl)
{
    std::string face;
    for (UINT id : kDialogs) {
        LiveDialog dlg(id);
        ASSERT_NE(dlg.hwnd(), (HWND)NULL);
        face = DialogFontFace(dlg.hwnd());
        for (HWND h : dlg.Children()) {
            std::string problem = CheckTextFits(dlg, h);
            EXPECT_TRUE(problem.empty()) << "dialog " << id << ", control " << GetDlgCtrlID(h) << ": " << problem
                                         << " (font " << face << ")";
        }
    }

    // The longest status line of the memory page fits its field.
    LiveDialog memory(IDD_MEMORY_PAGE);
    HWND hStatus = memory.Item(IDC_MEM_STATUS);
    ASSERT_NE(hStatus, (HWND)NULL);
    RECT rc = memory.Rect(hStatus);
    const UINT statuses[] = { IDS_MEM_WRITTEN, IDS_MEM_NOT_AVAILABLE, IDS_MEM_UNCHANGED, IDS_MEM_WRITE_FAILED };
    for (UINT s : statuses) {
        char line[512];
        _snprintf(line, sizeof(line) - 1, Str(s).c_str(), 320L, 65535L);
        line[sizeof(line) - 1] = '\0';
        SIZE need = TextNeeds(hStatus, line, DT_SINGLELINE | DT_NOPREFIX, 0);
        EXPECT_LE(need.cx, rc.right - rc.left - 8) << "status \"" << line << "\" (font " << face << ")";
    }
}

TEST_F(Layout, AccessKeysAreUniqueWithinEachDialog)
{
    for (UINT id : kDialogs) {
        LiveDialog dlg(id);
        ASSERT_NE(dlg.hwnd(), (HWND)NULL);
        std::map<char, int> seen;
        for (HWND h : dlg.Children()) {
            bool takesKey = ClassIs(h, "Button") || (IsTextStatic(h) && !(StyleOf(h) & SS_NOPREFIX));
            char key = takesKey ? Mnemonic(TextOf(h)) : 0;
            if (!key)
                continue;
            auto it = seen.find(key);
            EXPECT_TRUE(it == seen.end()) << "dialog " << id << ": '" << key << "' is the key of controls "
                                          << (it == seen.end() ? 0 : it->second) << " and " << GetDlgCtrlID(h);
            seen[key] = GetDlgCtrlID(h);
        }
    }
}

TEST_F(Layout, ButtonsBoxesAndFieldsCanBeReachedByAccessKey)
{
    for (UINT id : kDialogs) {
        LiveDialog dlg(id);
        ASSERT_NE(dlg.hwnd(), (HWND)NULL);
        HWND hPrevious = NULL;
        for (HWND h : dlg.Children()) {
            int ctrl = GetDlgCtrlID(h);
            bool exempt = ctrl == IDCANCEL || HasKind(h, kDefPush) ||
                          (id == IDD_TASKS_PAGE && ctrl == IDC_TASK_FIRST_SPARE);  // hidden by the page
            if ((HasKind(h, kPush) || HasKind(h, kCheck) || HasKind(h, kRadio)) && !exempt) {
                EXPECT_NE(Mnemonic(TextOf(h)), 0) << "dialog " << id << ", control " << ctrl;
            }
            if (HasKind(h, kEdit)) {
                // An editable field takes its key from the label just before it.
                ASSERT_NE(hPrevious, (HWND)NULL);
                EXPECT_TRUE(IsTextStatic(hPrevious) && Mnemonic(TextOf(hPrevious)))
                    << "dialog " << id << ", field " << ctrl << " has no label with an access key before it";
            }
            hPrevious = h;
        }
    }
}

// ---------------------------------------------------------------------------
// Strings

using Strings = ResourceModuleTest;

TEST_F(Strings, EveryStringIdLoadsAText)
{
    for (UINT id : kStringIds)
        EXPECT_FALSE(Str(id).empty()) << "string " << id;
    const KnownTexts* known = KnownTextsOf(TheOptions().language);
    ASSERT_NE(known, (const KnownTexts*)NULL) << "no known texts for language " << TheOptions().language;
    EXPECT_TRUE(WideStr(AFX_IDP_PARSE_INT) == known->parseInt) << Str(AFX_IDP_PARSE_INT);
}

TEST_F(Strings, ControlTextsOfTheTemplatesAreTheStringsThePagesSet)
{
    for (UINT id : kDialogs) {
        DialogTemplate t(id);
        ASSERT_TRUE(t.ok());
        for (const StringText& entry : kTexts) {
            if (entry.dialog != id || entry.id == 0)
                continue;
            const TemplateItem* item = t.Item(entry.id);
            if (!item) {
                ADD_FAILURE() << "dialog " << id << " lacks control " << entry.id;
                continue;
            }
            EXPECT_EQ(item->text, Str(entry.string)) << "dialog " << id << ", control " << entry.id;
        }
    }
}

TEST_F(Strings, PrintfTemplatesHoldExactlyTheirInserts)
{
    for (const PrintfTemplate& entry : kPrintfTemplates) {
        std::string text = Str(entry.string);
        EXPECT_EQ(PrintfConversions(text), entry.inserts) << "string " << entry.string << ": " << text;
    }
}

// Returns how often needle occurs in text.
int Occurrences(const std::string& text, const std::string& needle)
{
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

// Returns the template formatted with the arguments the memory page passes.
std::string FormatStatus(UINT id, long first, long second)
{
    char out[512];
    _snprintf(out, sizeof(out) - 1, Str(id).c_str(), first, second);
    out[sizeof(out) - 1] = '\0';
    return out;
}

TEST_F(Strings, StatusLinesShowTheLocationAndValue)
{
    std::string written = FormatStatus(IDS_MEM_WRITTEN, 317, 65431);
    EXPECT_EQ(Occurrences(written, "317"), 1) << written;
    EXPECT_EQ(Occurrences(written, "65431"), 1) << written;
    EXPECT_LT(written.find("317"), written.find("65431")) << "location first, then value: " << written;

    std::string unchanged = FormatStatus(IDS_MEM_UNCHANGED, 317, 317);
    EXPECT_EQ(Occurrences(unchanged, "317"), 2) << unchanged;

    for (UINT id : { IDS_MEM_NOT_AVAILABLE, IDS_MEM_WRITE_FAILED }) {
        std::string line = FormatStatus(id, 317, 0);
        EXPECT_EQ(Occurrences(line, "317"), 1) << line;
    }
    for (UINT id : { IDS_MEM_WRITTEN, IDS_MEM_UNCHANGED, IDS_MEM_NOT_AVAILABLE, IDS_MEM_WRITE_FAILED })
        EXPECT_EQ(FormatStatus(id, 1, 2).find('%'), std::string::npos) << Str(id);
}

TEST_F(Strings, LocationRangeMessageTakesLowestAndHighestLocation)
{
    std::string text = Str(IDS_MEM_RANGE_TEXT);
    std::vector<std::string> expected = { "%1!d!", "%2!d!" };
    EXPECT_EQ(MessageInserts(text), expected) << text;

    DWORD_PTR args[2] = { 0, 320 };
    char out[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, text.c_str(), 0, 0, out,
                             sizeof(out), reinterpret_cast<va_list*>(args));
    ASSERT_GT(n, 0u);
    std::string result(out, n);
    EXPECT_NE(result.find(" 0 "), std::string::npos) << result;
    EXPECT_NE(result.find("320"), std::string::npos) << result;
    EXPECT_EQ(result.find('%'), std::string::npos) << result;
    EXPECT_EQ(result.find('!'), std::string::npos) << result;
}

TEST_F(Strings, MessageTemplatesHoldExactlyTheirInserts)
{
    for (const MessageTemplate& entry : kMessageTemplates) {
        std::string text = Str(entry.string);
        EXPECT_EQ(MessageInserts(text), entry.inserts) << "string " << entry.string << ": " << text;
    }
}

TEST_F(Strings, OnlyTheTemplatesUsePercentSigns)
{
    std::set<UINT> templates;
    for (const MessageTemplate& entry : kMessageTemplates)
        templates.insert(entry.string);
    for (const PrintfTemplate& entry : kPrintfTemplates)
        templates.insert(entry.string);
    for (UINT id : kStringIds) {
        if (templates.count(id))
            continue;
        EXPECT_EQ(Str(id).find('%'), std::string::npos) << "string " << id << ": " << Str(id);
    }
}

TEST_F(Strings, SheetTitleReadsHeadDashApplication)
{
    std::string head = Str(IDS_SHEET_TITLE);
    std::string app = Str(IDS_APP_TITLE);
    EXPECT_FALSE(head.empty());
    EXPECT_FALSE(app.empty());
    EXPECT_EQ(head.find(" - "), std::string::npos);
    EXPECT_EQ(app.find(" - "), std::string::npos);
    EXPECT_NE(Upper(head), Upper(app));
    EXPECT_EQ(Mnemonic(Str(IDS_CLOSE)), 0) << "Escape closes the sheet; Close needs no access key";
}

TEST_F(Strings, TheMissingComponentIsNeverCalledByTheProgramsName)
{
    // The box that says the component is missing is titled with the
    // program's name; wherever its text has those words, it means the
    // program, spelled as the title spells it, not the component.
    const std::string app = Str(IDS_APP_TITLE);
    EXPECT_EQ(Str(IDS_NO_SERVICE_CAPTION), app);
    const std::string text = Str(IDS_NO_SERVICE_TEXT);
    size_t anyCase = 0, asTitled = 0;
    for (size_t at = Upper(text).find(Upper(app)); at != std::string::npos; at = Upper(text).find(Upper(app), at + 1))
        ++anyCase;
    for (size_t at = text.find(app); at != std::string::npos; at = text.find(app, at + 1))
        ++asTitled;
    EXPECT_EQ(anyCase, asTitled) << text;
}

TEST_F(Strings, NoTextGivesAwayAModelCodeName)
{
    std::vector<std::string> texts;
    for (UINT id : kStringIds)
        texts.push_back(Str(id));
    for (UINT id : kDialogs) {
        DialogTemplate t(id);
        ASSERT_TRUE(t.ok());
        texts.push_back(t.caption());
        for (const TemplateItem& item : t.items())
            texts.push_back(item.text);
    }
    for (const std::string& text : texts)
        for (const char* name : kModelNames)
            EXPECT_EQ(Upper(text).find(name), std::string::npos) << text;
}

// ---------------------------------------------------------------------------
// Images

using Images = ResourceModuleTest;

TEST_F(Images, IconsLoadAtTheSizesOf96And144DpiWithAMask)
{
    // Small and large icons at 96 DPI (16, 32) and at 144 DPI (24, 48).
    for (UINT id : kIcons) {
        std::map<int, std::string> images = IconImages(Module(), id);
        for (int size : { 16, 24, 32, 48 })
            EXPECT_EQ(images.count(size), 1u) << "icon " << id << " lacks a " << size << "x" << size << " image";
        for (int size : { 16, 24, 32, 48 }) {
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
            HICON hIcon = (HICON)LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
            ASSERT_NE(hIcon, (HICON)NULL);
            EXPECT_EQ(IconPixels(hIcon, size).size(), (size_t)(size * size));
            int transparent = 0, opaque = 0;
            CountMask(hIcon, size, &transparent, &opaque);
            EXPECT_GT(transparent, 0);
            EXPECT_GT(opaque, size * size / 4);
            DestroyIcon(hIcon);
        }
    }
}

TEST_F(Images, DeviceIconsCanBeToldApartInTheDeviceList)
{
    // The Devices page puts them in a 16x16 masked image list in this order.
    HIMAGELIST hList = ImageList_Create(16, 16, ILC_MASK, 4, 4);
    ASSERT_NE(hList, (HIMAGELIST)NULL);
    std::vector<std::vector<DWORD>> pictures;
    for (UINT id : kDeviceIcons) {
        HICON hIcon = LoadIconA(Module(), MAKEINTRESOURCEA(id));
        ASSERT_NE(hIcon, (HICON)NULL) << "icon " << id;
        EXPECT_GE(ImageList_AddIcon(hList, hIcon), 0) << "icon " << id;
        HICON hSmall = (HICON)LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0);
        ASSERT_NE(hSmall, (HICON)NULL);
        pictures.push_back(IconPixels(hSmall, 16));
        DestroyIcon(hSmall);
    }
    EXPECT_EQ(ImageList_GetImageCount(hList), 4);
    ImageList_Destroy(hList);
    for (size_t i = 0; i < pictures.size(); ++i)
        for (size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_NE(pictures[i], pictures[j]) << "icons " << kDeviceIcons[i] << " and " << kDeviceIcons[j];
}

TEST_F(Images, LogoForOneAndAHalfTimesTheDpiIsOneAndAHalfTimesTheSize)
{
    BITMAP bm[2] = {};
    const UINT ids[] = { IDB_LOGO, IDB_LOGO_LARGE };
    for (int i = 0; i < 2; ++i) {
        HBITMAP hLogo = LoadBitmapA(Module(), MAKEINTRESOURCEA(ids[i]));
        ASSERT_NE(hLogo, (HBITMAP)NULL) << "bitmap " << ids[i];
        ASSERT_NE(GetObjectA(hLogo, sizeof(bm[i]), &bm[i]), 0);
        DeleteObject(hLogo);
    }
    EXPECT_EQ(bm[1].bmWidth, bm[0].bmWidth * 3 / 2);
    EXPECT_EQ(bm[1].bmHeight, bm[0].bmHeight * 3 / 2);
}

TEST_F(Images, LogoFitsBesideTheButtonRow)
{
    HBITMAP hLogo = LoadBitmapA(Module(), MAKEINTRESOURCEA(IDB_LOGO));
    ASSERT_NE(hLogo, (HBITMAP)NULL);
    BITMAP bm = {};
    ASSERT_NE(GetObjectA(hLogo, sizeof(bm), &bm), 0);
    DeleteObject(hLogo);

    LiveDialog page(IDD_DEVICES_PAGE);
    ASSERT_NE(page.hwnd(), (HWND)NULL);
    RECT button = page.Pixels(0, 0, 50, 14);
    EXPECT_GT(bm.bmHeight, 8);
    EXPECT_LE(bm.bmHeight, button.bottom + 2) << "taller than a push button";
    EXPECT_GE(bm.bmWidth, bm.bmHeight);
    EXPECT_LE(bm.bmWidth, 2 * button.right) << "wider than two push buttons";
}

// ---------------------------------------------------------------------------
// Language: the module is in the language it claims, with its own texts

using Language = ResourceModuleTest;

struct ResourceEntry { std::string type; std::string name; LANGID language; };

std::string ResourceName(LPCSTR name)
{
    return IS_INTRESOURCE(name) ? "#" + std::to_string((unsigned)(UINT_PTR)name) : std::string(name);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<ResourceEntry>*>(param)->push_back({ ResourceName(type), ResourceName(name), language });
    return TRUE;
}

BOOL CALLBACK CollectNameLanguages(HMODULE hModule, LPCSTR type, LPSTR name, LONG_PTR param)
{
    EnumResourceLanguagesA(hModule, type, name, CollectLanguage, param);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE hModule, LPSTR type, LONG_PTR param)
{
    EnumResourceNamesA(hModule, type, CollectNameLanguages, param);
    return TRUE;
}

// Returns every resource of a module with its language.
std::vector<ResourceEntry> AllResources(HMODULE hModule)
{
    std::vector<ResourceEntry> out;
    EnumResourceTypesA(hModule, CollectType, reinterpret_cast<LONG_PTR>(&out));
    return out;
}

TEST_F(Language, EveryResourceCarriesTheModulesLanguage)
{
    std::vector<ResourceEntry> all = AllResources(Module());
    EXPECT_GT(all.size(), 20u);
    for (const ResourceEntry& entry : all)
        EXPECT_EQ(entry.language, TheOptions().language)
            << "resource " << entry.name << " of type " << entry.type;
}

TEST_F(Language, KnownTextsReadAsSpelledOut)
{
    const KnownTexts* known = KnownTextsOf(TheOptions().language);
    ASSERT_NE(known, (const KnownTexts*)NULL) << "no known texts for language " << TheOptions().language;
    EXPECT_TRUE(WideStr(IDS_CLOSE) == known->close) << Str(IDS_CLOSE);
    EXPECT_TRUE(WideStr(IDS_STARTUP_CAPTION) == known->startupCaption) << Str(IDS_STARTUP_CAPTION);
    EXPECT_TRUE(WideStr(IDS_DEVICES_PAGE) == known->devicesPage) << Str(IDS_DEVICES_PAGE);
}

// ---------------------------------------------------------------------------
// SameIds: the module holds exactly the ids of another language's module, with
// the same controls in the same order and styles, the same pictures, and its
// own texts

class SameIds : public ResourceModuleTest {
protected:
    void SetUp() override
    {
        ResourceModuleTest::SetUp();
        ASSERT_NE(ReferenceModule(), (HMODULE)NULL) << "cannot load " << ModulePath(TheOptions().reference);
    }
};

// Returns the ids of the strings a module holds, read from its string blocks.
std::set<UINT> StringIds(HMODULE hModule)
{
    std::set<UINT> ids;
    std::vector<ResourceEntry> all = AllResources(hModule);
    for (const ResourceEntry& entry : all) {
        if (entry.type != "#6" /* RT_STRING */ || entry.name.empty() || entry.name[0] != '#')
            continue;
        UINT block = (UINT)atoi(entry.name.c_str() + 1);
        std::string raw = RawResource(hModule, MAKEINTRESOURCEA(block), MAKEINTRESOURCEA(6));
        size_t pos = 0;
        for (UINT i = 0; i < 16 && pos + 2 <= raw.size(); ++i) {
            WORD length;
            memcpy(&length, raw.data() + pos, 2);
            pos += 2 + 2 * (size_t)length;
            if (length > 0)
                ids.insert((block - 1) * 16 + i);
        }
    }
    return ids;
}

// Returns the names of a module's resources of one type.
std::set<std::string> NamesOfType(HMODULE hModule, const char* type)
{
    std::set<std::string> names;
    for (const ResourceEntry& entry : AllResources(hModule))
        if (entry.type == type)
            names.insert(entry.name);
    return names;
}

// Texts that read the same in both languages.
const char* const kSameInBothLanguages[] = { "Name", "Status", "Firmware", "Scanner", "Service", "OK", "&Normal", "0" };

bool MayReadTheSame(const std::string& text)
{
    for (const char* same : kSameInBothLanguages)
        if (text == same)
            return true;
    return text.empty();
}

TEST_F(SameIds, TheSameStringIds)
{
    std::set<UINT> ours = StringIds(Module());
    EXPECT_EQ(ours.size(), (size_t)std::distance(std::begin(kStringIds), std::end(kStringIds)))
        << "every string the application loads, and no other";
    EXPECT_EQ(ours, StringIds(ReferenceModule()));
    for (UINT id : kStringIds)
        EXPECT_EQ(ours.count(id), 1u) << "string " << id;
}

TEST_F(SameIds, TheSameTemplatesWithTheSameControlsInTheSameOrder)
{
    std::set<std::string> ours = NamesOfType(Module(), "#5" /* RT_DIALOG */);
    EXPECT_EQ(ours.size(), (size_t)std::distance(std::begin(kDialogs), std::end(kDialogs)));
    EXPECT_EQ(ours, NamesOfType(ReferenceModule(), "#5"));
    for (UINT id : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        DialogTemplate t(id);
        DialogTemplate other(id, ReferenceModule());
        ASSERT_TRUE(t.ok());
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(t.style(), other.style());
        if (IsPage(id)) {
            EXPECT_EQ(t.cx(), other.cx());
            EXPECT_EQ(t.cy(), other.cy());
        }
        ASSERT_EQ(t.items().size(), other.items().size());
        for (size_t i = 0; i < t.items().size(); ++i) {
            const TemplateItem& a = t.items()[i];
            const TemplateItem& b = other.items()[i];
            EXPECT_EQ(a.id, b.id) << "control " << i << " in tab order";
            EXPECT_EQ(a.cls, b.cls) << "control " << a.id;
            EXPECT_EQ(a.style, b.style) << "control " << a.id;
            EXPECT_EQ(a.exStyle, b.exStyle) << "control " << a.id;
        }
    }
}

TEST_F(SameIds, TheSameIconsAndLogo)
{
    EXPECT_EQ(NamesOfType(Module(), "#14" /* RT_GROUP_ICON */), NamesOfType(ReferenceModule(), "#14"));
    EXPECT_EQ(NamesOfType(Module(), "#2" /* RT_BITMAP */), NamesOfType(ReferenceModule(), "#2"));
    for (UINT id : kIcons) {
        std::map<int, std::string> ours = IconImages(Module(), id);
        EXPECT_FALSE(ours.empty()) << "icon " << id;
        EXPECT_EQ(ours, IconImages(ReferenceModule(), id)) << "icon " << id;
    }
    for (UINT id : { IDB_LOGO, IDB_LOGO_LARGE }) {
        std::string logo = RawResource(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
        EXPECT_FALSE(logo.empty()) << "bitmap " << id;
        EXPECT_EQ(logo, RawResource(ReferenceModule(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2))) << "bitmap " << id;
    }
}

TEST_F(SameIds, EveryTextIsTheModulesOwn)
{
    for (UINT id : kStringIds) {
        std::string text = Str(id);
        if (!MayReadTheSame(text)) {
            EXPECT_NE(text, Str(id, ReferenceModule())) << "string " << id << " is not translated";
        }
    }
    for (UINT id : kDialogs) {
        DialogTemplate t(id);
        DialogTemplate other(id, ReferenceModule());
        ASSERT_TRUE(t.ok());
        ASSERT_TRUE(other.ok());
        if (!MayReadTheSame(t.caption())) {
            EXPECT_NE(t.caption(), other.caption()) << "dialog " << id;
        }
        for (size_t i = 0; i < t.items().size() && i < other.items().size(); ++i) {
            const std::string& text = t.items()[i].text;
            if (!MayReadTheSame(text) && text[0] != '#') {
                EXPECT_NE(text, other.items()[i].text) << "dialog " << id << ", control " << t.items()[i].id;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// What the build writes beside the executable

TEST(BuildOutput, ProdinfoPointsAtTheResourceModule)
{
    std::string ini = BinDir() + "\\prodinfo.ini";
    char value[256] = "";
    GetPrivateProfileStringA("Modules", "ServiceApp", "", value, sizeof(value), ini.c_str());
    EXPECT_STREQ(value, "English,1033,lang\\ServiceRes.dll:1");

    FILE* f = fopen(ini.c_str(), "rb");
    ASSERT_NE(f, (FILE*)NULL) << ini;
    std::string raw;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        raw.append(buf, n);
    fclose(f);
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(raw.compare(0, 11, "[Modules]\r\n"), 0);
    for (size_t i = 0; i < raw.size(); ++i)
        if (raw[i] == '\n') {
            EXPECT_TRUE(i > 0 && raw[i - 1] == '\r') << "bare line feed at byte " << i;
        }
    EXPECT_EQ(raw.back(), '\n');
}

// ---------------------------------------------------------------------------
// The executable's own resources (res/ServiceApp.rc is linked into this program)

TEST(ExecutableResources, ManifestAsksForCommonControlsSixAsInvokerAndIsDpiAware)
{
    std::string manifest = RawResource(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // System DPI aware: Windows does not stretch the windows blurred.
    const std::string dpiAware =
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>";
    EXPECT_NE(manifest.find(dpiAware), std::string::npos) << manifest;
}

TEST(ExecutableResources, IconIsTheApplicationIconOfTheModuleAndAVersionBlockExists)
{
    ASSERT_NE(Module(), (HMODULE)NULL);
    std::map<int, std::string> own = IconImages(NULL, IDI_APP);
    std::map<int, std::string> module = IconImages(Module(), IDI_APP);
    EXPECT_EQ(own.size(), 4u) << "16, 24, 32 and 48 pixels";
    EXPECT_EQ(own, module) << "res/ServiceApp.ico is to be a copy of the module's application icon";
    EXPECT_FALSE(RawResource(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */).empty());
    EXPECT_FALSE(RawResource(Module(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)).empty());
}

} // namespace

// Reads the options (see the head of this file); GoogleTest takes its own first.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    Options& options = TheOptions();
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.compare(0, 9, "--module=") == 0) {
            options.module = Backslashed(arg.substr(9));
        } else if (arg.compare(0, 12, "--reference=") == 0) {
            options.reference = Backslashed(arg.substr(12));
        } else if (arg.compare(0, 11, "--language=") == 0) {
            options.language = (LANGID)strtoul(arg.c_str() + 11, NULL, 0);
        } else {
            fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    printf("module %s, language %u, reference %s\n", options.module.c_str(), (unsigned)options.language,
           options.reference.c_str());
    return RUN_ALL_TESTS();
}
