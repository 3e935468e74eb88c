// IppPrinter.cpp - the parsers of printer, queue and job attributes.
#include "ipp/IppPrinter.h"

namespace ipp {

namespace {

// The first string value of `name`, "" when absent or out-of-band.
std::string StringOf(const Group& group, const char* name)
{
    std::string text;
    const Attribute* attribute = group.Find(name);
    if (attribute != nullptr)
        attribute->GetString(text);
    return text;
}

std::optional<int32_t> IntegerOf(const Group& group, const char* name)
{
    int32_t value = 0;
    const Attribute* attribute = group.Find(name);
    if (attribute != nullptr && attribute->GetInteger(value))
        return value;
    return std::nullopt;
}

// A boolean, or a string "true"/"false" (how some servers store defaults).
std::optional<bool> BooleanOf(const Group& group, const char* name)
{
    const Attribute* attribute = group.Find(name);
    if (attribute == nullptr)
        return std::nullopt;
    bool value = false;
    if (attribute->GetBoolean(value))
        return value;
    std::string text;
    if (attribute->GetString(text)) {
        if (text == "true")
            return true;
        if (text == "false")
            return false;
    }
    return std::nullopt;
}

std::optional<std::string> OptionalStringOf(const Group& group, const char* name)
{
    std::string text;
    const Attribute* attribute = group.Find(name);
    if (attribute != nullptr && attribute->GetString(text))
        return text;
    return std::nullopt;
}

std::vector<std::string> StringsOf(const Group& group, const char* name)
{
    const Attribute* attribute = group.Find(name);
    return attribute != nullptr ? attribute->Strings() : std::vector<std::string>();
}

int32_t IntegerAt(const Attribute* attribute, size_t index)
{
    int32_t value = -2;
    if (attribute == nullptr || !attribute->GetInteger(value, index))
        return -2;
    return value;
}

std::string StringAt(const Attribute* attribute, size_t index)
{
    std::string text;
    if (attribute != nullptr)
        attribute->GetString(text, index);
    return text;
}

// A decimal number of a printer-supply field; -2 when it is not one.
int32_t SupplyNumber(const std::string& text)
{
    if (text.empty() || text.size() > 10)
        return -2;
    bool negative = text[0] == '-';
    size_t start = negative ? 1 : 0;
    if (start == text.size())
        return -2;
    long long value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -2;
        value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFF || value < -0x7FFFFFFF)
        return -2;
    return static_cast<int32_t>(value);
}

void ParseSupply(const std::string& text, Supply& supply)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        std::string field = text.substr(start, end - start);
        size_t equals = field.find('=');
        if (equals != std::string::npos) {
            std::string key = field.substr(0, equals);
            std::string value = field.substr(equals + 1);
            if (key == "type")
                supply.type = value;
            else if (key == "colorantname")
                supply.colorant = value;
            else if (key == "unit")
                supply.unit = value;
            else if (key == "level")
                supply.level = SupplyNumber(value);
            else if (key == "maxcapacity")
                supply.maxCapacity = SupplyNumber(value);
        }
        start = end + 1;
    }
}

const char* const kStatusAttributes[] = {
    "printer-name", "printer-state", "printer-state-message", "printer-state-reasons",
    "printer-is-accepting-jobs", "printer-location", "printer-info", "printer-make-and-model",
    "printer-device-id", "device-uri", "printer-uuid", "printer-serial-number",
    "printer-firmware-string-version", "marker-names", "marker-types", "marker-colors",
    "marker-levels", "marker-low-levels", "marker-high-levels", "printer-supply",
    "printer-supply-description", "printer-impressions-completed",
    "printer-media-sheets-completed", "printer-pages-completed", "queued-job-count",
    "color-supported", "printer-type", "copies-supported", "sides-default",
    "multiple-document-handling-default", "outputorder-default", "page-delivery-default",
    "print-scaling-default", "job-sheets-default", "mirror-default", "copies-default",
    "print-quality-default", "print-color-mode-default"
};

const char* const kJobAttributes[] = {
    "job-id", "job-name", "job-originating-user-name", "job-state", "job-state-reasons",
    "job-impressions-completed", "time-at-creation"
};

template <size_t N>
std::vector<std::string> NameList(const char* const (&names)[N])
{
    return std::vector<std::string>(names, names + N);
}

} // namespace

