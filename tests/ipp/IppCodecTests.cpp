// IppCodecTests.cpp - the IPP encoding (ipp/IppMessage), the parsers of
// answers (ipp/IppPrinter) and the URI rules of ipp/IppHttp, without a
// network: round trips through every value tag, the exact octets of a
// request, the answers of a real CUPS server (the seed corpus captured by
// capture-corpus.py, beside this program in ipp_corpus\), and the rejection
// of broken and hostile messages.
#include "ipp/IppClient.h"
#include "ipp/IppHttp.h"
#include "ipp/IppMessage.h"
#include "ipp/IppPrinter.h"
#include "ipp/IppResults.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

using namespace ipp;

namespace
{

std::string ProgramDirectory()
{
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string text(path, n < MAX_PATH ? n : 0);
    return text.substr(0, text.find_last_of('\\') + 1);
}

std::string ReadCorpusFile(const char* name)
{
    std::string bytes;
    FILE* f = fopen((ProgramDirectory() + "ipp_corpus\\" + name).c_str(), "rb");
    if (f == NULL)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

DecodeError DecodeText(const std::string& bytes, Message& out, const Limits& limits = Limits())
{
    return Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out, limits);
}

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

// Octets of one encoded item: tag, name, value.
std::string Item(int tag, const std::string& name, const std::string& value)
{
    std::string out;
    out += static_cast<char>(tag);
    out += static_cast<char>(name.size() >> 8);
    out += static_cast<char>(name.size() & 0xFF);
    out += name;
    out += static_cast<char>(value.size() >> 8);
    out += static_cast<char>(value.size() & 0xFF);
    out += value;
    return out;
}

const std::string kHeader("\x02\x00\x00\x0B\x00\x00\x00\x07", 8);

// A nested collection `depth` levels deep, as a value of "col".
Value Nested(int depth)
{
    Value value = Value::Integer(depth);
    for (int i = 0; i < depth; ++i)
        value = Value::Collection(std::vector<Attribute>(1, Attribute("inner", value)));
    return value;
}

// Every value tag, 1setOf values, out-of-band values, nested collections,
// several groups and document data.
Message EveryKindOfValue()
{
    Message message;
    message.major = 1;
    message.minor = 1;
    message.code = kGetPrinterAttributes;
    message.requestId = 0x7FFFFFFF;
    Group& operation = message.AddGroup(kOperationGroup);
    operation.Add("attributes-charset", Value::String(kCharset, "utf-8"));
    operation.Add("attributes-natural-language", Value::String(kNaturalLanguage, "en"));
    Group& printer = message.AddGroup(kPrinterGroup);
    printer.Add("integer", Value::Integer(-2147483647 - 1));
    std::vector<Value> set;
    set.push_back(Value::Enum(3));
    set.push_back(Value::Enum(65535));
    printer.Add("enums", set);
    printer.Add("yes", Value::Boolean(true));
    printer.Add("no", Value::Boolean(false));
    printer.Add("octets", Value::String(kOctetString, std::string("\x00\xFF\x10", 3)));
    printer.Add("when", Value::String(kDateTime, std::string("\x07\xEA\x0C\x08\x0B\x14\x00\x00+\x00\x00", 11)));
    printer.Add("resolution", Value::Resolution(600, 1200, 3));
    printer.Add("range", Value::Range(1, 9999));
    printer.Add("text-lang", Value::WithLanguage(kTextWithLanguage, "de", "Gr\xC3\xBC\xC3\x9F" "e"));
    printer.Add("name-lang", Value::WithLanguage(kNameWithLanguage, "fr", "Imprimante"));
    const int stringTags[] = { kText, kName, kKeyword, kUri, kUriScheme, kCharset,
                               kNaturalLanguage, kMimeMediaType };
    for (size_t i = 0; i < sizeof(stringTags) / sizeof(stringTags[0]); ++i)
        printer.Add("string-" + std::to_string(stringTags[i]), Value::String(stringTags[i], "v"));
    printer.Add("empty-text", Value::Text(""));
    const int outOfBand[] = { kUnsupportedValue, kUnknownValue, kNoValue, kNotSettable,
                              kDeleteAttribute, kAdminDefine };
    for (size_t i = 0; i < sizeof(outOfBand) / sizeof(outOfBand[0]); ++i)
        printer.Add("oob-" + std::to_string(outOfBand[i]), Value::OutOfBand(outOfBand[i]));
    printer.Add("future-tag", Value::String(0x4F, "raw"));
    std::vector<Attribute> size;
    size.push_back(Attribute("x-dimension", Value::Integer(21000)));
    size.push_back(Attribute("y-dimension", Value::Integer(29700)));
    std::vector<Attribute> media;
    media.push_back(Attribute("media-size", Value::Collection(size)));
    std::vector<Value> sources;
    sources.push_back(Value::Keyword("tray-1"));
    sources.push_back(Value::Keyword("tray-2"));
    media.push_back(Attribute("media-source", sources));
    std::vector<Value> collections;
    collections.push_back(Value::Collection(media));
    collections.push_back(Value::Collection(std::vector<Attribute>()));
    printer.Add("media-col-database", collections);
    printer.Add("deep", Nested(8));
    message.AddGroup(kPrinterGroup).Add("second-printer", Value::Integer(2));
    message.AddGroup(kUnsupportedGroup);
    message.data = std::string("%!PS\x00\x01", 6);
    return message;
}

} // namespace

