// StringMapTests.cpp - CString and CMapStringToPtr.
#include <gtest/gtest.h>

#include "framework/afx.h"
#include "FrameworkTestRes.h"

#include <set>
#include <string>

TEST(CStringTest, FormatHandlesLongResultsAndNullFormat)
{
    CString s;
    s.Format("%s-%d", std::string(5000, 'x').c_str(), 42);
    ASSERT_EQ(5003, s.GetLength());
    EXPECT_EQ(std::string("-42"), std::string(s).substr(5000));

    s.Format((LPCSTR)NULL);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, FormatFromStringTable)
{
    CString s;
    s.Format((UINT)IDS_PRINTF, 12L, 65535L);
    EXPECT_STREQ("Location 12 holds 65535.", s);
}

TEST(CStringTest, FormatMessageInsertsNumbersByPosition)
{
    CString s;
    s.FormatMessage("%2!d! after %1!d!, %1!d! again", 0, 320);
    EXPECT_STREQ("320 after 0, 0 again", s);

    CString t;
    t.FormatMessage((UINT)IDS_INSERTS, 0, 320);
    EXPECT_STREQ("Enter a number from 0 to 320.", t);
}

TEST(CStringTest, LoadStringOfAnyLengthAndMissingId)
{
    CString s;
    ASSERT_TRUE(s.LoadString(IDS_LONG));
    EXPECT_EQ(280, s.GetLength());

    CString missing("keep?");
    EXPECT_FALSE(missing.LoadString(9999));
    EXPECT_TRUE(missing.IsEmpty());
}

TEST(CStringTest, ConcatenationComparisonAndNull)
{
    CString a((LPCSTR)NULL);
    EXPECT_TRUE(a.IsEmpty());
    CString b = CString("Kit") + " - " + CString("Service");
    EXPECT_STREQ("Kit - Service", b);
    EXPECT_TRUE(b == "Kit - Service");
    EXPECT_TRUE(b != "kit - service");
    EXPECT_EQ(0, b.CompareNoCase("KIT - SERVICE"));
    EXPECT_TRUE(CString("A") < "B");

    CString buf;
    strcpy(buf.GetBuffer(10), "abc");
    buf.ReleaseBuffer();
    EXPECT_EQ(3, buf.GetLength());
}

TEST(CMapStringToPtrTest, ManyKeysSetLookupRemoveIterate)
{
    CMapStringToPtr map(10);
    const int kCount = 20000;
    static int values[kCount];
    for (int i = 0; i < kCount; ++i)
    {
        values[i] = i;
        CString key;
        key.Format("device-%d", i);
        map.SetAt(key, &values[i]);
    }
    EXPECT_EQ(kCount, map.GetCount());
    // The table grew with the entries: chains stay short.
    EXPECT_GE(map.GetHashTableSize(), kCount / 2);

    for (int i = 0; i < kCount; i += 997)
    {
        CString key;
        key.Format("device-%d", i);
        void* p = NULL;
        ASSERT_TRUE(map.Lookup(key, p)) << i;
        EXPECT_EQ(i, *(int*)p);
    }
    void* p = NULL;
    EXPECT_FALSE(map.Lookup("device-x", p));

    // Replacing keeps one entry per key.
    map.SetAt("device-5", &values[7]);
    EXPECT_EQ(kCount, map.GetCount());
    ASSERT_TRUE(map.Lookup("device-5", p));
    EXPECT_EQ(7, *(int*)p);

    for (int i = 0; i < kCount; i += 2)
    {
        CString key;
        key.Format("device-%d", i);
        ASSERT_TRUE(map.RemoveKey(key));
    }
    EXPECT_FALSE(map.RemoveKey("device-0"));
    EXPECT_EQ(kCount / 2, map.GetCount());

    std::set<std::string> seen;
    POSITION pos = map.GetStartPosition();
    while (pos)
    {
        CString key;
        void* value = NULL;
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.insert(std::string(key)).second) << "visited twice: " << key;
        EXPECT_EQ(1, *(int*)value % 2);
    }
    EXPECT_EQ((size_t)(kCount / 2), seen.size());

    map.RemoveAll();
    EXPECT_EQ(0, map.GetCount());
    EXPECT_EQ(NULL, map.GetStartPosition());
    map.SetAt("again", &values[1]);
    EXPECT_TRUE(map.Lookup("again", p));
}

// A reference to a value stays the entry's while the table grows around it
// (the Devices page keeps such references for the length of its load).
TEST(CMapStringToPtrTest, AValueReferenceOutlivesTheTablesGrowth)
{
    CMapStringToPtr map(10);
    static int before = 1, after = 2;
    void*& value = map["kept"];
    value = &before;
    for (int i = 0; i < 5000; ++i)
    {
        CString key;
        key.Format("device-%d", i);
        map.SetAt(key, NULL);
    }
    value = &after;
    void* p = NULL;
    ASSERT_TRUE(map.Lookup("kept", p));
    EXPECT_EQ(&after, p);
}

TEST(CMapStringToPtrTest, EmptyAndNullKeysAreTheSameKey)
{
    CMapStringToPtr map;
    int v = 3;
    map.SetAt(NULL, &v);
    void* p = NULL;
    ASSERT_TRUE(map.Lookup("", p));
    EXPECT_EQ(&v, p);
    EXPECT_EQ(1, map.GetCount());
}
