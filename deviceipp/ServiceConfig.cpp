// ServiceConfig.cpp - reading the configuration file and choosing the CUPS
// server.
#include "deviceipp/ServiceConfig.h"

#include "comserver/ComJournal.h"
#include "comserver/ComStateFile.h"
#include "ipp/IppHttp.h"

namespace {

// One word of a line: "printer", "ipp://...", or key=value with the value's
// quotes removed.
struct Word
{
    std::string key;     // "" for a plain word
    std::string value;
};

// Splits a line into words; false (with the problem) for an unclosed quote.
bool SplitWords(const std::string& line, std::vector<Word>& words, std::string& problem)
{
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        Word word;
        std::string text;
        bool sawEquals = false;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            if (line[i] == '"') {
                const size_t close = line.find('"', i + 1);
                if (close == std::string::npos) {
                    problem = "a quote is not closed";
                    return false;
                }
                text += line.substr(i + 1, close - i - 1);
                i = close + 1;
                continue;
            }
            if (line[i] == '=' && !sawEquals && !text.empty() && text.find(':') == std::string::npos) {
                sawEquals = true;
                word.key = text;
                text.clear();
                ++i;
                continue;
            }
            text += line[i];
            ++i;
        }
        word.value = text;
        words.push_back(word);
    }
    return true;
}

std::string Lower(const std::string& text)
{
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
    }
    return out;
}

// ANSI text to UTF-8 (names are kept in UTF-8 like the printers' own texts).
std::string Utf8FromAnsi(const std::string& text)
{
    if (text.empty())
        return text;
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
    if (wide <= 0)
        return text;
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &buffer[0], wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, NULL, 0, NULL, NULL);
    if (bytes <= 0)
        return text;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, &out[0], bytes, NULL, NULL);
    return out;
}

bool IsCredentialKey(const std::string& key)
{
    const std::string k = Lower(key);
    return k == "user" || k == "username" || k == "password" || k == "pass" || k == "passwd"
           || k == "credentials" || k == "secret";
}

// "host", "host:port" or "[v6]:port" into "ipp://host:port/"; false when it is not one.
bool ServerUri(const std::string& server, std::string& uri)
{
    std::string text = server;
    const size_t slash = text.find('/');
    if (slash != std::string::npos)
        text = text.substr(0, slash);   // CUPS's "host:port/version=1.1"
    if (text.empty())
        return false;
    std::string candidate = "ipp://" + text + "/";
    ipp::Endpoint endpoint;
    if (FAILED(ipp::ParseUri(candidate, endpoint)))
        return false;
    uri = ipp::PrinterUri(endpoint);
    return true;
}