// ---------------------------------------------------------------------------
// Round trips and exact octets

TEST(IppCodec, EveryValueTagSurvivesARoundTrip)
{
    Message original = EveryKindOfValue();
    std::string bytes;
    ASSERT_TRUE(Encode(original, bytes));
    Message decoded;
    ASSERT_EQ(kDecodeOk, DecodeText(bytes, decoded));
    EXPECT_TRUE(SameMessage(original, decoded));
    std::string again;
    ASSERT_TRUE(Encode(decoded, again));
    EXPECT_EQ(bytes, again);

    // What the lookups give on it.
    const Group* printer = decoded.FindGroup(kPrinterGroup);
    ASSERT_NE(nullptr, printer);
    EXPECT_EQ(2u, decoded.CountGroups(kPrinterGroup));
    ASSERT_NE(nullptr, decoded.FindGroup(kPrinterGroup, 1));
    EXPECT_EQ(nullptr, decoded.FindGroup(kPrinterGroup, 2));
    EXPECT_NE(nullptr, decoded.Find(kPrinterGroup, "second-printer"));
    EXPECT_EQ(nullptr, decoded.Find(kJobGroup, "integer"));
    int32_t number = 0;
    ASSERT_TRUE(printer->Find("integer")->GetInteger(number));
    EXPECT_EQ(-2147483647 - 1, number);
    EXPECT_EQ(std::vector<int32_t>({ 3, 65535 }), printer->Find("enums")->Integers());
    bool flag = false;
    EXPECT_TRUE(printer->Find("yes")->GetBoolean(flag) && flag);
    EXPECT_FALSE(printer->Find("yes")->GetInteger(number));  // a boolean is not a number
    std::string text;
    EXPECT_TRUE(printer->Find("text-lang")->GetString(text));
    EXPECT_EQ("Gr\xC3\xBC\xC3\x9F" "e", text);
    EXPECT_EQ("de", printer->Find("text-lang")->values[0].language);
    int32_t lower = 0, upper = 0;
    EXPECT_TRUE(printer->Find("range")->GetRange(lower, upper));
    EXPECT_EQ(9999, upper);
    EXPECT_TRUE(printer->Find("oob-19")->IsOutOfBand());
    EXPECT_FALSE(printer->Find("oob-19")->GetString(text));
    const Attribute* database = printer->Find("media-col-database");
    ASSERT_EQ(2u, database->values.size());
    const Attribute* mediaSize = database->Member("media-size");
    ASSERT_NE(nullptr, mediaSize);
    EXPECT_NE(nullptr, mediaSize->Member("x-dimension"));
    EXPECT_EQ(std::vector<std::string>({ "tray-1", "tray-2" }),
              database->Member("media-source")->Strings());
    EXPECT_EQ(nullptr, database->Member("media-size", 1));
    EXPECT_EQ(nullptr, database->Member("media-size", 2));
}