std::string DeviceIdField(const std::string& deviceId, const std::string& key)
{
    size_t start = 0;
    while (start < deviceId.size()) {
        size_t end = deviceId.find(';', start);
        if (end == std::string::npos)
            end = deviceId.size();
        size_t colon = deviceId.find(':', start);
        if (colon != std::string::npos && colon < end) {
            size_t keyStart = start;
            while (keyStart < colon && deviceId[keyStart] == ' ')
                ++keyStart;
            std::string name = deviceId.substr(keyStart, colon - keyStart);
            if (name.size() == key.size()) {
                bool same = true;
                for (size_t i = 0; i < name.size() && same; ++i) {
                    char a = name[i], b = key[i];
                    if (a >= 'a' && a <= 'z')
                        a = static_cast<char>(a - 'a' + 'A');
                    if (b >= 'a' && b <= 'z')
                        b = static_cast<char>(b - 'a' + 'A');
                    same = a == b;
                }
                if (same)
                    return deviceId.substr(colon + 1, end - colon - 1);
            }
        }
        start = end + 1;
    }
    return std::string();
}

const std::vector<std::string>& StatusAttributes()
{
    static const std::vector<std::string> names = NameList(kStatusAttributes);
    return names;
}

const std::vector<std::string>& JobAttributes()
{
    static const std::vector<std::string> names = NameList(kJobAttributes);
    return names;
}

std::vector<Attribute> JobDefaultAttributes(const JobDefaults& defaults)
{
    std::vector<Attribute> attributes;
    if (defaults.sides)
        attributes.push_back(Attribute("sides-default", Value::Keyword(*defaults.sides)));
    if (defaults.documentHandling)
        attributes.push_back(Attribute("multiple-document-handling-default",
                                       Value::Keyword(*defaults.documentHandling)));
    if (defaults.outputOrder)
        attributes.push_back(Attribute("outputorder-default", Value::Name(*defaults.outputOrder)));
    if (defaults.pageDelivery)
        attributes.push_back(Attribute("page-delivery-default",
                                       Value::Keyword(*defaults.pageDelivery)));
    if (defaults.printScaling)
        attributes.push_back(Attribute("print-scaling-default",
                                       Value::Keyword(*defaults.printScaling)));
    if (defaults.jobSheets && !defaults.jobSheets->empty()) {
        std::vector<Value> names;
        for (size_t i = 0; i < defaults.jobSheets->size(); ++i)
            names.push_back(Value::Name((*defaults.jobSheets)[i]));
        attributes.push_back(Attribute("job-sheets-default", names));
    }
    if (defaults.mirror)
        attributes.push_back(Attribute("mirror-default", Value::Boolean(*defaults.mirror)));
    if (defaults.copies)
        attributes.push_back(Attribute("copies-default", Value::Integer(*defaults.copies)));
    if (defaults.printQuality)
        attributes.push_back(Attribute("print-quality-default", Value::Enum(*defaults.printQuality)));
    if (defaults.colorMode)
        attributes.push_back(Attribute("print-color-mode-default",
                                       Value::Keyword(*defaults.colorMode)));
    return attributes;
}

