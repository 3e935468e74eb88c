// IppMessage.cpp - the IPP model's helpers, the encoder and the decoder.
#include "ipp/IppMessage.h"

#include <stdio.h>

namespace ipp {

// ---------------------------------------------------------------------------
// Values, attributes, groups, messages

Value::Value() : tag(kNoValue), integer(0), upper(0), units(0) {}

Value Value::Integer(int32_t v)
{
    Value value;
    value.tag = kInteger;
    value.integer = v;
    return value;
}

Value Value::Enum(int32_t v)
{
    Value value;
    value.tag = kEnum;
    value.integer = v;
    return value;
}

Value Value::Boolean(bool v)
{
    Value value;
    value.tag = kBoolean;
    value.integer = v ? 1 : 0;
    return value;
}

Value Value::Range(int32_t lower, int32_t upper)
{
    Value value;
    value.tag = kRangeOfInteger;
    value.integer = lower;
    value.upper = upper;
    return value;
}

Value Value::Resolution(int32_t crossFeed, int32_t feed, int units)
{
    Value value;
    value.tag = kResolution;
    value.integer = crossFeed;
    value.upper = feed;
    value.units = units;
    return value;
}

Value Value::String(int tag, const std::string& text)
{
    Value value;
    value.tag = tag;
    value.text = text;
    return value;
}

Value Value::WithLanguage(int tag, const std::string& language, const std::string& text)
{
    Value value;
    value.tag = tag;
    value.language = language;
    value.text = text;
    return value;
}

Value Value::Collection(const std::vector<Attribute>& members)
{
    Value value;
    value.tag = kBegCollection;
    value.members = members;
    return value;
}

Value Value::OutOfBand(int tag)
{
    Value value;
    value.tag = tag;
    return value;
}

bool Value::IsString() const
{
    return (tag >= 0x40 && tag <= 0x5F && tag != kMemberAttrName) || tag == kTextWithLanguage ||
           tag == kNameWithLanguage;
}

bool Attribute::GetInteger(int32_t& out, size_t index) const
{
    if (index >= values.size() || !values[index].IsInteger())
        return false;
    out = values[index].integer;
    return true;
}

bool Attribute::GetBoolean(bool& out, size_t index) const
{
    if (index >= values.size() || values[index].tag != kBoolean)
        return false;
    out = values[index].integer != 0;
    return true;
}

bool Attribute::GetString(std::string& out, size_t index) const
{
    if (index >= values.size())
        return false;
    const Value& value = values[index];
    if (!value.IsString() && value.tag != kOctetString)
        return false;
    out = value.text;
    return true;
}

bool Attribute::GetRange(int32_t& lower, int32_t& upper, size_t index) const
{
    if (index >= values.size())
        return false;
    const Value& value = values[index];
    if (value.tag == kRangeOfInteger) {
        lower = value.integer;
        upper = value.upper;
        return true;
    }
    if (value.IsInteger()) {
        lower = upper = value.integer;
        return true;
    }
    return false;
}

std::vector<int32_t> Attribute::Integers() const
{
    std::vector<int32_t> result;
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].IsInteger())
            result.push_back(values[i].integer);
    }
    return result;
}

std::vector<std::string> Attribute::Strings() const
{
    std::vector<std::string> result;
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].IsString() || values[i].tag == kOctetString)
            result.push_back(values[i].text);
    }
    return result;
}

const Attribute* Attribute::Member(const std::string& memberName, size_t index) const
{
    if (index >= values.size() || values[index].tag != kBegCollection)
        return nullptr;
    const std::vector<Attribute>& members = values[index].members;
    for (size_t i = 0; i < members.size(); ++i) {
        if (members[i].name == memberName)
            return &members[i];
    }
    return nullptr;
}

bool Attribute::IsOutOfBand() const
{
    return values.size() == 1 && values[0].IsOutOfBand();
}

const Attribute* Group::Find(const std::string& name) const
{
    for (size_t i = 0; i < attributes.size(); ++i) {
        if (attributes[i].name == name)
            return &attributes[i];
    }
    return nullptr;
}

Attribute& Group::Add(const std::string& name, const Value& value)
{
    attributes.push_back(Attribute(name, value));
    return attributes.back();
}

Attribute& Group::Add(const std::string& name, const std::vector<Value>& values)
{
    attributes.push_back(Attribute(name, values));
    return attributes.back();
}

const Group* Message::FindGroup(int tag, size_t nth) const
{
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].tag == tag) {
            if (nth == 0)
                return &groups[i];
            --nth;
        }
    }
    return nullptr;
}

