// LocatorOracle.h - what a [Modules] value of prodinfo.ini must parse to,
// worked out independently of the locator with std::string, for the fuzzing
// of the locator's parsing (LocatorFuzzer.cpp, native) and for the whole
// prodinfo.ini cases run through the system's INI reader (IniTests.cpp,
// under Windows or Wine).
//
// The value "name,number,path:flag": fields 1 to 3 end at a comma (text after
// a third comma is ignored) and lose surrounding spaces (0x20 only); the name
// keeps 49 characters; the path ends at its first colon, and the flag after
// that colon decides, read as atoi reads it, whether the module is used. The
// relative path keeps 49 characters when it is joined to the executable's
// directory.
#ifndef TESTS_FUZZ_LOCATORORACLE_H
#define TESTS_FUZZ_LOCATORORACLE_H

#include <string>

namespace oracle
{

// How the use flag reads.
enum FlagUse
{
    kFlagZero,          // empty, no digits, or digits that are all 0: not used
    kFlagNonZero,       // a value that fits an int and is not 0: used
    kFlagOverflow       // more digits than an int holds: what atoi gives is the C library's
};

struct Expected
{
    std::string name;           // what szName holds
    std::string numberText;     // field 2, trimmed: nNumber is (short)atoi of it
    std::string pathField;      // field 3, trimmed
    bool hasColon;              // field 3 has a colon (and so a flag)
    std::string relative;       // what szPath holds after parsing: field 3 up to its colon
    std::string flag;           // the text after the colon
    FlagUse use;
    // The value cannot name a module: empty path field, no colon, or a flag
    // that is empty or 0. bUseModule must be 0, whatever else the line holds.
    bool cannotName;
};

inline std::string TrimSpaces(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (end > begin && text[end - 1] == ' ')
        --end;
    while (begin < end && text[begin] == ' ')
        ++begin;
    return text.substr(begin, end - begin);
}

// Field n (0-based) of text split at every comma; "" past the last one.
inline std::string Field(const std::string& text, int n)
{
    size_t begin = 0;
    for (int i = 0; i < n; ++i)
    {
        size_t comma = text.find(',', begin);
        if (comma == std::string::npos)
            return std::string();
        begin = comma + 1;
    }
    size_t comma = text.find(',', begin);
    return text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
}

// atoi's reading in the C locale: white space, one sign, digits.
inline FlagUse ReadFlag(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'
                               || text[i] == '\v' || text[i] == '\f' || text[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    {
        negative = text[i] == '-';
        ++i;
    }
    while (i < text.size() && text[i] == '0')
        ++i;
    std::string digits;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        digits += text[i++];
    if (digits.empty())
        return kFlagZero;
    if (digits.size() < 10)
        return kFlagNonZero;
    if (digits.size() == 10 && digits <= (negative ? "2147483648" : "2147483647"))
        return kFlagNonZero;
    return kFlagOverflow;
}

inline std::string Cut(const std::string& text, size_t chars)
{
    return text.size() > chars ? text.substr(0, chars) : text;
}

// The value as the locator receives it: at most 255 characters.
inline Expected Read(const std::string& value)
{
    Expected e;
    e.name = Cut(TrimSpaces(Field(value, 0)), 49);
    e.numberText = TrimSpaces(Field(value, 1));
    e.pathField = Cut(TrimSpaces(Field(value, 2)), 259);
    size_t colon = e.pathField.find(':');
    e.hasColon = !e.pathField.empty() && colon != std::string::npos;
    e.relative = e.hasColon ? e.pathField.substr(0, colon) : e.pathField;
    e.flag = e.hasColon ? e.pathField.substr(colon + 1) : std::string();
    e.use = e.hasColon ? ReadFlag(e.flag) : kFlagZero;
    e.cannotName = e.pathField.empty() || !e.hasColon || e.use == kFlagZero;
    return e;
}

// Where a file name starts in a path: after the last backslash, when that
// backslash is past position 0 and no colon follows it; else at 1.
inline size_t NameStart(const std::string& path)
{
    size_t i = path.find_last_of("\\:");
    if (i == std::string::npos || i == 0 || path[i] != '\\')
        return 1;
    return i + 1;
}

// The full path that joining relative (cut to 49 characters) to the directory
// of file gives in a buffer of cch characters; *pLength is the result the
// composition returns (0 for a path that does not fit).
inline std::string Compose(const std::string& file, const std::string& relative, size_t cch,
                           int* pLength)
{
    *pLength = 0;
    if (file.empty() || file.size() >= cch)
        return std::string();
    const std::string kept = Cut(relative, 49);
    const size_t name = NameStart(file);
    const size_t total = name + kept.size();
    if (total < cch)
    {
        *pLength = (int)total;
        return file.substr(0, name) + kept;
    }
    // The file name becomes "?", as far as it fits.
    return Cut(file.substr(0, name) + "?", cch - 1);
}

} // namespace oracle

#endif // TESTS_FUZZ_LOCATORORACLE_H
