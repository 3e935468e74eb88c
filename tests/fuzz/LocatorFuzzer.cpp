// LocatorFuzzer.cpp - a libFuzzer target for the parsing path of the resource
// module locator, built natively with clang and AddressSanitizer (see
// run_fuzz.sh).
//
// Each input is one value of the [Modules] section of prodinfo.ini: its bytes
// up to the first NUL, at most 255 of them, as GetPrivateProfileStringA hands
// a value to the locator through its 256-character buffer. The value goes
// through ParseModuleEntry and then, for each of a fixed set of executable
// paths, through PlaceModuleEntry into the entry's 260-character path, as
// ReadModuleEntry does. Every buffer is allocated at its exact size, so that
// AddressSanitizer sees any access past it. The invariants:
//
// - every string field is NUL-terminated inside its buffer; szName holds
//   fewer than 50 characters; bUseModule is 0 or 1;
// - the fields are what LocatorOracle.h works out for the value;
// - a value that cannot name a module (no path, no colon, an empty flag or a
//   flag of 0) gives bUseModule 0, so the executable's own resources are used;
// - the composed path is shorter than 260 characters and is the executable's
//   directory + the relative path, or, when that does not fit, the "?" name
//   that loads nothing (or "" when the executable's path itself is unusable),
//   with result 0; it never names another drive (it has no colon after the
//   directory).
//
// The string routines are also run on the raw input: trimming, the last
// backslash, tokenizing at a comma, and bounded copies with counts that wrap
// in 16 bits.
#include "app/ResourceLocator.h"