TEST(IppCodec, RequestOctetsAreTheEncodingsOwn)
{
    Message request = MakeRequest(kGetPrinterAttributes, 7, "ipp://h/p", "u",
                                  std::vector<std::string>({ "a", "bc" }));
    std::string bytes;
    ASSERT_TRUE(Encode(request, bytes));
    std::string expected = kHeader + "\x01" + Item(kCharset, "attributes-charset", "utf-8") +
                           Item(kNaturalLanguage, "attributes-natural-language", "en") +
                           Item(kUri, "printer-uri", "ipp://h/p") +
                           Item(kName, "requesting-user-name", "u") +
                           Item(kKeyword, "requested-attributes", "a") + Item(kKeyword, "", "bc") +
                           "\x03";
    EXPECT_EQ(expected, bytes);

    // A collection: begCollection (empty value), memberAttrName + value per
    // member with empty names, endCollection.
    Message collection;
    collection.code = kGetPrinterAttributes;
    collection.requestId = 7;
    std::vector<Attribute> members(1, Attribute("m", Value::Integer(1)));
    collection.AddGroup(kPrinterGroup).Add("c", Value::Collection(members));
    ASSERT_TRUE(Encode(collection, bytes));
    EXPECT_EQ(kHeader + "\x04" + Item(kBegCollection, "c", "") + Item(kMemberAttrName, "", "m") +
                  Item(kInteger, "", std::string("\0\0\0\1", 4)) + Item(kEndCollection, "", "") +
                  "\x03",
              bytes);
}

TEST(IppCodec, EncoderRefusesWhatCannotBeEncoded)
{
    std::string bytes;
    Message message;
    message.AddGroup(kPrinterGroup).Add("", Value::Integer(1));
    EXPECT_FALSE(Encode(message, bytes));  // no name

    message = Message();
    message.AddGroup(kPrinterGroup).Add("none", std::vector<Value>());
    EXPECT_FALSE(Encode(message, bytes));  // no value

    message = Message();
    message.AddGroup(kPrinterGroup).Add("long", Value::Text(std::string(65536, 'x')));
    EXPECT_FALSE(Encode(message, bytes));
    message.groups[0].attributes[0].values[0].text.resize(65535);
    EXPECT_TRUE(Encode(message, bytes));

    message = Message();
    message.AddGroup(kPrinterGroup).Add("when", Value::String(kDateTime, "2026"));
    EXPECT_FALSE(Encode(message, bytes));

    message = Message();
    message.AddGroup(kEndOfAttributes);
    EXPECT_FALSE(Encode(message, bytes));

    message = Message();
    message.AddGroup(kPrinterGroup).Add("col", Value::OutOfBand(kMemberAttrName));
    EXPECT_FALSE(Encode(message, bytes));

    message = Message();
    message.AddGroup(kPrinterGroup).Add("deep", Nested(9));
    EXPECT_FALSE(Encode(message, bytes));
    EXPECT_TRUE(Encode(message, bytes, 9));
}

// ---------------------------------------------------------------------------
// Real answers of the test CUPS server