const Attribute* Message::Find(int groupTag, const std::string& name) const
{
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].tag == groupTag) {
            const Attribute* attribute = groups[i].Find(name);
            if (attribute != nullptr)
                return attribute;
        }
    }
    return nullptr;
}

size_t Message::CountGroups(int tag) const
{
    size_t count = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].tag == tag)
            ++count;
    }
    return count;
}

Group& Message::AddGroup(int tag)
{
    groups.push_back(Group(tag));
    return groups.back();
}

// ---------------------------------------------------------------------------
// Encoder

namespace {

const size_t kMaxField = 0xFFFF;  // name and value lengths are two octets

void PutByte(std::string& out, unsigned value)
{
    out.push_back(static_cast<char>(value & 0xFF));
}

void PutShort(std::string& out, size_t value)
{
    PutByte(out, static_cast<unsigned>(value >> 8));
    PutByte(out, static_cast<unsigned>(value));
}

void PutLong(std::string& out, int32_t value)
{
    uint32_t u = static_cast<uint32_t>(value);
    PutByte(out, u >> 24);
    PutByte(out, u >> 16);
    PutByte(out, u >> 8);
    PutByte(out, u);
}

bool PutField(std::string& out, const std::string& field)
{
    if (field.size() > kMaxField)
        return false;
    PutShort(out, field.size());
    out.append(field);
    return true;
}

bool EncodeValue(std::string& out, const std::string& name, const Value& value, size_t depth,
                 size_t maxDepth);

// Writes name's values: the first with the name, the rest with an empty one.
bool EncodeValues(std::string& out, const std::string& name, const std::vector<Value>& values,
                  size_t depth, size_t maxDepth)
{
    if (values.empty())
        return false;
    for (size_t i = 0; i < values.size(); ++i) {
        if (!EncodeValue(out, i == 0 ? name : std::string(), values[i], depth, maxDepth))
            return false;
    }
    return true;
}

bool EncodeValue(std::string& out, const std::string& name, const Value& value, size_t depth,
                 size_t maxDepth)
{
    int tag = value.tag;
    if (tag < 0x10 || tag > 0x7E || tag == kEndCollection || tag == kMemberAttrName)
        return false;
    PutByte(out, static_cast<unsigned>(tag));
    if (!PutField(out, name))
        return false;
    if (value.IsOutOfBand()) {
        PutShort(out, 0);
        return true;
    }
    switch (tag) {
    case kInteger:
    case kEnum:
        PutShort(out, 4);
        PutLong(out, value.integer);
        return true;
    case kBoolean:
        PutShort(out, 1);
        PutByte(out, value.integer != 0 ? 1 : 0);
        return true;
    case kRangeOfInteger:
        PutShort(out, 8);
        PutLong(out, value.integer);
        PutLong(out, value.upper);
        return true;
    case kResolution:
        PutShort(out, 9);
        PutLong(out, value.integer);
        PutLong(out, value.upper);
        PutByte(out, static_cast<unsigned>(value.units));
        return true;
    case kDateTime:
        if (value.text.size() != 11)
            return false;
        return PutField(out, value.text);
    case kTextWithLanguage:
    case kNameWithLanguage: {
        if (value.language.size() + value.text.size() + 4 > kMaxField)
            return false;
        PutShort(out, value.language.size() + value.text.size() + 4);
        PutField(out, value.language);
        PutField(out, value.text);
        return true;
    }
    case kBegCollection: {
        if (depth >= maxDepth)
            return false;
        PutShort(out, 0);
        for (size_t i = 0; i < value.members.size(); ++i) {
            const Attribute& member = value.members[i];
            if (member.name.empty())
                return false;
            PutByte(out, kMemberAttrName);
            PutShort(out, 0);
            if (!PutField(out, member.name))
                return false;
            if (!EncodeValues(out, std::string(), member.values, depth + 1, maxDepth))
                return false;
        }
        PutByte(out, kEndCollection);
        PutShort(out, 0);
        PutShort(out, 0);
        return true;
    }
    default:
        // Strings, octetString and tags kept as raw octets.
        return PutField(out, value.text);
    }
}

} // namespace