#include "LocatorOracle.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace
{

const size_t kMaxValue = 255;       // GetPrivateProfileStringA's 256-character buffer

void Fail(const char* what, const char* file, int line, const std::string& value)
{
    fprintf(stderr, "locator invariant broken: %s (%s:%d)\nvalue (%u bytes): \"", what, file, line,
            (unsigned)value.size());
    for (size_t i = 0; i < value.size(); ++i)
    {
        unsigned char c = (unsigned char)value[i];
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"')
            fputc(c, stderr);
        else
            fprintf(stderr, "\\x%02X", c);
    }
    fprintf(stderr, "\"\n");
    abort();
}

#define CHECK(condition)                                                                       \
    do                                                                                         \
    {                                                                                          \
        if (!(condition))                                                                      \
            Fail(#condition, __FILE__, __LINE__, value);                                       \
    } while (0)

// A heap copy of text with its NUL and nothing more.
char* ExactCopy(const std::string& text)
{
    char* p = (char*)malloc(text.size() + 1);
    memcpy(p, text.c_str(), text.size() + 1);
    return p;
}

// The text of a field; *pTerminated tells whether it has a NUL inside its
// buffer (when not, the text is the whole buffer).
std::string Terminated(const char* field, size_t size, bool* pTerminated)
{
    const void* nul = memchr(field, '\0', size);
    *pTerminated = nul != NULL;
    return std::string(field, nul == NULL ? size : (size_t)((const char*)nul - field));
}

// Executable paths of every shape the composition meets: realistic, long
// enough that a 49-character relative path does not fit, of 259 and 260
// characters, ending in a backslash, without a directory, with a drive and no
// backslash, with the backslash at position 0.
std::string ExecutablePath(int which)
{
    switch (which)
    {
    case 0: return "C:\\Program Files\\Service\\SVCAPP07.EXE";
    case 1: return "C:\\" + std::string(207, 'd') + "\\SVCAPP07.EXE";     // directory of 211
    case 2: return "C:\\" + std::string(243, 'd') + "\\SVCAPP07.EXE";     // 259 characters
    case 3: return "C:\\" + std::string(244, 'd') + "\\SVCAPP07.EXE";     // 260: unusable
    case 4: return "C:\\" + std::string(255, 'd') + "\\";                 // 259, no file name
    case 5: return "SVCAPP07.EXE";
    case 6: return "C:SVCAPP07.EXE";
    default: return "\\SVCAPP07.EXE";
    }
}
const int kExecutablePaths = 8;

void CheckParse(const std::string& value)
{
    const oracle::Expected expected = oracle::Read(value);

    char* buffer = ExactCopy(value);
    ModuleEntry* entry = (ModuleEntry*)malloc(sizeof(ModuleEntry));
    memset(entry, 0xA5, sizeof(ModuleEntry));      // no stale zeros to hide a missing NUL
    ParseModuleEntry(buffer, entry);

    bool nameTerminated = false;
    bool pathTerminated = false;
    const std::string name = Terminated(entry->szName, sizeof(entry->szName), &nameTerminated);
    const std::string path = Terminated(entry->szPath, sizeof(entry->szPath), &pathTerminated);
    CHECK(nameTerminated);
    CHECK(pathTerminated);
    CHECK(name.size() < sizeof(entry->szName));
    CHECK(entry->bUseModule == 0 || entry->bUseModule == 1);
    CHECK(name == expected.name);
    CHECK(entry->nNumber == (short)atoi(expected.numberText.c_str()));
    CHECK(path == expected.relative);
    if (expected.cannotName)
        CHECK(entry->bUseModule == 0);
    if (expected.use == oracle::kFlagNonZero)
        CHECK(entry->bUseModule == 1);

    for (int which = 0; which < kExecutablePaths; ++which)
    {
        const std::string executable = ExecutablePath(which);
        char* file = ExactCopy(executable);
        ModuleEntry* placed = (ModuleEntry*)malloc(sizeof(ModuleEntry));
        memcpy(placed, entry, sizeof(ModuleEntry));
        const short result = PlaceModuleEntry(file, placed);

        int expectedLength = 0;
        bool composedTerminated = false;
        const std::string composed =
            Terminated(placed->szPath, sizeof(placed->szPath), &composedTerminated);
        CHECK(composedTerminated);
        CHECK(composed == oracle::Compose(executable, expected.relative, sizeof(placed->szPath),
                                          &expectedLength));
        CHECK(result == expectedLength);
        CHECK(result == 0 || (size_t)result == composed.size());
        if (result > 0)
        {
            const size_t start = oracle::NameStart(executable);
            CHECK(composed.compare(0, start, executable, 0, start) == 0);
            CHECK(composed.find(':', start) == std::string::npos);
        }
        else
        {
            // Nothing that loads: "", or the directory with the name "?".
            CHECK(composed.empty() || composed[composed.size() - 1] == '?'
                  || composed[composed.size() - 1] == '\\');
        }
        // The other fields are left as they were.
        CHECK(placed->nNumber == entry->nNumber);
        CHECK(memcmp(placed->szName, entry->szName, sizeof(entry->szName)) == 0);
        CHECK(placed->bUseModule == entry->bUseModule);
        free(placed);
        free(file);
    }

    free(entry);
    free(buffer);
}

void CheckStringRoutines(const std::string& value)
{
    // Trimming: spaces only, at both ends.
    char* text = ExactCopy(value);
    CHECK(TrimLeadingSpaces(TrimTrailingSpaces(text)) == text);
    CHECK(std::string(text) == oracle::TrimSpaces(value));
    free(text);

    // The last backslash, unless a colon follows it or it is at position 0.
    const size_t start = oracle::NameStart(value);
    CHECK(FindLastBackslash(value.c_str()) == (start == 1 ? 0 : (short)(start - 1)));

    // Tokens at a comma: all of them, in order, then "" for ever.
    text = ExactCopy(value);
    std::string joined = NextToken(text, ',');
    for (size_t i = 0; i < value.size(); ++i)
    {
        if (value[i] == ',')
        {
            joined += ",";
            joined += NextToken(NULL, ',');
        }
    }
    CHECK(joined == value);
    CHECK(strcmp(NextToken(NULL, ','), "") == 0);
    free(text);

    // Bounded copies into a buffer of exactly the count; a count that wraps
    // in 16 bits is the wrapped count; 0 in 16 bits writes nothing.
    const int count = (int)(value.size() % 300) + 1;
    const int counts[] = { count, count + 0x10000, count - 0x10000 };
    for (size_t k = 0; k < sizeof(counts) / sizeof(counts[0]); ++k)
    {
        char* destination = (char*)malloc((size_t)count);
        CHECK(CopyBounded(destination, value.c_str(), counts[k]) == destination);
        CHECK(std::string(destination) == oracle::Cut(value, (size_t)count - 1));
        free(destination);
    }
    char untouched = 'X';
    CopyBounded(&untouched, value.c_str(), 0x10000);
    CopyBounded(&untouched, value.c_str(), -1);
    CHECK(untouched == 'X');
}

// The arguments that no value line produces, once: NULL strings and
// entries, and a tokenizer that was never given a string.
void CheckNullArguments()
{
    const std::string value = "(null arguments)";
    CHECK(NextToken(NULL, ',') == NULL);
    CHECK(TrimTrailingSpaces(NULL) == NULL);
    CHECK(TrimLeadingSpaces(NULL) == NULL);
    CHECK(CopyBounded(NULL, "x", 2) == NULL);
    CHECK(FindLastBackslash(NULL) == 0);

    char* text = ExactCopy("a,1,b:1");
    ParseModuleEntry(text, NULL);
    CHECK(strcmp(text, "a,1,b:1") == 0);
    free(text);

    ModuleEntry* entry = (ModuleEntry*)malloc(sizeof(ModuleEntry));
    memset(entry, 0xA5, sizeof(ModuleEntry));
    ParseModuleEntry(NULL, entry);
    CHECK(entry->szName[0] == '\0' && entry->szPath[0] == '\0' && entry->bUseModule == 0);
    CHECK(PlaceModuleEntry("C:\\app\\app.exe", NULL) == 0);

    char out[8];
    memset(out, 'X', sizeof(out));
    CHECK(MakePathBesideFile(NULL, "m", out, sizeof(out)) == 0 && out[0] == '\0');
    CHECK(MakePathBesideFile("C:\\a.exe", NULL, out, sizeof(out)) == 0);
    CHECK(MakePathBesideFile("C:\\a.exe", "m", NULL, sizeof(out)) == 0);
    CHECK(MakePathBesideFile("C:\\a.exe", "m", out, 0) == 0);
    char copy[4] = "abc";
    CHECK(CopyBounded(copy, NULL, sizeof(copy)) == copy && copy[0] == '\0');
    free(entry);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool s_bOnce = false;
    if (!s_bOnce)
    {
        s_bOnce = true;
        CheckNullArguments();
    }

    std::string value((const char*)data, size);
    value = value.substr(0, value.find('\0'));
    if (value.size() > kMaxValue)
        value.resize(kMaxValue);

    CheckParse(value);
    CheckStringRoutines(value);
    return 0;
}
