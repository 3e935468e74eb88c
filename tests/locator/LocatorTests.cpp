// LocatorTests.cpp - tests of the resource module locator: the string and
// path routines in this process, loading a module from its own directory, and
// whole look-ups run by copies of locator_probe_host.exe beside prodinfo.ini
// files in temporary folders of the tests' own.
#include "app/ResourceLocator.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <map>
#include <string>

namespace
{
typedef std::map<std::string, std::string> Report;
typedef const char* (*ProbeLoadDirectoryFn)(void);
typedef UINT (*ProbeLoadErrorModeFn)(void);

const char kProbeModule[] = "locator_probe_module.dll";
const char kProbeHost[] = "locator_probe_host.exe";

std::string ParentOf(const std::string& path)
{
    size_t n = path.find_last_of('\\');
    return n == std::string::npos ? std::string() : path.substr(0, n);
}

std::string ModulePath(HMODULE hModule)
{
    char sz[MAX_PATH] = "";
    GetModuleFileNameA(hModule, sz, MAX_PATH);
    return sz;
}

// Folder of this test program; the probe module and host lie beside it.
std::string TestBinaryDirectory()
{
    return ParentOf(ModulePath(NULL));
}

std::string CurrentDirectory()
{
    char sz[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, sz);
    return sz;
}

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

void DeleteTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
            {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryA(dir.c_str());
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f == NULL)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

Report ReadReport(const std::string& path)
{
    Report report;
    FILE* f = fopen(path.c_str(), "r");
    if (f == NULL)
        return report;
    char line[1024];
    while (fgets(line, sizeof(line), f) != NULL)
    {
        std::string s = line;
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        size_t eq = s.find('=');
        if (eq != std::string::npos)
            report[s.substr(0, eq)] = s.substr(eq + 1);
    }
    fclose(f);
    return report;
}

// A temporary folder of the test's own, removed with everything in it. The
// current directory is put back as it was.
class TempFolder
{
public:
    TempFolder()
    {
        static int s_nCount = 0;
        char szTemp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, szTemp);
        char szName[64];
        sprintf(szName, "loctest_%lu_%d", (unsigned long)GetCurrentProcessId(), ++s_nCount);
        m_path = ParentOf(std::string(szTemp) + "x") + "\\" + szName;   // no trailing backslash
        DeleteTree(m_path);
        CreateDirectoryA(m_path.c_str(), NULL);
        m_cwd = CurrentDirectory();
    }
    ~TempFolder()
    {
        SetCurrentDirectoryA(m_cwd.c_str());
        DeleteTree(m_path);
    }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "\\" + relative; }

private:
    std::string m_path;
    std::string m_cwd;
};

// Writes a prodinfo.ini with the given lines in section [Modules].
bool WriteModulesIni(const std::string& dir, const std::string& lines)
{
    return WriteTextFile(dir + "\\prodinfo.ini", "[Modules]\r\n" + lines + "\r\n");
}

bool CopyProbeModule(const std::string& target)
{
    CreateDirectoryA(ParentOf(target).c_str(), NULL);
    return CopyFileA((TestBinaryDirectory() + "\\" + kProbeModule).c_str(), target.c_str(), FALSE) != FALSE;
}

bool CopyProbeHost(const std::string& target)
{
    return CopyFileA((TestBinaryDirectory() + "\\" + kProbeHost).c_str(), target.c_str(), FALSE) != FALSE;
}

// Runs a copy of the probe host in the given current directory and returns
// its report (empty when it did not run to the end).
Report RunHost(const std::string& exe, const char* mode, const std::string& cwd)
{
    std::string out = cwd + "\\host-report.txt";
    DeleteFileA(out.c_str());
    std::string cmd = "\"" + exe + "\" " + mode + " \"" + out + "\"";
    std::string cmdBuffer = cmd;

    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    if (!CreateProcessA(exe.c_str(), &cmdBuffer[0], NULL, NULL, FALSE, 0, NULL, cwd.c_str(), &si, &pi))
    {
        ADD_FAILURE() << "cannot start " << cmd << " (error " << GetLastError() << ")";
        return Report();
    }
    DWORD dwWait = WaitForSingleObject(pi.hProcess, 60000);
    DWORD dwExit = 0;
    GetExitCodeProcess(pi.hProcess, &dwExit);
    if (dwWait != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(WAIT_OBJECT_0, dwWait) << cmd;
    EXPECT_EQ(0u, dwExit) << cmd;

    Report report = ReadReport(out);
    DeleteFileA(out.c_str());
    EXPECT_EQ("1", report["done"]) << cmd << " wrote no complete report";
    return report;
}

std::string Repeat(char ch, size_t n)
{
    return std::string(n, ch);
}
} // namespace

// ---------------------------------------------------------------------------
// Trimming: only the space character counts.

TEST(TrimSpaces, TrailingSpacesBecomeNul)
{
    char sz[] = "res\\a b  ";
    EXPECT_EQ(sz, TrimTrailingSpaces(sz));
    EXPECT_STREQ("res\\a b", sz);

    char szAll[] = "   ";
    EXPECT_STREQ("", TrimTrailingSpaces(szAll));

    char szEmpty[] = "";
    EXPECT_STREQ("", TrimTrailingSpaces(szEmpty));

    EXPECT_TRUE(TrimTrailingSpaces(NULL) == NULL);
}