bool Encode(const Message& message, std::string& out, size_t maxDepth)
{
    out.clear();
    PutByte(out, static_cast<unsigned>(message.major));
    PutByte(out, static_cast<unsigned>(message.minor));
    PutShort(out, static_cast<size_t>(message.code) & 0xFFFF);
    PutLong(out, message.requestId);
    for (size_t g = 0; g < message.groups.size(); ++g) {
        const Group& group = message.groups[g];
        if (group.tag < 0x01 || group.tag > 0x0F || group.tag == kEndOfAttributes)
            return false;
        PutByte(out, static_cast<unsigned>(group.tag));
        for (size_t a = 0; a < group.attributes.size(); ++a) {
            const Attribute& attribute = group.attributes[a];
            if (attribute.name.empty() ||
                !EncodeValues(out, attribute.name, attribute.values, 0, maxDepth))
                return false;
        }
    }
    PutByte(out, kEndOfAttributes);
    out.append(message.data);
    return true;
}

// ---------------------------------------------------------------------------
// Decoder

namespace {

class Decoder
{
public:
    Decoder(const unsigned char* data, size_t size, const Limits& limits)
        : m_data(data), m_size(size), m_pos(0), m_limits(limits), m_attributes(0), m_values(0)
    {
    }

    DecodeError Run(Message& out);
    size_t Position() const { return m_pos; }

private:
    // One encoded item: value tag, name, value octets.
    struct Item
    {
        int tag;
        const unsigned char* name;
        size_t nameLength;
        const unsigned char* value;
        size_t valueLength;
    };

    DecodeError ReadItem(Item& item);
    DecodeError MakeValue(const Item& item, Value& out, size_t depth);
    DecodeError ReadCollection(Value& out, size_t depth);
    DecodeError CountAttribute();
    DecodeError CountValue();

    size_t Remaining() const { return m_size - m_pos; }
    unsigned Short(const unsigned char* p) const { return (unsigned(p[0]) << 8) | p[1]; }
    int32_t Long(const unsigned char* p) const
    {
        uint32_t u = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
        return static_cast<int32_t>(u);
    }