TEST(IppCodec, DecodesRealCupsAnswers)
{
    const char* const files[] = { "cups-get-printers.ipp", "cups-get-printers-all.ipp",
                                  "get-printer-status-supplies.ipp", "get-printer-all-supplies.ipp",
                                  "get-printer-all-color.ipp", "get-printer-stopped-v11.ipp",
                                  "get-printer-not-found.ipp", "get-jobs-supplies.ipp",
                                  "cups-add-modify-printer.ipp", "set-printer-attributes.ipp",
                                  "crafted-every-tag.ipp" };
    for (size_t i = 0; i < sizeof(files) / sizeof(files[0]); ++i) {
        std::string bytes = ReadCorpusFile(files[i]);
        ASSERT_FALSE(bytes.empty()) << files[i];
        Message message;
        ASSERT_EQ(kDecodeOk, DecodeText(bytes, message)) << files[i];
        std::string again;
        ASSERT_TRUE(Encode(message, again)) << files[i];
        EXPECT_EQ(bytes, again) << files[i] << ": the answer re-encodes to other octets";
    }

    Message printers;
    ASSERT_EQ(kDecodeOk, DecodeText(ReadCorpusFile("cups-get-printers.ipp"), printers));
    EXPECT_EQ(kSuccessfulOk, printers.code);
    std::vector<std::string> names;
    for (size_t n = 0; n < printers.CountGroups(kPrinterGroup); ++n) {
        CupsPrinter printer;
        ParseCupsPrinter(*printers.FindGroup(kPrinterGroup, n), printer);
        names.push_back(printer.name + "@" + printer.location);
        if (printer.name == "stopped") {
            EXPECT_EQ(kPrinterStopped, printer.state);
            EXPECT_EQ("Out of order", printer.stateMessage);
        }
        if (printer.name == "color") {
            EXPECT_TRUE(printer.IsColor());
            EXPECT_NE(0u, printer.type & kCupsTypeDuplex);
        }
        if (printer.name == "office") {
            EXPECT_FALSE(printer.IsColor());
        }
    }
    EXPECT_EQ(std::vector<std::string>({ "color@Print room", "lab@Lab 2", "locked@Vault",
                                         "office@Room 101", "stopped@Basement",
                                         "supplies@Store" }),
              names);

    Message supplies;
    ASSERT_EQ(kDecodeOk, DecodeText(ReadCorpusFile("get-printer-all-supplies.ipp"), supplies));
    PrinterStatus status;
    ParsePrinterStatus(*supplies.FindGroup(kPrinterGroup), status);
    ASSERT_EQ(2u, status.markers.size());
    EXPECT_EQ("Black Toner", status.markers[0].name);
    EXPECT_EQ(12, status.markers[0].level);
    EXPECT_EQ(15, status.markers[0].lowLevel);
    EXPECT_EQ("#00FFFF", status.markers[1].color);
    ASSERT_EQ(2u, status.supplies.size());
    EXPECT_EQ("Cyan Toner", status.supplies[1].description);
    EXPECT_EQ(80, status.supplies[1].level);
    EXPECT_EQ(100, status.supplies[1].maxCapacity);
    EXPECT_EQ("toner", status.supplies[1].type);
    EXPECT_EQ(9999, status.copiesMax.value_or(0));
    EXPECT_EQ("urn:uuid:", status.uuid.substr(0, 9));

    Message notFound;
    ASSERT_EQ(kDecodeOk, DecodeText(ReadCorpusFile("get-printer-not-found.ipp"), notFound));
    EXPECT_EQ(kClientErrorNotFound, notFound.code);
    EXPECT_FALSE(StatusMessage(notFound).empty());
    EXPECT_EQ(IPP_E_NOTFOUND, StatusResult(notFound.code));
}

// ---------------------------------------------------------------------------
// Rejections

TEST(IppCodec, EveryTruncationIsRejected)
{
    std::string bytes;
    ASSERT_TRUE(Encode(EveryKindOfValue(), bytes));
    size_t end = bytes.size() - 7;  // the end-of-attributes tag (6 octets of data follow)
    ASSERT_EQ('\x03', bytes[end]);
    for (size_t length = 0; length <= end; ++length) {
        Message message;
        message.code = 1;
        DecodeError error = DecodeText(bytes.substr(0, length), message);
        ASSERT_EQ(kDecodeTruncated, error) << "prefix of " << length << " octets";
        ASSERT_TRUE(message.groups.empty());
        ASSERT_EQ(0, message.code);  // the output is left empty
    }
}

