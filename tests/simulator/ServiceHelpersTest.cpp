// ServiceHelpersTest.cpp - the calling helpers of service/: AnsiFromBstr,
// BstrHolder and ComRef (release on Out, on destruction, in reverse order of
// declaration; QueryFrom).
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "service/BstrText.h"
#include "service/ComRef.h"

namespace {

// An IUnknown that records AddRef and Release calls under its name.
class Recorder : public IUnknown
{
public:
    Recorder(const char* name, std::vector<std::string>& log) : m_name(name), m_log(log), m_refs(1) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv)
    {
        if (!IsEqualIID(iid, IID_IUnknown)) {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef()
    {
        m_log.push_back(m_name + ".AddRef");
        return static_cast<ULONG>(++m_refs);
    }
    ULONG STDMETHODCALLTYPE Release()
    {
        m_log.push_back(m_name + ".Release");
        return static_cast<ULONG>(--m_refs);
    }
    long Refs() const { return m_refs; }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
    long m_refs;
};

} // namespace

TEST(ServiceHelpers, AnsiFromBstrOfNullEmptyAndPlainText)
{
    EXPECT_EQ("", AnsiFromBstr(NULL));
    BSTR empty = SysAllocString(L"");
    EXPECT_EQ("", AnsiFromBstr(empty));
    SysFreeString(empty);
    BSTR text = SysAllocString(L"Front Desk MFP 210");
    EXPECT_EQ("Front Desk MFP 210", AnsiFromBstr(text));
    EXPECT_EQ(18u, SysStringLen(text)) << "the BSTR is not freed or changed";
    SysFreeString(text);
}

TEST(ServiceHelpers, AnsiFromBstrOfAMegabyteString)
{
    const UINT length = 1024 * 1024;
    BSTR big = SysAllocStringLen(NULL, length);
    ASSERT_TRUE(big != NULL);
    for (UINT i = 0; i < length; ++i)
        big[i] = static_cast<wchar_t>(L'a' + i % 26);
    const std::string ansi = AnsiFromBstr(big);
    SysFreeString(big);
    ASSERT_EQ(static_cast<size_t>(length), ansi.size());
    EXPECT_EQ('a', ansi[0]);
    EXPECT_EQ(static_cast<char>('a' + (length - 1) % 26), ansi[length - 1]);
}

// The buffer variant, as a loop over many texts uses it: a shorter text
// after a longer one ends where it should, a null text reads as "", and a
// text past the buffer's first guess (a megabyte, measured) arrives whole.
TEST(ServiceHelpers, AnsiFromBstrIntoOneBufferForManyTexts)
{
    std::string buffer;
    BSTR longer = SysAllocString(L"Front Desk MFP 210");
    BSTR shorter = SysAllocString(L"Lab");
    BSTR accented = SysAllocString(L"K\u00fcche");
    EXPECT_STREQ("Front Desk MFP 210", AnsiFromBstr(longer, buffer));
    EXPECT_STREQ("Lab", AnsiFromBstr(shorter, buffer));
    EXPECT_STREQ("", AnsiFromBstr(NULL, buffer));
    EXPECT_EQ(AnsiFromBstr(accented), std::string(AnsiFromBstr(accented, buffer)));
    SysFreeString(longer);
    SysFreeString(shorter);
    SysFreeString(accented);

    const UINT length = 1024 * 1024;
    BSTR big = SysAllocStringLen(NULL, length);
    ASSERT_TRUE(big != NULL);
    for (UINT i = 0; i < length; ++i)
        big[i] = static_cast<wchar_t>(L'a' + i % 26);
    const std::string whole = AnsiFromBstr(big, buffer);
    SysFreeString(big);
    ASSERT_EQ(static_cast<size_t>(length), whole.size());
    EXPECT_EQ(static_cast<char>('a' + (length - 1) % 26), whole[length - 1]);
    EXPECT_GE(length + 2, buffer.size()) << "a long text's buffer is measured, not three times its length";
}

TEST(ServiceHelpers, AnsiFromBstrKeepsEmbeddedNulls)
{
    BSTR text = SysAllocStringLen(L"ab\0cd", 5);
    EXPECT_EQ(std::string("ab\0cd", 5), AnsiFromBstr(text));
    SysFreeString(text);
}

TEST(ServiceHelpers, BstrHolderFreesWhatItHolds)
{
    BstrHolder holder;
    EXPECT_TRUE(holder.Get() == NULL);
    EXPECT_EQ("", holder.Ansi());
    *holder.Out() = SysAllocString(L"first");
    EXPECT_EQ("first", holder.Ansi());
    BSTR* slot = holder.Out();
    EXPECT_TRUE(*slot == NULL) << "Out() frees the old string and leaves the slot null";
    *slot = SysAllocString(L"second");
    EXPECT_EQ("second", holder.Ansi());
    holder.Free();
    EXPECT_TRUE(holder.Get() == NULL);
}

TEST(ServiceHelpers, ComRefReleasesOnOutAndOnDestruction)
{
    std::vector<std::string> log;
    Recorder a("a", log);
    Recorder b("b", log);
    {
        ComRef<IUnknown> ref;
        EXPECT_FALSE(static_cast<bool>(ref));
        IUnknown** slot = ref.Out();
        ASSERT_TRUE(*slot == NULL);
        *slot = &a;                             // as a Get operation hands out a reference
        EXPECT_TRUE(static_cast<bool>(ref));
        EXPECT_EQ(&a, ref.Get());
        *ref.Out() = &b;
        EXPECT_EQ(0, a.Refs()) << "Out() released the pointer held before";
        EXPECT_EQ(1, b.Refs());
    }
    EXPECT_EQ(0, b.Refs()) << "the destructor released";
    EXPECT_EQ((std::vector<std::string>{ "a.Release", "b.Release" }), log);
}

TEST(ServiceHelpers, ComRefQueryFromAndReleaseOrder)
{
    std::vector<std::string> log;
    Recorder object("object", log);
    {
        ComRef<IUnknown> objectRef;
        *objectRef.Out() = &object;
        ComRef<IUnknown> queried;
        EXPECT_EQ(E_POINTER, queried.QueryFrom(NULL, IID_IUnknown));
        EXPECT_FALSE(static_cast<bool>(queried));
        EXPECT_EQ(E_NOINTERFACE, queried.QueryFrom(objectRef.Get(), IID_IDispatch));
        EXPECT_FALSE(static_cast<bool>(queried));
        EXPECT_EQ(S_OK, queried.QueryFrom(objectRef.Get(), IID_IUnknown));
        EXPECT_EQ(2, object.Refs());
        log.clear();
        log.push_back("scope ends");
    }
    // Declared second, the queried holder is destroyed (and releases) first.
    EXPECT_EQ((std::vector<std::string>{ "scope ends", "object.Release", "object.Release" }), log);
    EXPECT_EQ(0, object.Refs());

    ComRef<IUnknown> ref;
    *ref.Out() = &object;
    object.AddRef();
    ref.Release();
    EXPECT_FALSE(static_cast<bool>(ref));
    ref.Release();  // a second Release of an empty holder does nothing
    EXPECT_EQ(0, object.Refs());
}