TEST(TrimSpaces, TrailingTabsStay)
{
    char sz[] = "abc \t";
    TrimTrailingSpaces(sz);
    EXPECT_STREQ("abc \t", sz);

    char szMixed[] = "abc\t  ";
    TrimTrailingSpaces(szMixed);
    EXPECT_STREQ("abc\t", szMixed);
}

TEST(TrimSpaces, LeadingSpacesMoveTheRestToTheFront)
{
    char sz[] = "   a b  ";
    EXPECT_EQ(sz, TrimLeadingSpaces(sz));
    EXPECT_STREQ("a b  ", sz);

    char szAll[] = "    ";
    EXPECT_STREQ("", TrimLeadingSpaces(szAll));

    char szNone[] = "abc";
    EXPECT_STREQ("abc", TrimLeadingSpaces(szNone));

    EXPECT_TRUE(TrimLeadingSpaces(NULL) == NULL);
}

TEST(TrimSpaces, LeadingTabsStay)
{
    char sz[] = "\t abc";
    TrimLeadingSpaces(sz);
    EXPECT_STREQ("\t abc", sz);

    char szMixed[] = "  \tabc";
    TrimLeadingSpaces(szMixed);
    EXPECT_STREQ("\tabc", szMixed);
}

// ---------------------------------------------------------------------------
// The shared tokenizer.

TEST(NextToken, SplitsInPlaceAndStaysOnTheEnd)
{
    char sz[] = "ab,c,def";
    LPSTR p1 = NextToken(sz, ',');
    LPSTR p2 = NextToken(NULL, ',');
    LPSTR p3 = NextToken(NULL, ',');
    EXPECT_EQ(sz, p1);
    EXPECT_EQ(sz + 3, p2);
    EXPECT_EQ(sz + 5, p3);
    EXPECT_STREQ("ab", p1);
    EXPECT_STREQ("c", p2);
    EXPECT_STREQ("def", p3);
    // The delimiters were overwritten with NUL.
    EXPECT_EQ('\0', sz[2]);
    EXPECT_EQ('\0', sz[4]);

    // Past the end every call gives "" at the string's terminating NUL.
    LPSTR p4 = NextToken(NULL, ',');
    LPSTR p5 = NextToken(NULL, ',');
    EXPECT_EQ(sz + 8, p4);
    EXPECT_EQ(sz + 8, p5);
    EXPECT_STREQ("", p5);
}

TEST(NextToken, EmptyTokensAreNotSkipped)
{
    char sz[] = ",,x,";
    EXPECT_STREQ("", NextToken(sz, ','));
    EXPECT_STREQ("", NextToken(NULL, ','));
    EXPECT_STREQ("x", NextToken(NULL, ','));
    // After the trailing delimiter: one empty token, then the end.
    LPSTR pLast = NextToken(NULL, ',');
    EXPECT_STREQ("", pLast);
    EXPECT_EQ(sz + 4, pLast);
    EXPECT_EQ(sz + 4, NextToken(NULL, ','));
}

TEST(NextToken, StringWithoutDelimiterIsOneToken)
{
    char sz[] = "res\\module.dll";
    EXPECT_STREQ("res\\module.dll", NextToken(sz, ':'));
    EXPECT_STREQ("", NextToken(NULL, ','));

    char szEmpty[] = "";
    EXPECT_EQ(szEmpty, NextToken(szEmpty, ','));
    EXPECT_STREQ("", NextToken(NULL, ','));
}

TEST(NextToken, NewStringRestartsAndNullContinuesIt)
{
    char szFirst[] = "a,b,c";
    char szSecond[] = "x:y,z";
    EXPECT_STREQ("a", NextToken(szFirst, ','));
    EXPECT_STREQ("x", NextToken(szSecond, ':'));
    // The position is shared: NULL continues in the second string, with
    // whatever delimiter this call gives.
    EXPECT_STREQ("y", NextToken(NULL, ','));
    EXPECT_STREQ("z", NextToken(NULL, ','));
    EXPECT_STREQ("", NextToken(NULL, ','));
    // The first string was left as the first call made it.
    EXPECT_STREQ("b,c", szFirst + 2);
}

TEST(NextToken, NullBeforeAnyStringGivesNull)
{
    // Needs a process whose tokenizer was never given a string.
    TempFolder folder;
    std::string exe = folder / "tokens.exe";
    ASSERT_TRUE(CopyProbeHost(exe));
    Report report = RunHost(exe, "tokenizer", folder.Path());
    EXPECT_EQ("null", report["before_any"]);
}

// ---------------------------------------------------------------------------
// CopyBounded: lstrcpynA's rule on 16-bit counts.

TEST(CopyBounded, LongSourceIsCutWithNulAtTheLastSlot)
{
    char sz[10];
    memset(sz, 'X', sizeof(sz));
    EXPECT_EQ(sz, CopyBounded(sz, "abcdefgh", 5));
    EXPECT_STREQ("abcd", sz);
    for (int i = 5; i < 10; ++i)
        EXPECT_EQ('X', sz[i]) << "written beyond the count at " << i;
}