// Parses one statement; returns "" or the problem.
std::string ParseLine(const std::vector<Word>& words, int lineNumber, ServiceConfig& out)
{
    const std::string statement = Lower(words[0].value);
    if (!words[0].key.empty())
        return "a statement starts with printer, cups or timeout";
    for (size_t i = 1; i < words.size(); ++i) {
        if (IsCredentialKey(words[i].key))
            return "credentials are never read from the configuration (use the Windows credential store)";
    }
    if (statement == "printer") {
        if (words.size() < 2 || !words[1].key.empty())
            return "printer needs a URI";
        ConfiguredPrinter printer;
        printer.uri = words[1].value;
        printer.line = lineNumber;
        ipp::Endpoint endpoint;
        if (FAILED(ipp::ParseUri(printer.uri, endpoint)))
            return "not an ipp, ipps, http or https URI with a host (user names are not allowed in it)";
        for (size_t i = 2; i < words.size(); ++i) {
            const std::string key = Lower(words[i].key);
            if (key == "name") {
                if (words[i].value.empty())
                    return "name is empty";
                printer.name = words[i].value;
            } else if (key == "certificate") {
                if (Lower(words[i].value) != "self-signed")
                    return "certificate takes only self-signed";
                if (!endpoint.secure)
                    return "certificate=self-signed needs an ipps or https URI";
                printer.acceptSelfSigned = true;
            } else {
                return "unknown setting " + (key.empty() ? words[i].value : words[i].key);
            }
        }
        const std::string normal = ipp::PrinterUri(endpoint);
        for (size_t i = 0; i < out.printers.size(); ++i) {
            ipp::Endpoint other;
            ipp::ParseUri(out.printers[i].uri, other);
            if (ipp::PrinterUri(other) == normal)
                return ComFormat("the printer of line %d again", out.printers[i].line);
        }
        out.printers.push_back(printer);
        return std::string();
    }
    if (statement == "cups") {
        if (words.size() != 2 || !words[1].key.empty())
            return "cups takes one server (host:port) or off";
        if (Lower(words[1].value) == "off") {
            out.cupsOff = true;
            out.cupsServer.clear();
            return std::string();
        }
        std::string uri;
        if (!ServerUri(words[1].value, uri))
            return "not a server (host or host:port)";
        out.cupsOff = false;
        out.cupsServer = words[1].value;
        return std::string();
    }
    if (statement == "timeout") {
        long value = 0;
        if (words.size() != 2 || !words[1].key.empty() || !ComParseLong(words[1].value, value)
            || value < static_cast<long>(ServiceConfig::kMinTimeoutMs)
            || value > static_cast<long>(ServiceConfig::kMaxTimeoutMs))
            return ComFormat("timeout takes milliseconds from %lu to %lu",
                             static_cast<unsigned long>(ServiceConfig::kMinTimeoutMs),
                             static_cast<unsigned long>(ServiceConfig::kMaxTimeoutMs));
        out.timeoutMs = static_cast<DWORD>(value);
        return std::string();
    }
    return "unknown statement " + words[0].value;
}

} // namespace

void ParseServiceConfig(const std::string& input, ServiceConfig& out)
{
    std::string text = input;
    bool utf8 = false;
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF
        && static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
        text = text.substr(3);
        utf8 = true;
    }
    size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);
        if (!utf8)
            line = Utf8FromAnsi(line);
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::vector<Word> words;
        std::string problem;
        if (SplitWords(line, words, problem) && !words.empty())
            problem = ParseLine(words, lineNumber, out);
        if (!problem.empty())
            out.problems.push_back(ComFormat("line %d: ", lineNumber) + problem + "; skipped");
        if (end == text.size())
            break;
    }
}

ServiceConfig ReadServiceConfig()
{
    ServiceConfig config;
    std::string path = ComEnvironment("DEVICEIPP_CONFIG");
    const bool named = !path.empty();
    if (!named)
        path = ComModuleDirectory() + "DeviceIpp.ini";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (named)
            ComReport("config: " + path + ": not found; no printers configured");
        return config;
    }
    std::string text;
    std::string problem;
    if (!ReadWholeFile(path, text, problem)) {
        ComReport("config: " + path + ": " + problem + "; no printers configured");
        return config;
    }
    config.path = path;
    ParseServiceConfig(text, config);
    for (size_t i = 0; i < config.problems.size(); ++i)
        ComReport("config: " + path + ": " + config.problems[i]);
    return config;
}

CupsChoice ChooseCupsServer(const ServiceConfig& config, const std::string& variable)
{
    CupsChoice choice;
    if (!variable.empty()) {
        if (variable[0] == '/' || variable[0] == '~')
            choice.note = "CUPS_SERVER names a local socket (" + variable
                          + "), which this service cannot use";
        else if (ServerUri(variable, choice.uri)) {
            choice.enabled = true;
            choice.origin = "CUPS_SERVER";
            return choice;
        } else {
            choice.note = "CUPS_SERVER is not a server (" + variable + ")";
        }
    }
    if (config.cupsOff) {
        choice.origin = "configuration";
        return choice;
    }
    if (!config.cupsServer.empty() && ServerUri(config.cupsServer, choice.uri)) {
        choice.enabled = true;
        choice.origin = "configuration";
        return choice;
    }
    choice.enabled = true;
    choice.uri = "ipp://localhost:631/";
    choice.origin = "default";
    return choice;
}