TEST(IppCodec, MalformedMessagesAreRejected)
{
    const std::string ok = Item(kInteger, "n", std::string(4, '\0'));
    struct Case
    {
        const char* what;
        std::string bytes;
        DecodeError expected;
    };
    const Case cases[] = {
        { "version 3", std::string("\x03\x00", 2) + kHeader.substr(2) + "\x03", kDecodeBadVersion },
        { "version 0", std::string(8, '\0') + "\x03", kDecodeBadVersion },
        { "HTML", "<html><body>Not found</body></html>", kDecodeBadVersion },
        { "tag 0x00", kHeader + "\x04" + Item(0x00, "n", "x") + "\x03", kDecodeBadTag },
        { "group tag 0x00", kHeader + std::string(1, '\0') + "\x03", kDecodeBadTag },
        { "extension tag", kHeader + "\x04" + Item(0x7F, "n", "xxxx") + "\x03", kDecodeBadTag },
        { "tag 0x80", kHeader + "\x04" + Item(0x80, "n", "x") + "\x03", kDecodeBadTag },
        { "integer of 3", kHeader + "\x04" + Item(kInteger, "n", "abc") + "\x03", kDecodeBadLength },
        { "enum of 5", kHeader + "\x04" + Item(kEnum, "n", "abcde") + "\x03", kDecodeBadLength },
        { "boolean of 2", kHeader + "\x04" + Item(kBoolean, "n", "ab") + "\x03", kDecodeBadLength },
        { "range of 7", kHeader + "\x04" + Item(kRangeOfInteger, "n", "abcdefg") + "\x03",
          kDecodeBadLength },
        { "resolution of 8", kHeader + "\x04" + Item(kResolution, "n", "abcdefgh") + "\x03",
          kDecodeBadLength },
        { "dateTime of 10", kHeader + "\x04" + Item(kDateTime, "n", "abcdefghij") + "\x03",
          kDecodeBadLength },
        { "text with language of 3", kHeader + "\x04" + Item(kTextWithLanguage, "n", "abc") + "\x03",
          kDecodeBadLength },
        { "language longer than value",
          kHeader + "\x04" + Item(kTextWithLanguage, "n", std::string("\x00\x09" "en\x00\x00", 6)) +
              "\x03",
          kDecodeBadLength },
        { "text shorter than said",
          kHeader + "\x04" +
              Item(kNameWithLanguage, "n", std::string("\x00\x02" "en\x00\x05" "abc", 9)) + "\x03",
          kDecodeBadLength },
        { "attribute before a group", kHeader + ok + "\x03", kDecodeBadStructure },
        { "additional value first in a group", kHeader + "\x04" + Item(kInteger, "", "abcd") + "\x03",
          kDecodeBadStructure },
        { "additional value after a new group",
          kHeader + "\x04" + ok + "\x04" + Item(kInteger, "", "abcd") + "\x03", kDecodeBadStructure },
        { "member name outside a collection",
          kHeader + "\x04" + ok + Item(kMemberAttrName, "", "m") + "\x03", kDecodeBadStructure },
        { "endCollection outside a collection",
          kHeader + "\x04" + Item(kEndCollection, "n", "") + "\x03", kDecodeBadStructure },
        { "member value without a member name",
          kHeader + "\x04" + Item(kBegCollection, "c", "") + Item(kInteger, "", "abcd") +
              Item(kEndCollection, "", "") + "\x03",
          kDecodeBadStructure },
        { "empty member name",
          kHeader + "\x04" + Item(kBegCollection, "c", "") + Item(kMemberAttrName, "", "") +
              Item(kInteger, "", "abcd") + Item(kEndCollection, "", "") + "\x03",
          kDecodeBadStructure },
        { "member without a value",
          kHeader + "\x04" + Item(kBegCollection, "c", "") + Item(kMemberAttrName, "", "m") +
              Item(kEndCollection, "", "") + "\x03",
          kDecodeBadStructure },
        { "named attribute inside a collection",
          kHeader + "\x04" + Item(kBegCollection, "c", "") + ok + Item(kEndCollection, "", "") +
              "\x03",
          kDecodeBadStructure },
        { "group inside a collection",
          kHeader + "\x04" + Item(kBegCollection, "c", "") + "\x04" + Item(kEndCollection, "", "") +
              "\x03",
          kDecodeBadStructure },
        { "collection never ended", kHeader + "\x04" + Item(kBegCollection, "c", "") + "\x03",
          kDecodeBadStructure },
        { "value length past the end",
          kHeader + "\x04" + std::string("\x21\x00\x01n\xFF\xFF", 6) + "abcd\x03", kDecodeTruncated },
        { "name length past the end", kHeader + "\x04" + std::string("\x21\xFF\xFFn", 4),
          kDecodeTruncated },
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        Message message;
        EXPECT_EQ(cases[i].expected, DecodeText(cases[i].bytes, message)) << cases[i].what;
        EXPECT_TRUE(message.groups.empty()) << cases[i].what;
    }

    // What a receiver should take: out-of-band values with octets, booleans
    // other than 0 and 1, begCollection with octets, unknown tags as raw octets.
    std::string lenient = kHeader + "\x04" + Item(kNoValue, "a", "junk") +
                          Item(kBoolean, "b", "\xFF") + Item(kBegCollection, "c", "xy") +
                          Item(kMemberAttrName, "", "m") + Item(0x2F, "", "zz") +
                          Item(kEndCollection, "", "") + "\x03";
    Message message;
    ASSERT_EQ(kDecodeOk, DecodeText(lenient, message));
    bool flag = false;
    EXPECT_TRUE(message.Find(kPrinterGroup, "b")->GetBoolean(flag) && flag);
    EXPECT_EQ("zz", message.Find(kPrinterGroup, "c")->Member("m")->values[0].text);
}