TEST(CopyBounded, SourceThatFitsIsCopiedWithItsNul)
{
    char sz[10];
    memset(sz, 'X', sizeof(sz));
    CopyBounded(sz, "abcd", 5);             // exactly fits
    EXPECT_STREQ("abcd", sz);

    memset(sz, 'X', sizeof(sz));
    CopyBounded(sz, "ab", 10);
    EXPECT_STREQ("ab", sz);
    EXPECT_EQ('X', sz[3]);                  // nothing after the NUL

    memset(sz, 'X', sizeof(sz));
    CopyBounded(sz, "abc", 1);              // room for the NUL only
    EXPECT_EQ('\0', sz[0]);
    EXPECT_EQ('X', sz[1]);
}

TEST(CopyBounded, NullSourceGivesEmptyString)
{
    char sz[4] = "abc";
    EXPECT_EQ(sz, CopyBounded(sz, NULL, 4));
    EXPECT_STREQ("", sz);
}

TEST(CopyBounded, CountThatIsNotPositiveWritesNothing)
{
    // 0x10000 and 0x18000 are 0 and negative as 16-bit counts.
    const int counts[] = { 0, -1, -260, 0x10000, 0x18000 };
    for (int cch : counts)
    {
        char sz[8];
        memset(sz, 'X', sizeof(sz));
        EXPECT_EQ(sz, CopyBounded(sz, "abc", cch)) << cch;
        EXPECT_EQ(sz, CopyBounded(sz, NULL, cch)) << cch;
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ('X', sz[i]) << "count " << cch << " wrote at " << i;
    }
}

TEST(CopyBounded, NullDestinationGivesNull)
{
    EXPECT_TRUE(CopyBounded(NULL, "abc", 10) == NULL);
}

// ---------------------------------------------------------------------------
// FindLastBackslash.

TEST(FindLastBackslash, IndexOfTheLastBackslash)
{
    EXPECT_EQ(6, FindLastBackslash("C:\\dir\\app.exe"));
    EXPECT_EQ(2, FindLastBackslash("C:\\app.exe"));
    EXPECT_EQ(3, FindLastBackslash("dir\\"));
    EXPECT_EQ(1, FindLastBackslash("a\\b"));
}

TEST(FindLastBackslash, ColonBeforeTheFileNameGivesZero)
{
    EXPECT_EQ(0, FindLastBackslash("C:app.exe"));
    EXPECT_EQ(0, FindLastBackslash("dir\\sub:app.exe"));
}

TEST(FindLastBackslash, NoSeparatorBackslashAtZeroOrNullGivesZero)
{
    EXPECT_EQ(0, FindLastBackslash("app.exe"));
    EXPECT_EQ(0, FindLastBackslash("\\app.exe"));
    EXPECT_EQ(0, FindLastBackslash(""));
    EXPECT_EQ(0, FindLastBackslash(NULL));
}

// ---------------------------------------------------------------------------
// MakePathBesideModule, against this test program's own directory.

class MakePathBesideModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hSelf = GetModuleHandleA(NULL);
        m_exe = ModulePath(NULL);
        m_dir = ParentOf(m_exe);
        ASSERT_FALSE(m_dir.empty());
        ASSERT_LT(m_dir.size() + 2, (size_t)MAX_PATH);
    }
    HINSTANCE m_hSelf = NULL;
    std::string m_exe;      // this program's path
    std::string m_dir;      // its directory, without the trailing backslash
};

TEST_F(MakePathBesideModuleTest, JoinsTheRelativePathToTheDirectory)
{
    char sz[MAX_PATH];
    short n = MakePathBesideModule(m_hSelf, "res\\module.dll", sz, MAX_PATH);
    std::string expected = m_dir + "\\res\\module.dll";
    EXPECT_STREQ(expected.c_str(), sz);
    EXPECT_EQ((short)expected.size(), n);
}

TEST_F(MakePathBesideModuleTest, LongestPathThatFitsIs259Characters)
{
    std::string relative = Repeat('r', MAX_PATH - 1 - (m_dir.size() + 1));
    char sz[MAX_PATH];
    short n = MakePathBesideModule(m_hSelf, relative.c_str(), sz, MAX_PATH);
    EXPECT_EQ(MAX_PATH - 1, n);
    EXPECT_EQ(m_dir + "\\" + relative, std::string(sz));
}

TEST_F(MakePathBesideModuleTest, PathOf260CharactersBecomesDirectoryAndQuestionMark)
{
    std::string relative = Repeat('r', MAX_PATH - (m_dir.size() + 1));
    char sz[MAX_PATH];
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, relative.c_str(), sz, MAX_PATH));
    EXPECT_EQ(m_dir + "\\?", std::string(sz));
}

TEST_F(MakePathBesideModuleTest, HugeRelativePathDoesNotWrapItsLength)
{
    // A length that would wrap to 5 in 16 bits.
    std::string relative = Repeat('r', 0x10000 + 5 - (m_dir.size() + 1));
    char sz[MAX_PATH + 16];
    memset(sz, 'X', sizeof(sz));
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, relative.c_str(), sz, MAX_PATH));
    EXPECT_EQ(m_dir + "\\?", std::string(sz));
    for (size_t i = MAX_PATH; i < sizeof(sz); ++i)
        EXPECT_EQ('X', sz[i]) << "written beyond the buffer at " << i;
}