    const unsigned char* m_data;
    size_t m_size;
    size_t m_pos;
    const Limits& m_limits;
    size_t m_attributes;
    size_t m_values;
};

DecodeError Decoder::CountAttribute()
{
    return ++m_attributes > m_limits.maxAttributes ? kDecodeTooMany : kDecodeOk;
}

DecodeError Decoder::CountValue()
{
    return ++m_values > m_limits.maxValues ? kDecodeTooMany : kDecodeOk;
}

// Reads the tag, name and value lengths and checks that they lie inside the
// input. The caller has checked that a tag octet is there and is not a
// delimiter.
DecodeError Decoder::ReadItem(Item& item)
{
    if (Remaining() < 3)
        return kDecodeTruncated;
    const unsigned char* p = m_data + m_pos;
    item.tag = p[0];
    item.nameLength = Short(p + 1);
    if (item.tag == 0x00 || item.tag >= kExtension)
        return kDecodeBadTag;
    if (Remaining() - 3 < item.nameLength + 2)
        return kDecodeTruncated;
    item.name = p + 3;
    item.valueLength = Short(p + 3 + item.nameLength);
    if (Remaining() - 3 - item.nameLength - 2 < item.valueLength)
        return kDecodeTruncated;
    item.value = p + 3 + item.nameLength + 2;
    m_pos += 3 + item.nameLength + 2 + item.valueLength;
    return kDecodeOk;
}

DecodeError Decoder::MakeValue(const Item& item, Value& out, size_t depth)
{
    DecodeError error = CountValue();
    if (error != kDecodeOk)
        return error;
    out.tag = item.tag;
    const unsigned char* v = item.value;
    size_t n = item.valueLength;
    if (item.tag >= 0x10 && item.tag <= 0x1F)
        return kDecodeOk;  // out-of-band: any value octets are ignored
    switch (item.tag) {
    case kInteger:
    case kEnum:
        if (n != 4)
            return kDecodeBadLength;
        out.integer = Long(v);
        return kDecodeOk;
    case kBoolean:
        if (n != 1)
            return kDecodeBadLength;
        out.integer = v[0] != 0 ? 1 : 0;  // some printers send 0xFF for true
        return kDecodeOk;
    case kRangeOfInteger:
        if (n != 8)
            return kDecodeBadLength;
        out.integer = Long(v);
        out.upper = Long(v + 4);
        return kDecodeOk;
    case kResolution:
        if (n != 9)
            return kDecodeBadLength;
        out.integer = Long(v);
        out.upper = Long(v + 4);
        out.units = v[8];
        return kDecodeOk;
    case kDateTime:
        if (n != 11)
            return kDecodeBadLength;
        out.text.assign(reinterpret_cast<const char*>(v), n);
        return kDecodeOk;
    case kTextWithLanguage:
    case kNameWithLanguage: {
        if (n < 4)
            return kDecodeBadLength;
        size_t languageLength = Short(v);
        if (languageLength > n - 4)
            return kDecodeBadLength;
        size_t textLength = Short(v + 2 + languageLength);
        if (languageLength + textLength + 4 != n)
            return kDecodeBadLength;
        out.language.assign(reinterpret_cast<const char*>(v + 2), languageLength);
        out.text.assign(reinterpret_cast<const char*>(v + 4 + languageLength), textLength);
        return kDecodeOk;
    }
    case kBegCollection:
        // The begCollection value octets are normally empty; ignored.
        return ReadCollection(out, depth + 1);
    case kEndCollection:
    case kMemberAttrName:
        return kDecodeBadStructure;
    default:
        // Strings, octetString, and tags not known here: the octets as sent.
        out.text.assign(reinterpret_cast<const char*>(v), n);
        return kDecodeOk;
    }
}

// Reads members up to and including endCollection. `depth` is 1 for a
// collection that is a value of a group's attribute.
DecodeError Decoder::ReadCollection(Value& out, size_t depth)
{
    if (depth > m_limits.maxDepth)
        return kDecodeTooDeep;
    Attribute* member = nullptr;
    for (;;) {
        if (Remaining() == 0)
            return kDecodeTruncated;
        if (m_data[m_pos] < 0x10)
            return m_data[m_pos] == 0x00 ? kDecodeBadTag : kDecodeBadStructure;
        size_t start = m_pos;
        Item item;
        DecodeError error = ReadItem(item);
        if (error != kDecodeOk)
            return error;
        if (item.nameLength != 0) {
            m_pos = start;
            return kDecodeBadStructure;
        }
        if (item.tag == kEndCollection) {
            if (member != nullptr && member->values.empty())
                return kDecodeBadStructure;
            return kDecodeOk;
        }
        if (item.tag == kMemberAttrName) {
            if (item.valueLength == 0 || (member != nullptr && member->values.empty())) {
                m_pos = start;
                return kDecodeBadStructure;
            }
            error = CountAttribute();
            if (error != kDecodeOk)
                return error;
            out.members.push_back(Attribute());
            member = &out.members.back();
            member->name.assign(reinterpret_cast<const char*>(item.value), item.valueLength);
            continue;
        }
        if (member == nullptr) {
            m_pos = start;
            return kDecodeBadStructure;
        }
        member->values.push_back(Value());
        error = MakeValue(item, member->values.back(), depth);
        if (error != kDecodeOk)
            return error;
    }
}

DecodeError Decoder::Run(Message& out)
{
    if (m_size > m_limits.maxMessageBytes)
        return kDecodeTooLarge;
    if (m_size < 8)
        return kDecodeTruncated;
    out.major = m_data[0];
    out.minor = m_data[1];
    out.code = static_cast<int>(Short(m_data + 2));
    out.requestId = Long(m_data + 4);
    if (out.major != 1 && out.major != 2)
        return kDecodeBadVersion;
    m_pos = 8;

    Group* group = nullptr;
    Attribute* attribute = nullptr;
    for (;;) {
        if (Remaining() == 0)
            return kDecodeTruncated;
        unsigned tag = m_data[m_pos];
        if (tag == kEndOfAttributes) {
            ++m_pos;
            out.data.assign(reinterpret_cast<const char*>(m_data + m_pos), Remaining());
            m_pos = m_size;
            return kDecodeOk;
        }
        if (tag < 0x10) {
            if (tag == 0x00)
                return kDecodeBadTag;
            if (out.groups.size() >= m_limits.maxGroups)
                return kDecodeTooMany;
            out.groups.push_back(Group(static_cast<int>(tag)));
            group = &out.groups.back();
            attribute = nullptr;
            ++m_pos;
            continue;
        }
        size_t start = m_pos;
        Item item;
        DecodeError error = ReadItem(item);
        if (error != kDecodeOk)
            return error;
        if (item.nameLength == 0) {
            // An additional value of the attribute before it.
            if (attribute == nullptr) {
                m_pos = start;
                return kDecodeBadStructure;
            }
        } else {
            if (group == nullptr) {
                m_pos = start;
                return kDecodeBadStructure;
            }
            error = CountAttribute();
            if (error != kDecodeOk)
                return error;
            group->attributes.push_back(Attribute());
            attribute = &group->attributes.back();
            attribute->name.assign(reinterpret_cast<const char*>(item.name), item.nameLength);
        }
        attribute->values.push_back(Value());
        error = MakeValue(item, attribute->values.back(), 0);
        if (error != kDecodeOk)
            return error;
    }
}

} // namespace

