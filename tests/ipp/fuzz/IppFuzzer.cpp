// IppFuzzer.cpp - libFuzzer entry for the IPP decoder and the parsers of
// answers (ipp/IppMessage, ipp/IppPrinter), built natively by run_ipp_fuzz.sh
// with AddressSanitizer and UndefinedBehaviorSanitizer.
//
// Every input is decoded twice, with the default limits and with tight ones.
// Besides not crashing, a decode must keep these promises:
//   - a rejected message leaves the output empty;
//   - an accepted one stays within the limits (groups, attributes, values,
//     nesting);
//   - it encodes again, into no more octets than it came in, and that
//     encoding decodes to the same message (the encoder and decoder agree);
//   - the parsers of printer, queue and job groups and the lookups take every
//     accepted group and attribute.
// A broken promise prints "ipp invariant broken" and aborts.
#include "ipp/IppMessage.h"
#include "ipp/IppPrinter.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

using namespace ipp;

namespace
{

void Fail(const char* what)
{
    fprintf(stderr, "ipp invariant broken: %s\n", what);
    abort();
}

struct Counts
{
    size_t attributes;
    size_t values;
    size_t depth;
};

bool SameAttributes(const std::vector<Attribute>& a, const std::vector<Attribute>& b);

bool SameValue(const Value& a, const Value& b)
{
    return a.tag == b.tag && a.integer == b.integer && a.upper == b.upper && a.units == b.units &&
           a.text == b.text && a.language == b.language && SameAttributes(a.members, b.members);
}

bool SameAttributes(const std::vector<Attribute>& a, const std::vector<Attribute>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].values.size() != b[i].values.size())
            return false;
        for (size_t v = 0; v < a[i].values.size(); ++v) {
            if (!SameValue(a[i].values[v], b[i].values[v]))
                return false;
        }
    }
    return true;
}

bool SameMessage(const Message& a, const Message& b)
{
    if (a.major != b.major || a.minor != b.minor || a.code != b.code ||
        a.requestId != b.requestId || a.data != b.data || a.groups.size() != b.groups.size())
        return false;
    for (size_t g = 0; g < a.groups.size(); ++g) {
        if (a.groups[g].tag != b.groups[g].tag ||
            !SameAttributes(a.groups[g].attributes, b.groups[g].attributes))
            return false;
    }
    return true;
}

// Counts attributes and values and measures nesting; exercises the lookups
// on every attribute on the way.
void Walk(const std::vector<Attribute>& attributes, size_t depth, Counts& counts)
{
    if (depth > counts.depth)
        counts.depth = depth;
    for (size_t i = 0; i < attributes.size(); ++i) {
        const Attribute& attribute = attributes[i];
        ++counts.attributes;
        counts.values += attribute.values.size();
        if (attribute.values.empty())
            Fail("an attribute without a value");
        if (attribute.Integers().size() + attribute.Strings().size() > attribute.values.size())
            Fail("lookups give more values than there are");
        int32_t lower = 0, upper = 0;
        attribute.GetRange(lower, upper, attribute.values.size() - 1);
        attribute.IsOutOfBand();
        attribute.Member(attribute.name);
        for (size_t v = 0; v < attribute.values.size(); ++v) {
            if (attribute.values[v].tag == kBegCollection)
                Walk(attribute.values[v].members, depth + 1, counts);
            else if (!attribute.values[v].members.empty())
                Fail("members in a value that is no collection");
        }
    }
}

void CheckAccepted(const Message& message, const Limits& limits, size_t inputSize)
{
    if (message.groups.size() > limits.maxGroups)
        Fail("more groups than the limit");
    Counts counts = { 0, 0, 0 };
    for (size_t g = 0; g < message.groups.size(); ++g) {
        const Group& group = message.groups[g];
        if (group.tag < 0x01 || group.tag > 0x0F || group.tag == kEndOfAttributes)
            Fail("a group with a tag that is no group tag");
        Walk(group.attributes, 0, counts);

        PrinterStatus status;
        ParsePrinterStatus(group, status);
        const Attribute* names = group.Find("marker-names");
        if (status.markers.size() != (names != nullptr && !names->IsOutOfBand() ? names->values.size() : 0))
            Fail("markers do not follow marker-names");
        CupsPrinter printer;
        ParseCupsPrinter(group, printer);
        JobInfo job;
        ParseJob(group, job);
        DeviceIdField(status.deviceId, "SN");
    }
    if (counts.attributes > limits.maxAttributes || counts.values > limits.maxValues ||
        counts.depth > limits.maxDepth)
        Fail("more attributes, values or nesting than the limits");

    std::string bytes;
    if (!Encode(message, bytes, limits.maxDepth))
        Fail("an accepted message does not encode");
    if (bytes.size() > inputSize)
        Fail("the encoding is longer than the input");
    Message again;
    if (Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), again, limits) !=
        kDecodeOk)
        Fail("the encoding of an accepted message does not decode");
    if (!SameMessage(message, again))
        Fail("encoding and decoding changed the message");
}

void DecodeWith(const uint8_t* data, size_t size, const Limits& limits)
{
    Message message;
    size_t offset = 0;
    DecodeError error = Decode(data, size, message, limits, &offset);
    if (error == kDecodeOk) {
        CheckAccepted(message, limits, size);
        return;
    }
    if (!message.groups.empty() || !message.data.empty() || message.code != 0)
        Fail("a rejected message left output");
    if (offset > size)
        Fail("the error offset lies past the input");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodeWith(data, size, Limits());

    Limits tight;
    tight.maxMessageBytes = 16384;
    tight.maxGroups = 4;
    tight.maxAttributes = 40;
    tight.maxValues = 60;
    tight.maxDepth = 2;
    DecodeWith(data, size, tight);

    DeviceIdField(std::string(reinterpret_cast<const char*>(data), size), "SERN");
    return 0;
}