TEST_F(MakePathBesideModuleTest, NothingIsWrittenBeyondASmallBuffer)
{
    const int nExe = (int)m_exe.size();
    // One character longer than the executable's file name.
    std::string relative = Repeat('r', m_exe.size() - m_dir.size());
    char sz[MAX_PATH + 16];

    // The executable's path just fits, the joined path does not.
    memset(sz, 'X', sizeof(sz));
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, relative.c_str(), sz, nExe + 1));
    EXPECT_EQ(m_dir + "\\?", std::string(sz));
    for (size_t i = nExe + 1; i < sizeof(sz); ++i)
        ASSERT_EQ('X', sz[i]) << "written beyond the count at " << i;

    // The executable's path itself is cut: its directory is unknown, and a
    // cut one must not be joined to.
    const int counts[] = { nExe, (int)m_dir.size() + 3, (int)m_dir.size() - 2, 4 };
    for (int cch : counts)
    {
        memset(sz, 'X', sizeof(sz));
        EXPECT_EQ(0, MakePathBesideModule(m_hSelf, "m", sz, cch)) << cch;
        EXPECT_STREQ("", sz) << cch;
        for (size_t i = cch; i < sizeof(sz); ++i)
            ASSERT_EQ('X', sz[i]) << "count " << cch << " wrote at " << i;
    }
}

TEST_F(MakePathBesideModuleTest, BadArgumentsGiveZeroAndWriteNothing)
{
    char sz[8];
    memset(sz, 'X', sizeof(sz));
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, NULL, sz, 8));
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, "m.dll", sz, 0));
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, "m.dll", sz, -1));
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, "m.dll", sz, 0x10000));   // 0 in 16 bits
    EXPECT_EQ(0, MakePathBesideModule(m_hSelf, "m.dll", NULL, MAX_PATH));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ('X', sz[i]) << i;
}

// ---------------------------------------------------------------------------
// ParseModuleEntry.

namespace
{
ModuleEntry Parse(const char* pszValue)
{
    char sz[256];
    CopyBounded(sz, pszValue, sizeof(sz));
    ModuleEntry entry;
    memset(&entry, 0xCC, sizeof(entry));
    ParseModuleEntry(sz, &entry);
    return entry;
}
} // namespace

TEST(ParseModuleEntry, FourFields)
{
    ModuleEntry e = Parse("Sample,1033,res\\module.dll:1");
    EXPECT_STREQ("Sample", e.szName);
    EXPECT_EQ(1033, e.nNumber);
    EXPECT_STREQ("res\\module.dll", e.szPath);
    EXPECT_EQ(1, e.bUseModule);
}

TEST(ParseModuleEntry, SpacesAroundFieldsGoButTabsAndSpacesBeforeTheColonStay)
{
    ModuleEntry e = Parse(" Sample , 12 , res\\module.dll :  1");
    EXPECT_STREQ("Sample", e.szName);
    EXPECT_EQ(12, e.nNumber);
    EXPECT_STREQ("res\\module.dll ", e.szPath);
    EXPECT_EQ(1, e.bUseModule);

    ModuleEntry t = Parse("\tSample\t, 3,\tres\\m.dll:1");
    EXPECT_STREQ("\tSample\t", t.szName);
    EXPECT_EQ(3, t.nNumber);
    EXPECT_STREQ("\tres\\m.dll", t.szPath);
}

TEST(ParseModuleEntry, FlagDecidesUse)
{
    EXPECT_EQ(0, Parse("Sample,1,res\\m.dll:0").bUseModule);
    EXPECT_EQ(0, Parse("Sample,1,res\\m.dll:").bUseModule);
    EXPECT_EQ(0, Parse("Sample,1,res\\m.dll:yes").bUseModule);
    EXPECT_EQ(1, Parse("Sample,1,res\\m.dll:7").bUseModule);   // stored as 1
    EXPECT_EQ(1, Parse("Sample,1,res\\m.dll:-1").bUseModule);
}

TEST(ParseModuleEntry, NoColonMeansNoModule)
{
    ModuleEntry e = Parse("Sample,1,res\\m.dll");
    EXPECT_STREQ("res\\m.dll", e.szPath);
    EXPECT_EQ(0, e.bUseModule);
}

TEST(ParseModuleEntry, FirstColonEndsThePathSoNoDriveLetter)
{
    ModuleEntry e = Parse("Sample,1,C:\\res\\m.dll:1");
    EXPECT_STREQ("C", e.szPath);
    EXPECT_EQ(0, e.bUseModule);     // the flag text is "\res\m.dll"
}

TEST(ParseModuleEntry, EmptySecondFieldGivesNumberZero)
{
    ModuleEntry e = Parse("Sample,,res\\m.dll:1");
    EXPECT_EQ(0, e.nNumber);
    EXPECT_STREQ("res\\m.dll", e.szPath);
    EXPECT_EQ(1, e.bUseModule);
}

TEST(ParseModuleEntry, MissingThirdFieldGivesEmptyPathAndNoModule)
{
    ModuleEntry e = Parse("Sample,5");
    EXPECT_STREQ("Sample", e.szName);
    EXPECT_EQ(5, e.nNumber);
    EXPECT_STREQ("", e.szPath);
    EXPECT_EQ(0, e.bUseModule);

    ModuleEntry f = Parse("");
    EXPECT_STREQ("", f.szName);
    EXPECT_EQ(0, f.bUseModule);
}