DecodeError Decode(const unsigned char* data, size_t size, Message& out, const Limits& limits,
                   size_t* errorOffset)
{
    out = Message();
    if (data == nullptr)
        size = 0;
    Decoder decoder(data, size, limits);
    DecodeError error = decoder.Run(out);
    if (error != kDecodeOk)
        out = Message();
    if (errorOffset != nullptr)
        *errorOffset = error == kDecodeOk ? 0 : decoder.Position();
    return error;
}

const char* DecodeErrorText(DecodeError error)
{
    switch (error) {
    case kDecodeOk: return "ok";
    case kDecodeTruncated: return "truncated";
    case kDecodeBadVersion: return "not an IPP message (version)";
    case kDecodeBadTag: return "reserved or unknown tag";
    case kDecodeBadLength: return "value length does not fit its tag";
    case kDecodeBadStructure: return "attributes out of order";
    case kDecodeTooLarge: return "message too large";
    case kDecodeTooMany: return "too many groups, attributes or values";
    case kDecodeTooDeep: return "collections nested too deep";
    }
    return "unknown error";
}

// ---------------------------------------------------------------------------
// Requests and names

Message MakeRequest(int operation, int32_t requestId, const std::string& printerUri,
                    const std::string& userName, const std::vector<std::string>& requested)
{
    Message request;
    request.code = operation;
    request.requestId = requestId;
    Group& group = request.AddGroup(kOperationGroup);
    group.Add("attributes-charset", Value::String(kCharset, "utf-8"));
    group.Add("attributes-natural-language", Value::String(kNaturalLanguage, "en"));
    if (!printerUri.empty())
        group.Add("printer-uri", Value::Uri(printerUri));
    if (!userName.empty())
        group.Add("requesting-user-name", Value::Name(userName));
    if (!requested.empty()) {
        std::vector<Value> keywords;
        for (size_t i = 0; i < requested.size(); ++i)
            keywords.push_back(Value::Keyword(requested[i]));
        group.Add("requested-attributes", keywords);
    }
    return request;
}

std::string StatusMessage(const Message& response)
{
    std::string text;
    const Attribute* attribute = response.Find(kOperationGroup, "status-message");
    if (attribute != nullptr)
        attribute->GetString(text);
    return text;
}

namespace {

std::string HexCode(int code)
{
    char buffer[16];
    snprintf(buffer, sizeof(buffer), "0x%04X", static_cast<unsigned>(code) & 0xFFFF);
    return buffer;
}

} // namespace

std::string OperationName(int operation)
{
    switch (operation) {
    case kPrintJob: return "Print-Job";
    case kGetJobAttributes: return "Get-Job-Attributes";
    case kGetJobs: return "Get-Jobs";
    case kGetPrinterAttributes: return "Get-Printer-Attributes";
    case kPausePrinter: return "Pause-Printer";
    case kResumePrinter: return "Resume-Printer";
    case kPurgeJobs: return "Purge-Jobs";
    case kSetPrinterAttributes: return "Set-Printer-Attributes";
    case kRestartPrinter: return "Restart-Printer";
    case kCancelJobs: return "Cancel-Jobs";
    case kCupsGetDefault: return "CUPS-Get-Default";
    case kCupsGetPrinters: return "CUPS-Get-Printers";
    case kCupsAddModifyPrinter: return "CUPS-Add-Modify-Printer";
    }
    return HexCode(operation);
}

std::string StatusName(int status)
{
    switch (status) {
    case kSuccessfulOk: return "successful-ok";
    case kSuccessfulOkIgnoredOrSubstituted: return "successful-ok-ignored-or-substituted-attributes";
    case kSuccessfulOkConflicting: return "successful-ok-conflicting-attributes";
    case kClientErrorBadRequest: return "client-error-bad-request";
    case kClientErrorForbidden: return "client-error-forbidden";
    case kClientErrorNotAuthenticated: return "client-error-not-authenticated";
    case kClientErrorNotAuthorized: return "client-error-not-authorized";
    case kClientErrorNotFound: return "client-error-not-found";
    case kClientErrorGone: return "client-error-gone";
    case kClientErrorAttributesOrValuesNotSupported:
        return "client-error-attributes-or-values-not-supported";
    case kClientErrorAttributesNotSettable: return "client-error-attributes-not-settable";
    case kServerErrorInternalError: return "server-error-internal-error";
    case kServerErrorOperationNotSupported: return "server-error-operation-not-supported";
    case kServerErrorVersionNotSupported: return "server-error-version-not-supported";
    }
    return HexCode(status);
}

} // namespace ipp
