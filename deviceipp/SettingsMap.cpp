// SettingsMap.cpp - reading, defaulting and planning the write of each
// driver setting on an IPP printer.
#include "deviceipp/SettingsMap.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"

#include <algorithm>

namespace {

const char* const kSettingNames[SET_COUNT] = {
    "Option1", "Option2", "Option3", "Option4", "Option5", "Option6", "Option7",
    "Option8", "Option9", "Option10", "Option11", "Option12", "Option13",
    "Number", "Choice", "Switch" };

const char kOneSided[] = "one-sided";
const char kTwoSided[] = "two-sided-long-edge";
const char kCollated[] = "separate-documents-collated-copies";
const char kUncollated[] = "separate-documents-uncollated-copies";

bool Contains(const std::vector<std::string>& list, const std::string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The printer's own list allows the value (or it reports no list).
bool Allows(const std::optional<std::vector<std::string> >& supported, const std::string& value)
{
    return !supported || Contains(*supported, value);
}

bool IsColorPrinter(const PrinterFacts& facts)
{
    const ipp::PrinterStatus& status = facts.status;
    if (status.printerType) {
        const uint32_t type = static_cast<uint32_t>(*status.printerType);
        if ((type & ipp::kCupsTypeColor) != 0)
            return true;
        if ((type & ipp::kCupsTypeBlackAndWhite) != 0)
            return false;
    }
    if (status.colorSupported)
        return *status.colorSupported;
    return facts.supported.colorModes && Contains(*facts.supported.colorModes, "color");
}

bool IsMonochromeMode(const std::string& mode)
{
    return mode == "monochrome" || mode == "auto-monochrome" || mode == "process-monochrome"
           || mode == "bi-level" || mode == "process-bi-level";
}

std::string Joined(const std::vector<std::string>& values)
{
    std::string text;
    for (size_t i = 0; i < values.size(); ++i)
        text += (i == 0 ? "" : ",") + values[i];
    return text;
}

} // namespace

const char* SettingName(int which)
{
    return (which >= 0 && which < SET_COUNT) ? kSettingNames[which] : NULL;
}

int SettingFromName(const std::string& name)
{
    for (int which = 0; which < SET_COUNT; ++which) {
        if (name == kSettingNames[which])
            return which;
    }
    return -1;
}

bool IsPrinterSetting(int which)
{
    switch (which) {
    case SET_OPTION13:
    case SET_OPTION10:
    case SET_OPTION4:
    case SET_OPTION11:
    case SET_OPTION2:
    case SET_OPTION3:
    case SET_NUMBER:
    case SET_CHOICE:
    case SET_SWITCH:
        return true;
    default:
        return false;
    }
}

long ReadSetting(int which, const PrinterFacts& facts)
{
    const ipp::JobDefaults& d = facts.status.defaults;
    switch (which) {
    case SET_OPTION13:
        return d.sides && !d.sides->empty() && *d.sides != kOneSided ? 1 : 0;
    case SET_OPTION10:
        return d.documentHandling && *d.documentHandling == kUncollated ? 0 : 1;
    case SET_OPTION4:
        if (d.outputOrder)
            return *d.outputOrder == "reverse" ? 1 : 0;
        if (d.pageDelivery)
            return d.pageDelivery->compare(0, 13, "reverse-order") == 0 ? 1 : 0;
        return 0;
    case SET_OPTION11:
        return d.printScaling && (*d.printScaling == "fit" || *d.printScaling == "fill"
                                  || *d.printScaling == "auto-fit")
                   ? 1
                   : 0;
    case SET_OPTION2:
        return d.jobSheets && !d.jobSheets->empty() && (*d.jobSheets)[0] != "none" ? 1 : 0;
    case SET_OPTION3:
        return d.mirror.value_or(false) ? 1 : 0;
    case SET_NUMBER:
        return d.copies ? static_cast<long>(*d.copies) : 1;
    case SET_CHOICE:
        if (d.printQuality && *d.printQuality >= 3 && *d.printQuality <= 5)
            return static_cast<long>(*d.printQuality - 3);
        return 1;
    case SET_SWITCH:
        if (d.colorMode && !d.colorMode->empty())
            return IsMonochromeMode(*d.colorMode) ? 0 : 1;
        return IsColorPrinter(facts) ? 1 : 0;
    default:
        return DefaultSetting(which, &facts);
    }
}

long DefaultSetting(int which, const PrinterFacts* facts)
{
    switch (which) {
    case SET_OPTION10:      // collated
    case SET_OPTION7:       // show the status window
    case SET_OPTION8:       // warn when ink is low
    case SET_NUMBER:        // one copy
    case SET_CHOICE:        // normal quality
        return 1;
    case SET_SWITCH:
        return facts != NULL && IsColorPrinter(*facts) ? 1 : 0;
    default:
        return 0;
    }
}

long CopiesMax(const PrinterFacts& facts)
{
    const std::optional<int32_t>& max = facts.status.copiesMax;
    if (!max || *max < 1)
        return 1;
    return *max > 65535 ? 65535L : static_cast<long>(*max);
}

HRESULT PlanWrite(int which, long value, const PrinterFacts& facts, ipp::JobDefaults& change,
                  std::string& described)
{
    change = ipp::JobDefaults();
    described.clear();
    const SupportedValues& supported = facts.supported;
    long wanted = value;
    if (which == SET_NUMBER) {
        if (value < 1 || value > CopiesMax(facts))
            return E_INVALIDARG;
    } else if (which == SET_CHOICE) {
        if (value < 0 || value > 2)
            return E_INVALIDARG;
    } else if (which == SET_SWITCH) {
        wanted = value == 1 ? 1 : 0;
    } else {
        wanted = value != 0 ? 1 : 0;
    }
    if (ReadSetting(which, facts) == wanted)
        return S_FALSE;

    const bool on = wanted != 0;
    switch (which) {
    case SET_OPTION13: {
        const std::string sides = on ? kTwoSided : kOneSided;
        if (!Allows(supported.sides, sides))
            return DEVIPP_E_UNSUPPORTED;
        change.sides = sides;
        described = "sides-default=" + sides;
        break;
    }
    case SET_OPTION10: {
        const std::string handling = on ? kCollated : kUncollated;
        if (!Allows(supported.documentHandling, handling))
            return DEVIPP_E_UNSUPPORTED;
        change.documentHandling = handling;
        described = "multiple-document-handling-default=" + handling;
        break;
    }
    case SET_OPTION4: {
        if (facts.isCups) {
            change.outputOrder = std::string(on ? "reverse" : "normal");
            described = "outputorder-default=" + *change.outputOrder;
        } else {
            const std::optional<std::string>& current = facts.status.defaults.pageDelivery;
            const bool faceUp = current && current->size() >= 7
                                && current->compare(current->size() - 7, 7, "face-up") == 0;
            const std::string delivery = std::string(on ? "reverse-order-" : "same-order-")
                                         + (faceUp ? "face-up" : "face-down");
            if (!Allows(supported.pageDelivery, delivery))
                return DEVIPP_E_UNSUPPORTED;
            change.pageDelivery = delivery;
            described = "page-delivery-default=" + delivery;
        }
        break;
    }
    case SET_OPTION11: {
        const std::string scaling = on ? "fit" : "none";
        if (!Allows(supported.printScaling, scaling))
            return DEVIPP_E_UNSUPPORTED;
        change.printScaling = scaling;
        described = "print-scaling-default=" + scaling;
        break;
    }
    case SET_OPTION2: {
        std::vector<std::string> sheets;
        sheets.push_back(on ? "standard" : "none");
        sheets.push_back("none");
        if (!Allows(supported.jobSheets, sheets[0]))
            return DEVIPP_E_UNSUPPORTED;
        change.jobSheets = sheets;
        described = "job-sheets-default=" + Joined(sheets);
        break;
    }
    case SET_OPTION3:
        change.mirror = on;
        described = std::string("mirror-default=") + (on ? "true" : "false");
        break;
    case SET_NUMBER:
        change.copies = static_cast<int32_t>(wanted);
        described = ComFormat("copies-default=%ld", wanted);
        break;
    case SET_CHOICE: {
        const int32_t quality = static_cast<int32_t>(wanted + 3);
        if (supported.printQuality
            && std::find(supported.printQuality->begin(), supported.printQuality->end(), quality)
                   == supported.printQuality->end())
            return DEVIPP_E_UNSUPPORTED;
        change.printQuality = quality;
        described = ComFormat("print-quality-default=%d", static_cast<int>(quality));
        break;
    }
    case SET_SWITCH: {
        const std::string mode = on ? "color" : "monochrome";
        if (supported.colorModes ? !Contains(*supported.colorModes, mode) : (on && !IsColorPrinter(facts)))
            return DEVIPP_E_UNSUPPORTED;
        change.colorMode = mode;
        described = "print-color-mode-default=" + mode;
        break;
    }
    default:
        return E_INVALIDARG;    // not a printer setting
    }
    return S_OK;
}