TEST(IppCodec, LimitsBoundWhatADecodeTakes)
{
    Limits limits;
    limits.maxDepth = 3;
    limits.maxValues = 10;
    limits.maxAttributes = 5;
    limits.maxGroups = 3;
    limits.maxMessageBytes = 200;

    // Nesting: three levels pass, four do not.
    Message nested;
    nested.AddGroup(kPrinterGroup).Add("col", Nested(3));
    std::string bytes;
    ASSERT_TRUE(Encode(nested, bytes));
    Message out;
    EXPECT_EQ(kDecodeOk, DecodeText(bytes, out, limits));
    nested.groups[0].attributes[0].values[0] = Nested(4);
    ASSERT_TRUE(Encode(nested, bytes));
    EXPECT_EQ(kDecodeTooDeep, DecodeText(bytes, out, limits));

    // Ten values pass, eleven do not, whether 1setOf or members.
    std::string many = kHeader + "\x04" + Item(kInteger, "n", "abcd");
    for (int i = 1; i < 10; ++i)
        many += Item(kInteger, "", "abcd");
    EXPECT_EQ(kDecodeOk, DecodeText(many + "\x03", out, limits));
    EXPECT_EQ(kDecodeTooMany, DecodeText(many + Item(kInteger, "", "abcd") + "\x03", out, limits));

    std::string attributes = kHeader + "\x04";
    for (int i = 0; i < 6; ++i)
        attributes += Item(kInteger, std::string(1, static_cast<char>('a' + i)), "abcd");
    EXPECT_EQ(kDecodeTooMany, DecodeText(attributes + "\x03", out, limits));
    EXPECT_EQ(kDecodeTooMany, DecodeText(kHeader + "\x04\x04\x04\x04\x03", out, limits));
    EXPECT_EQ(kDecodeOk, DecodeText(kHeader + "\x04\x04\x04\x03", out, limits));

    EXPECT_EQ(kDecodeTooLarge, DecodeText(kHeader + "\x04" + Item(kText, "t", std::string(200, 'x')) +
                                              "\x03",
                                          out, limits));

    // The defaults take every real answer of the corpus, the largest included.
    EXPECT_EQ(kDecodeOk, DecodeText(ReadCorpusFile("cups-get-printers-all.ipp"), out));
}

// ---------------------------------------------------------------------------
// Parsers