TEST(ParseModuleEntry, TextAfterAThirdCommaIsIgnored)
{
    ModuleEntry e = Parse("Sample,1,res\\m.dll:0,1");
    EXPECT_STREQ("res\\m.dll", e.szPath);
    EXPECT_EQ(0, e.bUseModule);
}

TEST(ParseModuleEntry, NumberIsKeptIn16Bits)
{
    EXPECT_EQ((short)(70000 - 65536), Parse("Sample,70000,p:1").nNumber);
    EXPECT_EQ(-5, Parse("Sample,-5,p:1").nNumber);
}

TEST(ParseModuleEntry, EntryIsZeroedAndNameCutTo49Characters)
{
    std::string name = Repeat('n', 60);
    ModuleEntry e = Parse((name + ",1").c_str());
    EXPECT_EQ(name.substr(0, 49), std::string(e.szName));
    for (size_t i = 0; i < sizeof(e.szPath); ++i)
        ASSERT_EQ('\0', e.szPath[i]) << "szPath not cleared at " << i;
    EXPECT_EQ(0, e.bUseModule);
}

TEST(ParseModuleEntry, NullArgumentsDoNotCrash)
{
    ModuleEntry e;
    memset(&e, 0xCC, sizeof(e));
    ParseModuleEntry(NULL, &e);
    EXPECT_STREQ("", e.szPath);
    EXPECT_EQ(0, e.bUseModule);

    char sz[] = "Sample,1,res\\m.dll:1";
    ParseModuleEntry(sz, NULL);
    EXPECT_STREQ("Sample,1,res\\m.dll:1", sz);
}

// ---------------------------------------------------------------------------
// SwitchDirectory.

TEST(SwitchDirectory, SavesAndChangesTheCurrentDirectory)
{
    TempFolder folder;
    char szSaved[MAX_PATH];
    ASSERT_EQ(0, SwitchDirectory(0, szSaved, MAX_PATH));
    EXPECT_TRUE(SamePath(CurrentDirectory(), szSaved)) << szSaved;

    std::string target = folder.Path();
    ASSERT_EQ(0, SwitchDirectory(1, &target[0], MAX_PATH));
    EXPECT_TRUE(SamePath(folder.Path(), CurrentDirectory())) << CurrentDirectory();

    ASSERT_EQ(0, SwitchDirectory(1, szSaved, MAX_PATH));
    EXPECT_TRUE(SamePath(szSaved, CurrentDirectory())) << CurrentDirectory();
}

TEST(SwitchDirectory, ChangesToAnotherDriveAndBack)
{
    std::string start = CurrentDirectory();
    ASSERT_GE(start.size(), 2u);
    ASSERT_EQ(':', start[1]);
    char chOther = 0;
    DWORD dwDrives = GetLogicalDrives();
    for (char ch = 'C'; ch <= 'Z' && chOther == 0; ++ch)
    {
        if (toupper((unsigned char)start[0]) == ch || !(dwDrives & (1u << (ch - 'A'))))
            continue;
        char szRoot[] = { ch, ':', '\\', '\0' };
        UINT uType = GetDriveTypeA(szRoot);
        if ((uType == DRIVE_FIXED || uType == DRIVE_REMOTE)
            && GetFileAttributesA(szRoot) != INVALID_FILE_ATTRIBUTES)
            chOther = ch;
    }
    if (chOther == 0)
        GTEST_SKIP() << "no second drive";

    // A missing directory on the other drive: nothing changes, not even the
    // drive.
    std::string missing = std::string(1, chOther) + ":\\no-such-dir";
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(missing.c_str()));
    EXPECT_EQ(1, SwitchDirectory(1, &missing[0], MAX_PATH));
    EXPECT_TRUE(SamePath(start, CurrentDirectory())) << CurrentDirectory();

    char szOther[] = { chOther, ':', '\\', '\0' };
    ASSERT_EQ(0, SwitchDirectory(1, szOther, MAX_PATH));
    EXPECT_EQ(chOther, toupper((unsigned char)CurrentDirectory()[0]));

    std::string back = start;
    ASSERT_EQ(0, SwitchDirectory(1, &back[0], MAX_PATH));
    EXPECT_TRUE(SamePath(start, CurrentDirectory())) << CurrentDirectory();
}

TEST(SwitchDirectory, FailuresReturnOneAndLeaveTheDirectory)
{
    TempFolder folder;
    std::string start = CurrentDirectory();

    std::string missing = folder / "missing";
    EXPECT_EQ(1, SwitchDirectory(1, &missing[0], MAX_PATH));
    char szNotADrive[] = "1:\\x";
    EXPECT_EQ(1, SwitchDirectory(1, szNotADrive, MAX_PATH));
    char szEmpty[] = "";
    EXPECT_EQ(1, SwitchDirectory(1, szEmpty, MAX_PATH));
    EXPECT_EQ(1, SwitchDirectory(1, NULL, MAX_PATH));
    EXPECT_TRUE(SamePath(start, CurrentDirectory())) << CurrentDirectory();

    // Saving: a buffer too small for the directory, no buffer, no room.
    char sz[MAX_PATH];
    EXPECT_EQ(1, SwitchDirectory(0, sz, 3));
    EXPECT_EQ(1, SwitchDirectory(0, NULL, MAX_PATH));
    EXPECT_EQ(1, SwitchDirectory(0, sz, 0));
    EXPECT_EQ(1, SwitchDirectory(0, sz, -1));
    EXPECT_EQ(1, SwitchDirectory(0, sz, 0x10000));     // 0 in 16 bits
    EXPECT_EQ(0, SwitchDirectory(0, sz, 0x10000 + MAX_PATH));
    EXPECT_TRUE(SamePath(start, sz)) << sz;
}

