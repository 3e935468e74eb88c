// IppMessage.h - IPP messages: the model (Message, Group, Attribute, Value),
// the encoder and the bounded decoder of the binary encoding, and helpers to
// build requests and read answers.
//
// Portable C++17 with no system headers beyond the standard library: the
// decoder also builds natively for the fuzzer (tests/ipp/fuzz).
//
// The encoding: an 8-octet header (version, operation or status code,
// request id), attribute groups each opened by a delimiter tag, attributes as
// value tag, name and value, additional values (1setOf) with an empty name,
// collections as begCollection ... memberAttrName value ... endCollection,
// then the end-of-attributes tag and any document data.
#ifndef IPP_IPPMESSAGE_H
#define IPP_IPPMESSAGE_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace ipp {

// Delimiter tags: the attribute groups.
enum GroupTag
{
    kOperationGroup = 0x01,
    kJobGroup = 0x02,
    kEndOfAttributes = 0x03,
    kPrinterGroup = 0x04,
    kUnsupportedGroup = 0x05,
    kSubscriptionGroup = 0x06,
    kEventNotificationGroup = 0x07,
    kResourceGroup = 0x08,
    kDocumentGroup = 0x09,
    kSystemGroup = 0x0A
};

// Value tags. 0x10..0x1F are out-of-band values (no value octets); tags the
// decoder does not know in 0x20..0x7E are kept as raw octets.
enum ValueTag
{
    kUnsupportedValue = 0x10,
    kUnknownValue = 0x12,
    kNoValue = 0x13,
    kNotSettable = 0x15,
    kDeleteAttribute = 0x16,
    kAdminDefine = 0x17,
    kInteger = 0x21,
    kBoolean = 0x22,
    kEnum = 0x23,
    kOctetString = 0x30,
    kDateTime = 0x31,
    kResolution = 0x32,
    kRangeOfInteger = 0x33,
    kBegCollection = 0x34,
    kTextWithLanguage = 0x35,
    kNameWithLanguage = 0x36,
    kEndCollection = 0x37,
    kText = 0x41,
    kName = 0x42,
    kKeyword = 0x44,
    kUri = 0x45,
    kUriScheme = 0x46,
    kCharset = 0x47,
    kNaturalLanguage = 0x48,
    kMimeMediaType = 0x49,
    kMemberAttrName = 0x4A,
    kExtension = 0x7F
};

// Operations this system sends.
enum Operation
{
    kPrintJob = 0x0002,
    kGetJobAttributes = 0x0009,
    kGetJobs = 0x000A,
    kGetPrinterAttributes = 0x000B,
    kPausePrinter = 0x0010,
    kResumePrinter = 0x0011,
    kPurgeJobs = 0x0012,
    kSetPrinterAttributes = 0x0013,
    kRestartPrinter = 0x0029,
    kCancelJobs = 0x0038,
    kCupsGetDefault = 0x4001,
    kCupsGetPrinters = 0x4002,
    kCupsAddModifyPrinter = 0x4003
};

// Status codes: 0x0000..0x00FF successful, 0x0400..0x04FF client errors,
// 0x0500..0x05FF server errors. The ones this system looks at by name:
enum Status
{
    kSuccessfulOk = 0x0000,
    kSuccessfulOkIgnoredOrSubstituted = 0x0001,
    kSuccessfulOkConflicting = 0x0002,
    kClientErrorBadRequest = 0x0400,
    kClientErrorForbidden = 0x0401,
    kClientErrorNotAuthenticated = 0x0402,
    kClientErrorNotAuthorized = 0x0403,
    kClientErrorNotFound = 0x0406,
    kClientErrorGone = 0x0407,
    kClientErrorAttributesOrValuesNotSupported = 0x040B,
    kClientErrorAttributesNotSettable = 0x0413,
    kServerErrorInternalError = 0x0500,
    kServerErrorOperationNotSupported = 0x0501,
    kServerErrorVersionNotSupported = 0x0503
};