TEST(IppParsers, PrinterStatusFromAttributes)
{
    Group printer(kPrinterGroup);
    printer.Add("printer-state", Value::Enum(kPrinterProcessing));
    std::vector<Value> reasons;
    reasons.push_back(Value::Keyword("media-jam-error"));
    reasons.push_back(Value::Keyword("toner-low-warning"));
    printer.Add("printer-state-reasons", reasons);
    printer.Add("printer-is-accepting-jobs", Value::Boolean(false));
    printer.Add("printer-device-id", Value::Text("MFG:Acme; MDL:Laser 9;sern:AC-123;CMD:PCL;"));
    printer.Add("printer-uuid", Value::Uri("urn:uuid:1234"));
    printer.Add("printer-location", Value::OutOfBand(kNoValue));
    std::vector<Value> names;
    names.push_back(Value::Name("Black"));
    names.push_back(Value::Name("Drum"));
    printer.Add("marker-names", names);
    printer.Add("marker-levels", Value::Integer(-3));  // fewer levels than names
    std::vector<Value> supplies;
    supplies.push_back(Value::String(kOctetString, "type=toner;maxcapacity=2000;level=150;"
                                                   "colorantname=black;unit=tenThousandthsOfInches"));
    supplies.push_back(Value::String(kOctetString, "level=abc;maxcapacity=99999999999;"));
    printer.Add("printer-supply", supplies);
    printer.Add("copies-supported", Value::Integer(1));
    printer.Add("mirror-default", Value::Keyword("true"));
    printer.Add("print-quality-default", Value::Enum(5));
    printer.Add("sides-default", Value::OutOfBand(kUnknownValue));

    PrinterStatus status;
    ParsePrinterStatus(printer, status);
    EXPECT_EQ(kPrinterProcessing, status.state);
    EXPECT_EQ(std::vector<std::string>({ "media-jam-error", "toner-low-warning" }), status.reasons);
    EXPECT_FALSE(status.accepting.value_or(true));
    EXPECT_EQ("AC-123", status.serialNumber);
    EXPECT_TRUE(status.location.empty());
    ASSERT_EQ(2u, status.markers.size());
    EXPECT_EQ(-3, status.markers[0].level);
    EXPECT_EQ(-2, status.markers[1].level);
    ASSERT_EQ(2u, status.supplies.size());
    EXPECT_EQ(150, status.supplies[0].level);
    EXPECT_EQ(2000, status.supplies[0].maxCapacity);
    EXPECT_EQ("black", status.supplies[0].colorant);
    EXPECT_EQ(-2, status.supplies[1].level);
    EXPECT_EQ(-2, status.supplies[1].maxCapacity);
    EXPECT_EQ(1, status.copiesMax.value_or(0));
    EXPECT_TRUE(status.defaults.mirror.value_or(false));
    EXPECT_EQ(5, status.defaults.printQuality.value_or(0));
    EXPECT_FALSE(status.defaults.sides.has_value());
    EXPECT_FALSE(status.queuedJobCount.has_value());

    // printer-serial-number wins over the device id; keys match in any case.
    printer.Add("printer-serial-number", Value::Text("XYZ"));
    ParsePrinterStatus(printer, status);
    EXPECT_EQ("XYZ", status.serialNumber);
    EXPECT_EQ("Laser 9", DeviceIdField("MFG:Acme; MDL:Laser 9;", "mdl"));
    EXPECT_EQ("", DeviceIdField("MFG:Acme;SNX:1;", "SN"));
    EXPECT_EQ("", DeviceIdField("no fields at all", "SN"));
}

// ---------------------------------------------------------------------------
// URIs

TEST(IppUris, PrinterUrisSplitIntoEndpoints)
{
    struct Good
    {
        const char* uri;
        bool secure;
        const char* host;
        unsigned port;
        const char* path;
        const char* printerUri;
    };
    const Good good[] = {
        { "ipp://printer.local/ipp/print", false, "printer.local", 631, "/ipp/print",
          "ipp://printer.local:631/ipp/print" },
        { "IPPS://127.0.0.5", true, "127.0.0.5", 631, "/", "ipps://127.0.0.5:631/" },
        { "http://127.0.0.1:8631/printers/a?x=1#frag", false, "127.0.0.1", 8631,
          "/printers/a?x=1", "ipp://127.0.0.1:8631/printers/a?x=1" },
        { "https://host", true, "host", 443, "/", "ipps://host:443/" },
        { "ipp://[::1]:631/p", false, "::1", 631, "/p", "ipp://[::1]:631/p" },
        { "ipp://h:/p", false, "h", 631, "/p", "ipp://h:631/p" },
    };
    for (size_t i = 0; i < sizeof(good) / sizeof(good[0]); ++i) {
        Endpoint endpoint;
        ASSERT_EQ(S_OK, ParseUri(good[i].uri, endpoint)) << good[i].uri;
        EXPECT_EQ(good[i].secure, endpoint.secure) << good[i].uri;
        EXPECT_EQ(good[i].host, endpoint.host) << good[i].uri;
        EXPECT_EQ(good[i].port, endpoint.port) << good[i].uri;
        EXPECT_EQ(good[i].path, endpoint.path) << good[i].uri;
        EXPECT_EQ(good[i].printerUri, PrinterUri(endpoint)) << good[i].uri;
    }
    const char* const bad[] = { "", "printer", "ftp://h/", "ipp:/h/p", "ipp:///p", "ipp://h:0/",
                                "ipp://h:65536/", "ipp://h:12a/", "ipp://user@h/",
                                "ipp://h/with space", "ipp://[::1/p", "ipp://h:123456/",
                                "ipp://h/\xC3\xA9" };
    for (size_t i = 0; i < sizeof(bad) / sizeof(bad[0]); ++i) {
        Endpoint endpoint;
        EXPECT_EQ(IPP_E_BADURI, ParseUri(bad[i], endpoint)) << bad[i];
    }
}