// ---------------------------------------------------------------------------
// LoadModuleInItsDirectory and FreeResourceModule, in this process.

class LoadModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_start = m_folder / "start";
        CreateDirectoryA(m_start.c_str(), NULL);
        ASSERT_TRUE(SetCurrentDirectoryA(m_start.c_str()));
        m_uPrevErrorMode = SetErrorMode(0);
    }
    void TearDown() override
    {
        if (m_hModule != NULL)
            FreeLibrary(m_hModule);
        SetErrorMode(m_uPrevErrorMode);
    }
    TempFolder m_folder;
    std::string m_start;
    HMODULE m_hModule = NULL;
    UINT m_uPrevErrorMode = 0;
};

TEST_F(LoadModuleTest, LoadsWithItsOwnDirectoryCurrentAndRestoresIt)
{
    std::string module = m_folder / "res\\probe.dll";
    ASSERT_TRUE(CopyProbeModule(module));

    m_hModule = LoadModuleInItsDirectory(module.c_str());
    ASSERT_TRUE(m_hModule != NULL);
    EXPECT_TRUE(SamePath(module, ModulePath(m_hModule))) << ModulePath(m_hModule);

    ProbeLoadDirectoryFn pfnDir = (ProbeLoadDirectoryFn)(void*)GetProcAddress(m_hModule, "ProbeLoadDirectory");
    ProbeLoadErrorModeFn pfnMode = (ProbeLoadErrorModeFn)(void*)GetProcAddress(m_hModule, "ProbeLoadErrorMode");
    ASSERT_TRUE(pfnDir != NULL && pfnMode != NULL);
    EXPECT_TRUE(SamePath(m_folder / "res", pfnDir())) << "during the load: " << pfnDir();
    EXPECT_EQ((UINT)(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX), pfnMode());

    EXPECT_TRUE(SamePath(m_start, CurrentDirectory())) << "after the load: " << CurrentDirectory();
    EXPECT_EQ(0u, SetErrorMode(0)) << "error mode not restored";
}

TEST_F(LoadModuleTest, MissingModuleGivesNullAndRestoresEverything)
{
    CreateDirectoryA((m_folder / "res").c_str(), NULL);
    const std::string paths[] = {
        m_folder / "res\\missing.dll",          // directory exists, file not
        m_folder / "nodir\\missing.dll",        // neither exists
        m_folder / "res",                       // a directory, not a module
        "missing-without-directory.dll",
    };
    for (const std::string& path : paths)
    {
        EXPECT_TRUE(LoadModuleInItsDirectory(path.c_str()) == NULL) << path;
        EXPECT_TRUE(SamePath(m_start, CurrentDirectory())) << path << " left " << CurrentDirectory();
        EXPECT_EQ(0u, SetErrorMode(0)) << path << ": error mode not restored";
    }
    EXPECT_TRUE(LoadModuleInItsDirectory(NULL) == NULL);
    EXPECT_TRUE(SamePath(m_start, CurrentDirectory()));
}

TEST_F(LoadModuleTest, ModuleAtADriveRootLoadsWithTheRootCurrent)
{
    // Maps a free drive letter to the test's folder, as "subst" does, so the
    // module lies at the root of a drive: the root keeps its backslash.
    char chFree = 0;
    DWORD dwDrives = GetLogicalDrives();
    for (char ch = 'Y'; ch >= 'H' && chFree == 0; --ch)
    {
        if (!(dwDrives & (1u << (ch - 'A'))))
            chFree = ch;
    }
    if (chFree == 0)
        GTEST_SKIP() << "no free drive letter";
    const std::string drive = std::string(1, chFree) + ":";
    if (!DefineDosDeviceA(0, drive.c_str(), m_folder.Path().c_str()))
        GTEST_SKIP() << "cannot map a drive letter";
    struct DriveMapping
    {
        std::string drive;
        ~DriveMapping() { DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive.c_str(), NULL); }
    } mapping = { drive };
    const std::string root = drive + "\\";
    if (GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "mapped drive letters do not work here (Wine ignores them)";

    ASSERT_TRUE(CopyProbeModule(m_folder / "probe.dll"));
    m_hModule = LoadModuleInItsDirectory((root + "probe.dll").c_str());
    ASSERT_TRUE(m_hModule != NULL);
    ProbeLoadDirectoryFn pfnDir = (ProbeLoadDirectoryFn)(void*)GetProcAddress(m_hModule, "ProbeLoadDirectory");
    ASSERT_TRUE(pfnDir != NULL);
    EXPECT_TRUE(SamePath(root, pfnDir())) << "during the load: " << pfnDir();
    EXPECT_TRUE(SamePath(m_start, CurrentDirectory())) << "after the load: " << CurrentDirectory();
}