// printer-state
enum PrinterState
{
    kPrinterIdle = 3,
    kPrinterProcessing = 4,
    kPrinterStopped = 5
};

struct Attribute;

// One value. Which fields mean something depends on the tag:
//   integer, enum          integer
//   boolean                integer (0 or 1)
//   rangeOfInteger         integer (lower), upper
//   resolution             integer (cross-feed), upper (feed), units (3 dpi, 4 dpcm)
//   text, name, keyword, uri, uriScheme, charset, naturalLanguage,
//   mimeMediaType          text (octets as sent, normally UTF-8)
//   textWithLanguage, nameWithLanguage   text and language
//   octetString, dateTime (11 octets) and unknown tags   text (raw octets)
//   begCollection          members
//   out-of-band tags       nothing
struct Value
{
    int tag;
    int32_t integer;
    int32_t upper;
    int units;
    std::string text;
    std::string language;
    std::vector<Attribute> members;

    // A no-value out-of-band value. (Out of line: Attribute is not complete here.)
    Value();

    static Value Integer(int32_t v);
    static Value Enum(int32_t v);
    static Value Boolean(bool v);
    static Value Range(int32_t lower, int32_t upper);
    static Value Resolution(int32_t crossFeed, int32_t feed, int units);
    // Any tag whose value is octets: the string tags, octetString, dateTime.
    static Value String(int tag, const std::string& text);
    static Value Keyword(const std::string& text) { return String(kKeyword, text); }
    static Value Name(const std::string& text) { return String(kName, text); }
    static Value Text(const std::string& text) { return String(kText, text); }
    static Value Uri(const std::string& text) { return String(kUri, text); }
    static Value WithLanguage(int tag, const std::string& language, const std::string& text);
    static Value Collection(const std::vector<Attribute>& members);
    static Value OutOfBand(int tag);

    bool IsOutOfBand() const { return tag >= 0x10 && tag <= 0x1F; }
    // integer or enum
    bool IsInteger() const { return tag == kInteger || tag == kEnum; }
    // The character-string tags (0x40..0x5F except memberAttrName) and the
    // two "with language" forms.
    bool IsString() const;
};

// An attribute: a name and one or more values (more than one is a 1setOf).
struct Attribute
{
    std::string name;
    std::vector<Value> values;

    Attribute() {}
    Attribute(const std::string& n, const Value& v) : name(n), values(1, v) {}
    Attribute(const std::string& n, const std::vector<Value>& v) : name(n), values(v) {}

    // The value at `index` as a number: integer or enum (true), else false.
    bool GetInteger(int32_t& out, size_t index = 0) const;
    // A boolean value.
    bool GetBoolean(bool& out, size_t index = 0) const;
    // A string value (IsString) or octetString.
    bool GetString(std::string& out, size_t index = 0) const;
    // A rangeOfInteger, or an integer n taken as n..n.
    bool GetRange(int32_t& lower, int32_t& upper, size_t index = 0) const;
    // Every integer/enum value, every string value, in order; others skipped.
    std::vector<int32_t> Integers() const;
    std::vector<std::string> Strings() const;
    // The member `name` of the collection at `index`, or null.
    const Attribute* Member(const std::string& memberName, size_t index = 0) const;
    // True when the attribute holds only an out-of-band value (no-value,
    // unknown, unsupported, ...).
    bool IsOutOfBand() const;
};

// One attribute group, e.g. the printer attributes of one printer.
struct Group
{
    int tag;
    std::vector<Attribute> attributes;

    explicit Group(int t = kOperationGroup) : tag(t) {}

    // The first attribute called `name`, or null.
    const Attribute* Find(const std::string& name) const;
    // Appends an attribute and returns it.
    Attribute& Add(const std::string& name, const Value& value);
    Attribute& Add(const std::string& name, const std::vector<Value>& values);
};

// A request or a response.
struct Message
{
    int major;
    int minor;
    int code;          // operation-id in a request, status-code in a response
    int32_t requestId;
    std::vector<Group> groups;
    std::string data;  // what follows end-of-attributes (a document), raw