void ParsePrinterStatus(const Group& printer, PrinterStatus& out)
{
    out = PrinterStatus();
    out.name = StringOf(printer, "printer-name");
    out.state = IntegerOf(printer, "printer-state").value_or(0);
    out.stateMessage = StringOf(printer, "printer-state-message");
    out.reasons = StringsOf(printer, "printer-state-reasons");
    out.accepting = BooleanOf(printer, "printer-is-accepting-jobs");
    out.location = StringOf(printer, "printer-location");
    out.info = StringOf(printer, "printer-info");
    out.makeAndModel = StringOf(printer, "printer-make-and-model");
    out.deviceId = StringOf(printer, "printer-device-id");
    out.deviceUri = StringOf(printer, "device-uri");
    out.uuid = StringOf(printer, "printer-uuid");
    out.serialNumber = StringOf(printer, "printer-serial-number");
    const char* const serialKeys[] = { "SN", "SERN", "SERIALNUMBER" };
    for (size_t i = 0; i < 3 && out.serialNumber.empty(); ++i)
        out.serialNumber = DeviceIdField(out.deviceId, serialKeys[i]);
    out.firmware = StringOf(printer, "printer-firmware-string-version");

    const Attribute* names = printer.Find("marker-names");
    if (names != nullptr && !names->IsOutOfBand()) {
        const Attribute* types = printer.Find("marker-types");
        const Attribute* colors = printer.Find("marker-colors");
        const Attribute* levels = printer.Find("marker-levels");
        const Attribute* low = printer.Find("marker-low-levels");
        const Attribute* high = printer.Find("marker-high-levels");
        for (size_t i = 0; i < names->values.size(); ++i) {
            Marker marker;
            marker.name = StringAt(names, i);
            marker.type = StringAt(types, i);
            marker.color = StringAt(colors, i);
            marker.level = IntegerAt(levels, i);
            marker.lowLevel = IntegerAt(low, i);
            marker.highLevel = IntegerAt(high, i);
            out.markers.push_back(marker);
        }
    }
    const Attribute* supplies = printer.Find("printer-supply");
    if (supplies != nullptr && !supplies->IsOutOfBand()) {
        const Attribute* descriptions = printer.Find("printer-supply-description");
        for (size_t i = 0; i < supplies->values.size(); ++i) {
            Supply supply;
            ParseSupply(StringAt(supplies, i), supply);
            supply.description = StringAt(descriptions, i);
            out.supplies.push_back(supply);
        }
    }

    out.impressionsCompleted = IntegerOf(printer, "printer-impressions-completed");
    out.sheetsCompleted = IntegerOf(printer, "printer-media-sheets-completed");
    out.pagesCompleted = IntegerOf(printer, "printer-pages-completed");
    out.queuedJobCount = IntegerOf(printer, "queued-job-count");
    out.colorSupported = BooleanOf(printer, "color-supported");
    out.printerType = IntegerOf(printer, "printer-type");
    const Attribute* copies = printer.Find("copies-supported");
    int32_t lower = 0, upper = 0;
    if (copies != nullptr && copies->GetRange(lower, upper))
        out.copiesMax = upper;

    JobDefaults& defaults = out.defaults;
    defaults.sides = OptionalStringOf(printer, "sides-default");
    defaults.documentHandling = OptionalStringOf(printer, "multiple-document-handling-default");
    defaults.outputOrder = OptionalStringOf(printer, "outputorder-default");
    defaults.pageDelivery = OptionalStringOf(printer, "page-delivery-default");
    defaults.printScaling = OptionalStringOf(printer, "print-scaling-default");
    const Attribute* sheets = printer.Find("job-sheets-default");
    if (sheets != nullptr && !sheets->IsOutOfBand())
        defaults.jobSheets = sheets->Strings();
    defaults.mirror = BooleanOf(printer, "mirror-default");
    defaults.copies = IntegerOf(printer, "copies-default");
    defaults.printQuality = IntegerOf(printer, "print-quality-default");
    defaults.colorMode = OptionalStringOf(printer, "print-color-mode-default");
}

bool CupsPrinter::IsColor() const
{
    if ((type & kCupsTypeColor) != 0)
        return true;
    if ((type & kCupsTypeBlackAndWhite) != 0)
        return false;
    return colorSupported.value_or(false);
}

void ParseCupsPrinter(const Group& printer, CupsPrinter& out)
{
    out = CupsPrinter();
    out.name = StringOf(printer, "printer-name");
    out.uriSupported = StringOf(printer, "printer-uri-supported");
    out.deviceUri = StringOf(printer, "device-uri");
    out.location = StringOf(printer, "printer-location");
    out.info = StringOf(printer, "printer-info");
    out.makeAndModel = StringOf(printer, "printer-make-and-model");
    out.stateMessage = StringOf(printer, "printer-state-message");
    out.state = IntegerOf(printer, "printer-state").value_or(0);
    out.reasons = StringsOf(printer, "printer-state-reasons");
    out.accepting = BooleanOf(printer, "printer-is-accepting-jobs").value_or(true);
    out.type = static_cast<uint32_t>(IntegerOf(printer, "printer-type").value_or(0));
    out.colorSupported = BooleanOf(printer, "color-supported");
}

void ParseJob(const Group& job, JobInfo& out)
{
    out = JobInfo();
    out.id = IntegerOf(job, "job-id").value_or(0);
    out.name = StringOf(job, "job-name");
    out.user = StringOf(job, "job-originating-user-name");
    out.state = IntegerOf(job, "job-state").value_or(0);
    out.reasons = StringsOf(job, "job-state-reasons");
    out.impressionsCompleted = IntegerOf(job, "job-impressions-completed");
    out.createdAt = IntegerOf(job, "time-at-creation");
}

} // namespace ipp