TEST_F(LoadModuleTest, FreeResourceModuleKeepsTheModuleLoaded)
{
    std::string module = m_folder / "res\\probe.dll";
    ASSERT_TRUE(CopyProbeModule(module));
    m_hModule = LoadModuleInItsDirectory(module.c_str());
    ASSERT_TRUE(m_hModule != NULL);

    EXPECT_EQ(0, FreeResourceModule(GetModuleHandleA(NULL), m_hModule));
    EXPECT_EQ(0, FreeResourceModule(NULL, NULL));
    EXPECT_TRUE(GetModuleHandleA(module.c_str()) == m_hModule);
}

// ---------------------------------------------------------------------------
// Whole look-ups: a copy of the probe host beside a prodinfo.ini.

class LookupTest : public ::testing::Test
{
protected:
    // Puts the host into the folder as exeName and runs it from the folder.
    Report Run(const std::string& exeName)
    {
        std::string exe = m_folder / exeName;
        if (!CopyProbeHost(exe))
        {
            ADD_FAILURE() << "cannot copy the host to " << exe;
            return Report();
        }
        return RunHost(exe, "load", m_folder.Path());
    }

    // Checks that the run fell back to the executable's own handle.
    static void ExpectOwnHandle(Report& r, const std::string& what)
    {
        EXPECT_EQ("self", r["result"]) << what;
        EXPECT_TRUE(SamePath(r["cwd_before"], r["cwd_after"])) << what << ": " << r["cwd_after"];
        EXPECT_EQ("0", r["free"]) << what;
    }

    TempFolder m_folder;
};

TEST_F(LookupTest, ConfiguredModuleLoadsFromItsOwnDirectory)
{
    ASSERT_TRUE(CopyProbeModule(m_folder / "res\\probe.dll"));
    ASSERT_TRUE(WriteModulesIni(m_folder.Path(), "svcapp07=Sample,1033,res\\probe.dll:1"));

    Report r = Run("svcapp07.exe");
    EXPECT_EQ("1", r["read"]);
    EXPECT_EQ("Sample", r["name"]);
    EXPECT_EQ("1033", r["number"]);
    EXPECT_TRUE(SamePath(m_folder / "res\\probe.dll", r["path"])) << r["path"];
    EXPECT_EQ("1", r["use"]);
    EXPECT_EQ("1", r["getpath"]);
    EXPECT_TRUE(SamePath(m_folder / "res\\probe.dll", r["getpath_out"])) << r["getpath_out"];

    ASSERT_EQ("module", r["result"]);
    EXPECT_TRUE(SamePath(m_folder / "res\\probe.dll", r["module_file"])) << r["module_file"];
    EXPECT_TRUE(SamePath(m_folder / "res", r["load_dir"])) << "during the load: " << r["load_dir"];
    EXPECT_EQ("32769", r["load_error_mode"]);   // SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX
    EXPECT_TRUE(SamePath(m_folder.Path(), r["cwd_before"])) << r["cwd_before"];
    EXPECT_TRUE(SamePath(m_folder.Path(), r["cwd_after"])) << "after the load: " << r["cwd_after"];
    EXPECT_EQ("0", r["free"]);
}

TEST_F(LookupTest, SpacesAroundFieldsAreRemoved)
{
    ASSERT_TRUE(CopyProbeModule(m_folder / "res\\probe.dll"));
    ASSERT_TRUE(WriteModulesIni(m_folder.Path(), "svcapp07=Sample  ,  7 ,  res\\probe.dll:  1"));

    Report r = Run("svcapp07.exe");
    EXPECT_EQ("Sample", r["name"]);
    EXPECT_EQ("7", r["number"]);
    EXPECT_TRUE(SamePath(m_folder / "res\\probe.dll", r["path"])) << r["path"];
    EXPECT_EQ("module", r["result"]);
}

TEST_F(LookupTest, KeyIsTheNameUpToItsLastDot)
{
    ASSERT_TRUE(CopyProbeModule(m_folder / "res\\probe.dll"));
    // Only the key "svc.app" names a module that exists.
    ASSERT_TRUE(WriteModulesIni(m_folder.Path(),
                                "svc=Wrong,1,res\\first-dot.dll:1\r\n"
                                "svc.app.exe=Wrong,2,res\\whole-name.dll:1\r\n"
                                "svc.app=Right,3,res\\probe.dll:1"));

    Report r = Run("svc.app.exe");
    EXPECT_EQ("Right", r["name"]);
    EXPECT_EQ("3", r["number"]);
    EXPECT_EQ("module", r["result"]);
    EXPECT_TRUE(SamePath(m_folder / "res\\probe.dll", r["module_file"])) << r["module_file"];
}

TEST_F(LookupTest, NameWithoutExtensionIsTheWholeKey)
{
    ASSERT_TRUE(CopyProbeModule(m_folder / "res\\probe.dll"));
    ASSERT_TRUE(WriteModulesIni(m_folder.Path(), "svcapp=Plain,4,res\\probe.dll:1"));

    // CreateProcess needs the ".exe"; the host is copied without it and found
    // through its full name.
    std::string exe = m_folder / "svcapp";
    ASSERT_TRUE(CopyProbeHost(exe));
    Report r = RunHost(exe, "load", m_folder.Path());
    EXPECT_EQ("Plain", r["name"]);
    EXPECT_EQ("module", r["result"]);
}