    Message() : major(2), minor(0), code(0), requestId(1) {}

    // The nth group (0-based) with this tag, or null.
    const Group* FindGroup(int tag, size_t nth = 0) const;
    // The attribute `name` in the first group with this tag that has it.
    const Attribute* Find(int groupTag, const std::string& name) const;
    // How many groups have this tag.
    size_t CountGroups(int tag) const;
    // Appends a group and returns it.
    Group& AddGroup(int tag);
};

// The decoder's limits. A message that exceeds one is rejected as a whole;
// together they bound what decoding allocates: at most maxValues values and
// maxAttributes attributes, plus copies of octets the input holds.
struct Limits
{
    size_t maxMessageBytes;  // the encoded message (default 2 MiB)
    size_t maxGroups;        // attribute groups (default 4,096)
    size_t maxAttributes;    // attributes and collection members (default 32,768)
    size_t maxValues;        // values, members' values included (default 65,536)
    size_t maxDepth;         // collections inside collections (default 8)

    Limits()
        : maxMessageBytes(2u * 1024u * 1024u), maxGroups(4096), maxAttributes(32768),
          maxValues(65536), maxDepth(8) {}
};

// Why the decoder rejected a message.
enum DecodeError
{
    kDecodeOk = 0,
    kDecodeTruncated,      // the octets end inside the header, an attribute or a
                           // collection, or before end-of-attributes
    kDecodeBadVersion,     // version other than 1.x or 2.x: not an IPP message
    kDecodeBadTag,         // a reserved or unknown delimiter or value tag (0x00,
                           // 0x7F extension, 0x80..0xFF)
    kDecodeBadLength,      // a value length that does not fit its tag (integer
                           // not 4 octets, ...) or inconsistent inner lengths
    kDecodeBadStructure,   // an additional value with no attribute before it, an
                           // attribute outside a group, a member outside a
                           // collection, an empty member name, a member with no
                           // value, endCollection without begCollection, ...
    kDecodeTooLarge,       // more octets than maxMessageBytes
    kDecodeTooMany,        // more groups, attributes or values than allowed
    kDecodeTooDeep         // collections nested deeper than maxDepth
};

// A short English description of a DecodeError ("truncated", ...).
const char* DecodeErrorText(DecodeError error);

// Decodes `size` octets into `out` (replaced). On failure `out` is left empty
// and `errorOffset` (if given) receives the offset where decoding stopped.
// Never reads outside [data, data + size); never throws for bad input (only
// std::bad_alloc could escape, within the limits above).
DecodeError Decode(const unsigned char* data, size_t size, Message& out,
                   const Limits& limits = Limits(), size_t* errorOffset = nullptr);

// Encodes `message` into `out` (replaced). Fails (false) for what cannot be
// encoded: a name or value longer than 65,535 octets, an attribute with no
// value or an empty name, a dateTime not of 11 octets, a group tag outside
// 0x01..0x0F or equal to end-of-attributes, a value tag outside 0x10..0x7E,
// or collections nested deeper than `maxDepth`.
bool Encode(const Message& message, std::string& out, size_t maxDepth = 8);

// A request with the operation attributes every request starts with:
// attributes-charset "utf-8", attributes-natural-language "en", then
// printer-uri when `printerUri` is not empty, requesting-user-name when
// `userName` is not empty, requested-attributes (1setOf keyword) when
// `requested` is not empty. Version 2.0.
Message MakeRequest(int operation, int32_t requestId, const std::string& printerUri,
                    const std::string& userName,
                    const std::vector<std::string>& requested = std::vector<std::string>());

// The status-message of a response ("" when absent).
std::string StatusMessage(const Message& response);

// Names for journals and reports: "Get-Printer-Attributes", "successful-ok",
// "client-error-not-found", ...; an unknown code gives "0x%04X".
std::string OperationName(int operation);
std::string StatusName(int status);

} // namespace ipp

#endif // IPP_IPPMESSAGE_H
