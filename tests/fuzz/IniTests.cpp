// IniTests.cpp - the locator's whole look-up on hostile prodinfo.ini files,
// through the system's own INI reader (GetPrivateProfileStringA), which the
// native fuzzer cannot run: the key-level cases (no file, no section, no key,
// duplicate keys and sections, comments, encodings, line ends) need it.
//
// The executable whose key is looked up is a copy of locator_ini_host.dll
// named SVCAPP07.dll in a folder of the tests' own, beside its prodinfo.ini;
// its instance handle stands for the executable's. Another copy,
// res\module.dll, is the resource module that a good line names.
//
// For each file: what the reader hands out for the key is read with the same
// call the locator makes, and LocatorOracle.h says what the entry must hold;
// then ReadModuleEntry, GetResourceModulePath and LoadResourceModule must
// agree with it, and every case that names no usable module must come back
// to the executable's own resources (its own path and instance handle).
//
// IniCorpus runs the files of tests/fuzz/ini, each with the outcome it must
// have; IniMutations runs a bounded number of generated files (seeded, so a
// failure repeats), built from the lines of tests/fuzz/corpus.
#include "app/ResourceLocator.h"

#include "LocatorOracle.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace
{

const char kHostName[] = "locator_ini_host.dll";
const char kKey[] = "SVCAPP07";

std::string ModulePath(HMODULE hModule)
{
    char sz[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(hModule, sz, MAX_PATH);
    return std::string(sz, n < MAX_PATH ? n : 0);
}

// This test program's directory, with a trailing backslash.
std::string ProgramDirectory()
{
    std::string path = ModulePath(NULL);
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string CurrentDirectory()
{
    char sz[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, sz);
    return sz;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f == NULL)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (f == NULL)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

// Names of the files in dir (with a trailing backslash) that match pattern.
std::vector<std::string> FilesIn(const std::string& dir, const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((dir + pattern).c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(fd.cFileName);
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

// Whether two paths name the same file (whatever their spelling: case,
// slashes, dots).
bool SameFile(const std::string& a, const std::string& b)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* paths[2] = { &a, &b };
    for (int k = 0; k < 2; ++k)
    {
        HANDLE h = CreateFileA(paths[k]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        BOOL ok = GetFileInformationByHandle(h, &info[k]);
        CloseHandle(h);
        if (!ok)
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber
           && info[0].nFileIndexHigh == info[1].nFileIndexHigh
           && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// Text with its control and non-ASCII bytes as \xNN, for messages.
std::string Printable(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        unsigned char c = (unsigned char)text[i];
        if (c >= 0x20 && c < 0x7F)
            out += (char)c;
        else
        {
            char sz[8];
            sprintf(sz, "\\x%02X", c);
            out += sz;
        }
    }
    return out;
}

// What a look-up came to.
enum Outcome
{
    kNotRead,           // no value for the key: ReadModuleEntry FALSE, own resources
    kReadNoUse,         // a value that asks for no module: own resources
    kUseFails,          // a module asked for that does not load: own resources
    kLoads,             // the module named was loaded
    kAsReaderGives      // (expectation only) whatever the reader's value calls for
};

const char* OutcomeName(Outcome outcome)
{
    switch (outcome)
    {
    case kNotRead: return "not read";
    case kReadNoUse: return "read, not used";
    case kUseFails: return "used, load fails";
    case kLoads: return "loads";
    default: return "as the reader gives";
    }
}

class IniLookupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = ProgramDirectory() + "locator_ini_work";
        CreateDirectoryA(m_dir.c_str(), NULL);
        m_dir += std::string("\\") + info->name();
        CreateDirectoryA(m_dir.c_str(), NULL);
        CreateDirectoryA((m_dir + "\\res").c_str(), NULL);
        m_ini = m_dir + "\\prodinfo.ini";
        m_hostPath = m_dir + "\\" + kKey + ".dll";
        m_modulePath = m_dir + "\\res\\module.dll";
        const std::string host = ProgramDirectory() + kHostName;
        ASSERT_TRUE(CopyFileA(host.c_str(), m_hostPath.c_str(), FALSE)) << host;
        ASSERT_TRUE(CopyFileA(host.c_str(), m_modulePath.c_str(), FALSE)) << host;
        m_hHost = LoadLibraryA(m_hostPath.c_str());
        ASSERT_TRUE(m_hHost != NULL) << m_hostPath;
        ASSERT_EQ(m_hostPath, ModulePath(m_hHost));
    }

    void TearDown() override
    {
        if (m_hHost != NULL)
            FreeLibrary(m_hHost);
        DeleteFileA(m_ini.c_str());
        DeleteFileA(m_modulePath.c_str());
        DeleteFileA(m_hostPath.c_str());
        RemoveDirectoryA((m_dir + "\\res").c_str());
        RemoveDirectoryA(m_dir.c_str());
    }

    // Puts bytes in prodinfo.ini (no file at all when bPresent is false),
    // looks the key up through every locator entry point and checks the
    // results against each other and against LocatorOracle.h. *pValue gets
    // what the reader handed out.
    Outcome LookUp(const std::string& bytes, bool bPresent, std::string* pValue)
    {
        DeleteFileA(m_ini.c_str());
        if (bPresent)
        {
            EXPECT_TRUE(WriteBytes(m_ini, bytes));
        }
        // The reader may keep the last file it read: forget it.
        WritePrivateProfileStringA(NULL, NULL, NULL, m_ini.c_str());

        char szValue[256];
        DWORD nValue = GetPrivateProfileStringA("Modules", kKey, "", szValue, sizeof(szValue),
                                                m_ini.c_str());
        const std::string value = szValue;
        EXPECT_EQ(nValue, value.size());
        EXPECT_LE(value.size(), 255u);
        if (pValue != NULL)
            *pValue = value;
        const oracle::Expected expected = oracle::Read(value);

        // ReadModuleEntry: the entry only when there is a value.
        ModuleEntry entry;
        memset(&entry, 0xA5, sizeof(entry));
        const BOOL bRead = ReadModuleEntry(m_hHost, &entry);
        EXPECT_EQ(nValue != 0, bRead != FALSE);
        if (!bRead)
        {
            const unsigned char* p = (const unsigned char*)&entry;
            EXPECT_EQ(sizeof(entry), (size_t)std::count(p, p + sizeof(entry), 0xA5))
                << "the entry was changed without a value";
        }
        else
        {
            EXPECT_TRUE(memchr(entry.szName, '\0', sizeof(entry.szName)) != NULL);
            EXPECT_TRUE(memchr(entry.szPath, '\0', sizeof(entry.szPath)) != NULL);
            EXPECT_EQ(expected.name, std::string(entry.szName));
            EXPECT_EQ((short)atoi(expected.numberText.c_str()), entry.nNumber);
            EXPECT_TRUE(entry.bUseModule == 0 || entry.bUseModule == 1);
            if (expected.cannotName)
            {
                EXPECT_EQ(0, entry.bUseModule) << "a value that names no module";
            }
            if (expected.use == oracle::kFlagNonZero)
            {
                EXPECT_EQ(1, entry.bUseModule);
            }
            int nLength = 0;
            EXPECT_EQ(oracle::Compose(m_hostPath, expected.relative, MAX_PATH, &nLength),
                      std::string(entry.szPath));
        }

        // GetResourceModulePath: the module's path, or the executable's own.
        char szPath[MAX_PATH];
        memset(szPath, 'X', sizeof(szPath));
        const BOOL bUse = GetResourceModulePath(m_hHost, szPath, MAX_PATH);
        EXPECT_EQ(bRead && entry.bUseModule, bUse != FALSE);
        if (!bUse)
        {
            EXPECT_EQ(m_hostPath, std::string(szPath)) << "the fallback is the executable's own path";
        }
        else if (bRead)
        {
            EXPECT_STREQ(entry.szPath, szPath);
        }

        // LoadResourceModule: the module, or the executable's own handle; the
        // current directory is as it was.
        const std::string cwd = CurrentDirectory();
        HINSTANCE hLoaded = LoadResourceModule(m_hHost);
        EXPECT_EQ(cwd, CurrentDirectory());
        EXPECT_TRUE(hLoaded != NULL);
        if (!bUse)
        {
            EXPECT_EQ(m_hHost, hLoaded) << "no module asked for: the executable's own resources";
        }
        if (bUse && SameFile(szPath, m_modulePath))
        {
            EXPECT_NE(m_hHost, hLoaded) << "the module named was not loaded";
        }
        Outcome outcome = !bRead ? kNotRead : !bUse ? kReadNoUse : kUseFails;
        if (hLoaded != NULL && hLoaded != m_hHost)
        {
            outcome = kLoads;
            EXPECT_TRUE(bUse);
            // The loader's own rules (an added ".dll", slashes, case) may
            // find it under another spelling; the only module there is.
            EXPECT_TRUE(SameFile(m_modulePath, ModulePath(hLoaded)))
                << "loaded " << ModulePath(hLoaded) << " for " << szPath;
            FreeLibrary(hLoaded);
        }
        return outcome;
    }

    std::string m_dir;
    std::string m_ini;
    std::string m_hostPath;
    std::string m_modulePath;
    HINSTANCE m_hHost = NULL;
};

// --- the files of tests/fuzz/ini ---------------------------------------------

struct IniCase
{
    const char* file;
    Outcome outcome;
    const char* readerGives[2];     // when set: the reader hands out one of these
};

const IniCase kIniCases[] = {
    { "real.ini", kLoads, {} },
    { "real-flag-0.ini", kReadNoUse, {} },
    { "real-no-colon.ini", kReadNoUse, {} },
    { "real-among-others.ini", kLoads, {} },
    { "empty.ini", kNotRead, {} },
    { "no-key.ini", kNotRead, {} },
    { "no-section.ini", kNotRead, {} },
    { "other-section.ini", kNotRead, {} },
    { "section-unterminated.ini", kAsReaderGives, {} },
    { "key-commented-out.ini", kNotRead, {} },
    { "key-without-value.ini", kNotRead, {} },
    { "key-without-equals.ini", kNotRead, {} },
    { "key-other-case.ini", kLoads, {} },
    { "key-with-extension.ini", kNotRead, {} },
    { "key-spaces-around.ini", kLoads, {} },
    { "value-spaces-and-tabs.ini", kUseFails, {} },
    { "duplicate-keys-flag-0-first.ini", kAsReaderGives,
      { "Sample,1,res\\module.dll:0", "Sample,1,res\\module.dll:1" } },
    { "duplicate-keys-good-first.ini", kAsReaderGives, { "Sample,1,res\\module.dll:1", "Broken" } },
    { "duplicate-sections.ini", kAsReaderGives, { "", "Sample,1,res\\module.dll:1" } },
    { "lf-only.ini", kLoads, {} },
    { "cr-only.ini", kAsReaderGives, {} },
    { "no-final-newline.ini", kLoads, {} },
    { "utf8-bom.ini", kAsReaderGives, {} },
    { "utf16.ini", kAsReaderGives, {} },
    { "quoted-value.ini", kAsReaderGives, {} },
    { "value-255.ini", kLoads, {} },
    { "value-300.ini", kReadNoUse, {} },
    { "value-after-255-flag.ini", kReadNoUse, {} },
    { "relative-longer-than-49.ini", kUseFails, {} },
    { "relative-empty.ini", kUseFails, {} },
    { "relative-is-directory.ini", kUseFails, {} },
    { "relative-missing-module.ini", kUseFails, {} },
    { "relative-not-a-module.ini", kUseFails, {} },
    { "drive-letter.ini", kReadNoUse, {} },
    { "non-ascii-bytes.ini", kLoads, {} },
    { "nul-in-value.ini", kAsReaderGives, {} },
    { "binary-junk.ini", kAsReaderGives, {} },
};

} // namespace

TEST_F(IniLookupTest, NoFileFallsBackToTheExecutablesOwnResources)
{
    EXPECT_EQ(kNotRead, LookUp("", false, NULL));
}

TEST_F(IniLookupTest, EveryFileOfTheCorpusGivesItsOutcome)
{
    const std::string dir = ProgramDirectory() + "locator_ini_corpus\\";
    const std::vector<std::string> files = FilesIn(dir, "*.ini");
    std::map<std::string, const IniCase*> cases;
    for (const IniCase& c : kIniCases)
        cases[c.file] = &c;
    ASSERT_EQ(cases.size(), files.size()) << "every file of " << dir << " needs its outcome here";

    for (const std::string& file : files)
    {
        SCOPED_TRACE(file);
        auto it = cases.find(file);
        ASSERT_TRUE(it != cases.end()) << file << " has no outcome here";
        const IniCase& c = *it->second;
        std::string value;
        const Outcome outcome = LookUp(ReadBytes(dir + file), true, &value);
        if (c.outcome != kAsReaderGives)
        {
            EXPECT_EQ(OutcomeName(c.outcome), std::string(OutcomeName(outcome)));
        }
        if (c.readerGives[0] != NULL)
        {
            EXPECT_TRUE(value == c.readerGives[0] || value == c.readerGives[1])
                << "the reader gave \"" << value << "\"";
        }
        printf("  %-34s %-18s value \"%s\"\n", file.c_str(), OutcomeName(outcome),
               Printable(value.substr(0, 60)).c_str());
    }
}

// --- generated files -----------------------------------------------------------

namespace
{

// xorshift32: the same files on every run for the same seed.
class Random
{
public:
    explicit Random(unsigned int seed) : m_state(seed != 0 ? seed : 1) {}
    unsigned int Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    size_t Below(size_t n) { return n == 0 ? 0 : Next() % n; }
    bool Chance(unsigned int percent) { return Next() % 100 < percent; }
    template <size_t N>
    const char* Pick(const char* const (&items)[N]) { return items[Below(N)]; }

private:
    unsigned int m_state;
};

const char* const kSections[] = {
    "[modules]", "[MODULES]", "[ Modules ]", "[Modules",
    "Modules]", "[Other]", "[]", "[Modules]junk", " [Modules]", "[Modules]\t", "[[Modules]]",
};
const char* const kKeys[] = {
    "svcapp07", " SVCAPP07", "SVCAPP07 ", "SVCAPP07.dll",
    "SVCAPP0", "SVCAPP077", "", ";SVCAPP07", "#SVCAPP07", "SVC APP07", "SVCAPP07\t", "OTHERAPP",
};
const char* const kSeparators[] = { " = ", "==", "", ":", "\t=\t", "= " };
const char* const kOtherLines[] = {
    "", "; comment", "# comment", "garbage without equals", "=value without key",
    "Name=Service", "[Product]", "\t", "\xEF\xBB\xBF", "OTHERAPP=Other,2,other.dll:1",
};
const char* const kInserts[] = { ",", ":", " ", "\t", "\\", "0", "1", "\"", ";", "=", "[", "]",
                                 "\xA0", "\xFF", "..\\", "res\\module.dll", ",,", "::" };
const char* const kLineEnds[] = { "\r\n", "\r\n", "\r\n", "\n", "\r", "\n\r" };

std::string MutateValue(Random& random, std::string value)
{
    const size_t operations = random.Below(4);
    for (size_t k = 0; k < operations; ++k)
    {
        switch (random.Below(6))
        {
        case 0:     // change one byte
            if (!value.empty())
                value[random.Below(value.size())] = (char)(random.Below(255) + 1);
            break;
        case 1:     // insert a separator or another piece
            value.insert(random.Below(value.size() + 1), random.Pick(kInserts));
            break;
        case 2:     // cut a piece out
            if (!value.empty())
            {
                size_t at = random.Below(value.size());
                value.erase(at, random.Below(value.size() - at) + 1);
            }
            break;
        case 3:     // past the reader's 255 characters
            while (value.size() < 256 + random.Below(100))
                value += value.empty() ? std::string("x") : value;
            break;
        case 4:     // cut short
            value.resize(random.Below(value.size() + 1));
            break;
        default:    // a run of spaces or tabs
            value.insert(random.Below(value.size() + 1), random.Below(8) + 1,
                         random.Chance(50) ? ' ' : '\t');
            break;
        }
    }
    return value;
}

std::string MakeIni(Random& random, const std::vector<std::string>& values)
{
    std::vector<std::string> lines;
    const size_t before = random.Below(4);
    for (size_t k = 0; k < before; ++k)
        lines.push_back(random.Pick(kOtherLines));
    const size_t keys = random.Chance(85) ? 1 + random.Below(random.Chance(20) ? 3 : 1) : 0;
    if (random.Chance(90))
        lines.push_back(random.Chance(60) ? "[Modules]" : random.Pick(kSections));
    for (size_t k = 0; k < keys; ++k)
    {
        const std::string& seed = values[random.Below(values.size())];
        lines.push_back(std::string(random.Chance(60) ? "SVCAPP07" : random.Pick(kKeys))
                        + (random.Chance(60) ? "=" : random.Pick(kSeparators))
                        + MutateValue(random, seed));
        if (random.Chance(20))
            lines.push_back(random.Pick(kOtherLines));
    }
    const size_t after = random.Below(3);
    for (size_t k = 0; k < after; ++k)
        lines.push_back(random.Pick(kOtherLines));

    const std::string lineEnd = random.Pick(kLineEnds);
    std::string text;
    for (size_t k = 0; k < lines.size(); ++k)
    {
        text += lines[k];
        if (k + 1 < lines.size() || random.Chance(80))
            text += lineEnd;
    }
    if (random.Chance(5))
    {
        // UTF-16 with its byte order mark, each byte taken as a character.
        std::string wide = "\xFF\xFE";
        for (size_t k = 0; k < text.size(); ++k)
        {
            wide += text[k];
            wide += '\0';
        }
        return wide;
    }
    if (random.Chance(5))
        return "\xEF\xBB\xBF" + text;
    return text;
}

unsigned long EnvironmentNumber(const char* name, unsigned long fallback)
{
    char sz[32];
    DWORD n = GetEnvironmentVariableA(name, sz, sizeof(sz));
    if (n == 0 || n >= sizeof(sz))
        return fallback;
    return strtoul(sz, NULL, 10);
}

} // namespace

TEST_F(IniLookupTest, GeneratedFilesFallBackOrLoadWhatTheyName)
{
    // LOCATOR_INI_ITERATIONS and LOCATOR_INI_SEED change the run.
    const unsigned long iterations = EnvironmentNumber("LOCATOR_INI_ITERATIONS", 2000);
    const unsigned long seed = EnvironmentNumber("LOCATOR_INI_SEED", 20240607);

    const std::string corpus = ProgramDirectory() + "locator_fuzz_corpus\\";
    std::vector<std::string> values;
    for (const std::string& file : FilesIn(corpus, "*"))
        values.push_back(ReadBytes(corpus + file));
    ASSERT_GE(values.size(), 50u) << "the value lines of tests/fuzz/corpus in " << corpus;

    Random random((unsigned int)seed);
    unsigned long counts[kAsReaderGives] = {};
    const DWORD started = GetTickCount();
    unsigned long done = 0;
    for (; done < iterations; ++done)
    {
        const std::string ini = MakeIni(random, values);
        const Outcome outcome = LookUp(ini, true, NULL);
        ++counts[outcome];
        if (HasFailure())
        {
            ADD_FAILURE() << "file " << done << " of seed " << seed << ": \"" << Printable(ini)
                          << "\"";
            break;
        }
    }
    printf("  %lu generated files (seed %lu) in %lu ms: %lu not read, %lu read and not used,"
           " %lu used and not loadable, %lu loaded\n",
           done, seed, (unsigned long)(GetTickCount() - started), counts[kNotRead],
           counts[kReadNoUse], counts[kUseFails], counts[kLoads]);

    // The generator reaches every outcome; without that the run proves little.
    if (iterations >= 1000)
    {
        EXPECT_GT(counts[kNotRead], 0u);
        EXPECT_GT(counts[kReadNoUse], 0u);
        EXPECT_GT(counts[kUseFails], 0u);
        EXPECT_GT(counts[kLoads], 0u);
    }
}