TEST_F(LookupTest, RelativePathIsCutTo49Characters)
{
    // The first 49 characters name the module; the rest of the field would
    // name a file that does not exist.
    std::string relative = "res\\" + Repeat('m', 49 - 4 - 4) + ".dll";
    ASSERT_EQ(49u, relative.size());
    ASSERT_TRUE(CopyProbeModule(m_folder / relative));
    ASSERT_TRUE(WriteModulesIni(m_folder.Path(), "svcapp07=Long,1," + relative + "-and-more.dll:1"));

    Report r = Run("svcapp07.exe");
    EXPECT_TRUE(SamePath(m_folder / relative, r["path"])) << r["path"];
    EXPECT_EQ("module", r["result"]);
    EXPECT_TRUE(SamePath(m_folder / relative, r["module_file"])) << r["module_file"];
}

TEST_F(LookupTest, JoinedPathOf260CharactersFallsBack)
{
    // A folder deep enough that directory + relative path reaches 260
    // characters while the executable's own path stays short of it.
    std::string deep = m_folder / "deep";
    CreateDirectoryA(deep.c_str(), NULL);
    while (deep.size() < 215)
    {
        size_t nRest = 215 - deep.size();
        deep += "\\" + Repeat('d', nRest < 60 ? nRest : 60);
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL)) << deep;
    }
    ASSERT_LT(deep.size(), 230u);
    std::string relative = "res\\" + Repeat('m', 260 - deep.size() - 1 - 4 - 4) + ".dll";
    ASSERT_LE(relative.size(), 49u);
    ASSERT_EQ(260u, deep.size() + 1 + relative.size());
    ASSERT_TRUE(WriteModulesIni(deep, "p=Deep,1," + relative + ":1"));

    std::string exe = deep + "\\p.exe";
    ASSERT_TRUE(CopyProbeHost(exe));
    Report r = RunHost(exe, "load", m_folder.Path());
    EXPECT_EQ("1", r["read"]);
    EXPECT_EQ("1", r["use"]);
    EXPECT_TRUE(SamePath(deep + "\\?", r["path"])) << r["path"];
    EXPECT_EQ("1", r["getpath"]);
    EXPECT_TRUE(SamePath(deep + "\\?", r["getpath_out"])) << r["getpath_out"];
    ExpectOwnHandle(r, "260 characters");
}

TEST_F(LookupTest, EveryBadEntryFallsBackToTheExecutable)
{
    ASSERT_TRUE(CopyProbeModule(m_folder / "res\\probe.dll"));
    ASSERT_TRUE(WriteTextFile(m_folder / "res\\text.dll", "not a module"));

    // Entries that ask for no module: GetResourceModulePath gives FALSE and
    // the executable's own path.
    const char* const unused[] = {
        "[Other]\r\nsvcapp07=Sample,1,res\\probe.dll:1",    // no [Modules] section
        "[Modules]\r\nother=Sample,1,res\\probe.dll:1",     // no key for this executable
        "[Modules]\r\nsvcapp07=",                           // empty value
        "[Modules]\r\nsvcapp07=Sample,1,res\\probe.dll:0",  // flag 0
        "[Modules]\r\nsvcapp07=Sample,1,res\\probe.dll",    // no colon and flag
        "[Modules]\r\nsvcapp07=Sample,1,res\\probe.dll:",   // empty flag
        "[Modules]\r\nsvcapp07=Sample,1",                   // no path field
        "[Modules]\r\nsvcapp07=Sample,1,,res\\probe.dll:1", // empty path field
        "[Modules]\r\nsvcapp07=Sample,1,C:\\res\\probe.dll:1", // a drive cannot be given
    };
    for (const char* ini : unused)
    {
        ASSERT_TRUE(WriteTextFile(m_folder / "prodinfo.ini", std::string(ini) + "\r\n"));
        Report r = Run("svcapp07.exe");
        EXPECT_EQ("0", r["getpath"]) << ini;
        EXPECT_TRUE(SamePath(r["self"], r["getpath_out"])) << ini << ": " << r["getpath_out"];
        ExpectOwnHandle(r, ini);
    }

    // Entries that ask for a module that cannot be loaded.
    const char* const unloadable[] = {
        "svcapp07=Sample,1,res\\missing.dll:1",             // no such file
        "svcapp07=Sample,1,res:1",                          // a directory
        "svcapp07=Sample,1,res\\text.dll:1",                // not a module
    };
    for (const char* line : unloadable)
    {
        ASSERT_TRUE(WriteModulesIni(m_folder.Path(), line));
        Report r = Run("svcapp07.exe");
        EXPECT_EQ("1", r["getpath"]) << line;
        ExpectOwnHandle(r, line);
    }

    // No prodinfo.ini at all.
    DeleteFileA((m_folder / "prodinfo.ini").c_str());
    Report r = Run("svcapp07.exe");
    EXPECT_EQ("0", r["read"]);
    EXPECT_EQ("0", r["getpath"]);
    ExpectOwnHandle(r, "no prodinfo.ini");
}
