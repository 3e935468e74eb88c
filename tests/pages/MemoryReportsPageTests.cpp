// MemoryReportsPageTests.cpp - the device memory page and the reports page,
// each in a real sheet, driven by window messages against the recording fake
// device service.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeDeviceService.h"
#include "pages/DeviceMemoryPage.h"
#include "pages/ReportsPage.h"
#include "support/PageHarness.h"
#include "support/WinTestUtil.h"

using fake::FakeDeviceService;
using testutil::LoadText;
using testutil::MessageBoxRecorder;
using testutil::PageHarness;

namespace
{

typedef std::vector<std::string> Log;

// String nID of the resource module formatted printf-style.
template <class... Args>
std::string Formatted(UINT nID, Args... args)
{
    CString text;
    text.Format(LoadText(nID).c_str(), args...);
    return text.GetString();
}

std::pair<int, int> Selection(HWND hEdit)
{
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(hEdit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return std::make_pair((int)start, (int)end);
}

// Common checks of every test: the page window gone, every object the fake
// handed out released exactly, no call the pages should never make.
template <class TPage>
void CloseAndCheckReferences(PageHarness<TPage>& h, FakeDeviceService& service)
{
    h.Destroy();
    EXPECT_EQ(0, service.LiveObjects()) << ::testing::PrintToString(service.LiveObjectLabels());
    EXPECT_FALSE(service.OverReleased()) << ::testing::PrintToString(service.OverReleases());
    EXPECT_TRUE(service.Unexpected().empty()) << ::testing::PrintToString(service.Unexpected());
    EXPECT_TRUE(service.ScriptProblems().empty()) << ::testing::PrintToString(service.ScriptProblems());
}

} // namespace

// ===========================================================================
// Device memory page
// ===========================================================================

class MemoryPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        service.currentIdentity = 5;
        service.memory[12].value = 345;
        service.memory[12].defaultValue = 100;
        service.memory[320].value = 7;
    }
    void Open(IDeviceService* pService)
    {
        h.reset(new PageHarness<CDeviceMemoryPage>(pService));
    }
    void Open() { Open(&service); }
    void TearDown() override
    {
        if (h)
            CloseAndCheckReferences(*h, service);
        h.reset();
    }

    // A button pressed with the mouse: it takes the focus, then clicks.
    void Press(int nID)
    {
        h->Focus(nID);
        h->Click(nID);
    }
    // Types a location and reads it: the page is in "edit value" afterwards
    // when the location exists.
    void ReadLocation(const char* location)
    {
        h->Focus(IDC_MEM_LOCATION);
        h->SetText(IDC_MEM_LOCATION, location);
        Press(IDC_MEM_READ);
    }
    bool HasFocus(int nID) const { return ::GetFocus() == h->Item(nID); }
    // The "choose location" state as the user sees it.
    void ExpectChooseLocation()
    {
        EXPECT_FALSE(h->Enabled(IDC_MEM_NEW_VALUE));
        EXPECT_FALSE(h->Enabled(IDC_MEM_WRITE));
        EXPECT_FALSE(h->Enabled(IDC_MEM_RESTORE_DEFAULT));
        EXPECT_TRUE(HasFocus(IDC_MEM_LOCATION));
        EXPECT_EQ("0", h->Text(IDC_MEM_CURRENT_VALUE));
        EXPECT_EQ("0", h->Text(IDC_MEM_DEFAULT_VALUE));
        EXPECT_EQ("0", h->Text(IDC_MEM_NEW_VALUE));
    }

    MessageBoxRecorder boxes;
    FakeDeviceService service;
    std::unique_ptr<PageHarness<CDeviceMemoryPage>> h;
};

TEST_F(MemoryPage, StartsChoosingALocationWithItsTextsSet)
{
    Open();
    EXPECT_EQ(LoadText(IDS_MEMORY_PAGE), testutil::WindowText(h->Page()));
    EXPECT_EQ(LoadText(IDS_MEM_GROUP), h->Text(IDC_MEM_GROUP));
    EXPECT_EQ(LoadText(IDS_MEM_DEFAULT_LABEL), h->Text(IDC_MEM_DEFAULT_LABEL));
    EXPECT_EQ(LoadText(IDS_MEM_READ), h->Text(IDC_MEM_READ));
    EXPECT_EQ(LoadText(IDS_MEM_WRITE), h->Text(IDC_MEM_WRITE));
    EXPECT_EQ(LoadText(IDS_MEM_RESTORE_DEFAULT), h->Text(IDC_MEM_RESTORE_DEFAULT));
    EXPECT_EQ(LoadText(IDS_MEM_REPORT), h->Text(IDC_MEM_REPORT));
    EXPECT_EQ(LoadText(IDS_MEM_REPORT_LABEL), h->Text(IDC_MEM_REPORT_LABEL));

    ExpectChooseLocation();
    EXPECT_TRUE(h->Enabled(IDC_MEM_READ));
    EXPECT_EQ("0", h->Text(IDC_MEM_LOCATION));
    EXPECT_EQ("", h->Text(IDC_MEM_STATUS));
    // Opening the page only asks which device is current.
    EXPECT_EQ((Log{ "GetCurrentDevice" }), service.Calls());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MemoryPage, LocationOutsideTheRangeDisablesReadAndTellsOncePerChange)
{
    Open();
    h->SetText(IDC_MEM_LOCATION, "320");
    EXPECT_TRUE(h->Enabled(IDC_MEM_READ));
    EXPECT_TRUE(boxes.boxes.empty());

    h->SetText(IDC_MEM_LOCATION, "321");
    EXPECT_FALSE(h->Enabled(IDC_MEM_READ));
    ASSERT_EQ(1u, boxes.boxes.size());
    CString expected;
    expected.FormatMessage(LoadText(IDS_MEM_RANGE_TEXT).c_str(), 0, 320);
    EXPECT_EQ(expected.GetString(), boxes.boxes[0].text);
    EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("320"));
    EXPECT_EQ(LoadText(IDS_MEM_RANGE_CAPTION), boxes.boxes[0].caption);
    EXPECT_EQ((UINT)(MB_ICONINFORMATION | MB_OK), boxes.boxes[0].type);
    EXPECT_EQ(nullptr, boxes.boxes[0].hOwner);

    h->SetText(IDC_MEM_LOCATION, "-1");
    EXPECT_FALSE(h->Enabled(IDC_MEM_READ));
    EXPECT_EQ(2u, boxes.boxes.size());

    // Entering "choose location" again keeps Read off while out of range.
    h->Focus(IDC_MEM_REPORT);
    h->Focus(IDC_MEM_LOCATION);
    EXPECT_FALSE(h->Enabled(IDC_MEM_READ));
    EXPECT_EQ(2u, boxes.boxes.size());

    h->SetText(IDC_MEM_LOCATION, "0");
    EXPECT_TRUE(h->Enabled(IDC_MEM_READ));
    EXPECT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ(0, service.CountOf("GetSettings"));
}

TEST_F(MemoryPage, EmptiedFieldsReadZeroSelected)
{
    Open();
    h->Focus(IDC_MEM_LOCATION);
    h->SetText(IDC_MEM_LOCATION, "321");
    ASSERT_FALSE(h->Enabled(IDC_MEM_READ));
    h->SetText(IDC_MEM_LOCATION, "");
    EXPECT_EQ("0", h->Text(IDC_MEM_LOCATION));
    EXPECT_EQ(std::make_pair(0, 1), Selection(h->Item(IDC_MEM_LOCATION)));
    EXPECT_TRUE(h->Enabled(IDC_MEM_READ));

    // The next digit typed replaces the selected 0.
    ::SendMessageA(h->Item(IDC_MEM_LOCATION), WM_CHAR, '7', 1);
    testutil::Pump();
    EXPECT_EQ("7", h->Text(IDC_MEM_LOCATION));

    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "55");
    h->SetText(IDC_MEM_NEW_VALUE, "");
    EXPECT_EQ("0", h->Text(IDC_MEM_NEW_VALUE));
    EXPECT_EQ(std::make_pair(0, 1), Selection(h->Item(IDC_MEM_NEW_VALUE)));
}

TEST_F(MemoryPage, ValueInRangeArmsWriteAndAValueOutsideDisarmsItAndTellsOncePerChange)
{
    Open();
    // In "choose location" Write is off and the current value is 0.
    ASSERT_FALSE(h->Enabled(IDC_MEM_WRITE));
    h->SetText(IDC_MEM_NEW_VALUE, "0");   // the current value: nothing to write
    EXPECT_FALSE(h->Enabled(IDC_MEM_WRITE));
    h->SetText(IDC_MEM_NEW_VALUE, "65535");
    EXPECT_TRUE(h->Enabled(IDC_MEM_WRITE));
    h->SetText(IDC_MEM_NEW_VALUE, "0");   // back to the current value: Write stays armed
    EXPECT_TRUE(h->Enabled(IDC_MEM_WRITE));
    EXPECT_TRUE(boxes.boxes.empty());

    // Outside 0 to 65535, as an out-of-range location: Write off, one box per change.
    h->SetText(IDC_MEM_NEW_VALUE, "65536");
    EXPECT_FALSE(h->Enabled(IDC_MEM_WRITE));
    ASSERT_EQ(1u, boxes.boxes.size());
    CString expected;
    expected.FormatMessage(LoadText(IDS_MEM_VALUE_RANGE_TEXT).c_str(), 0, 65535);
    EXPECT_EQ(expected.GetString(), boxes.boxes[0].text);
    EXPECT_EQ(LoadText(IDS_MEM_VALUE_RANGE_CAPTION), boxes.boxes[0].caption);
    EXPECT_EQ((UINT)(MB_ICONINFORMATION | MB_OK), boxes.boxes[0].type);
    h->SetText(IDC_MEM_NEW_VALUE, "-1");
    EXPECT_FALSE(h->Enabled(IDC_MEM_WRITE));
    EXPECT_EQ(2u, boxes.boxes.size());
    h->SetText(IDC_MEM_NEW_VALUE, "17");
    EXPECT_TRUE(h->Enabled(IDC_MEM_WRITE));
    EXPECT_EQ(2u, boxes.boxes.size());
}

TEST_F(MemoryPage, NeitherAValueOutsideTheRangeNorAFieldThatDoesNotParseIsWritten)
{
    // A default the location cannot hold: Restore default tells the range
    // and writes nothing.
    service.memory[12].defaultValue = 70000;
    Open();
    ReadLocation("12");
    service.ClearCalls();
    Press(IDC_MEM_RESTORE_DEFAULT);
    EXPECT_EQ(0, service.CountOf("IServiceMemory.WriteValue")) << service.EventsText();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(LoadText(IDS_MEM_VALUE_RANGE_CAPTION), boxes.boxes[0].caption);
    EXPECT_EQ(345, service.memory[12].value);
    EXPECT_FALSE(h->Enabled(IDC_MEM_WRITE));

    // Pasted text that is no number: the prompt, and the value held before
    // (500) is not written either.
    boxes.boxes.clear();
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "500");
    h->SetText(IDC_MEM_NEW_VALUE, "5x");
    ASSERT_EQ(1u, boxes.boxes.size());
    service.ClearCalls();
    Press(IDC_MEM_WRITE);
    EXPECT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ(LoadText(AFX_IDP_PARSE_INT), boxes.boxes[1].text);
    EXPECT_EQ(0, service.CountOf("IServiceMemory.WriteValue")) << service.EventsText();
    EXPECT_EQ(345, service.memory[12].value);
    EXPECT_TRUE(HasFocus(IDC_MEM_NEW_VALUE));
    EXPECT_EQ("", h->Text(IDC_MEM_STATUS));
}

TEST_F(MemoryPage, ReadOfAMissingLocationSaysSoAndGoesBackToTheLocation)
{
    service.memory[14].valid = 2;   // only exactly 1 counts as available
    Open();
    ReadLocation("13");
    EXPECT_EQ(Formatted(IDS_MEM_NOT_AVAILABLE, 13L), h->Text(IDC_MEM_STATUS));
    EXPECT_NE(std::string::npos, h->Text(IDC_MEM_STATUS).find("13"));
    ExpectChooseLocation();
    EXPECT_EQ("13", h->Text(IDC_MEM_LOCATION));
    EXPECT_EQ((Log{ "GetCurrentDevice", "GetSettings(1)", "QueryInterface Settings(1).IServiceMemory",
                    "IServiceMemory.IsValidLocation(13)", "Release Settings(1).IServiceMemory -> 1",
                    "Release Settings(1).IUnknown -> 0" }),
              service.Events());

    ReadLocation("14");
    EXPECT_EQ(Formatted(IDS_MEM_NOT_AVAILABLE, 14L), h->Text(IDC_MEM_STATUS));
    ExpectChooseLocation();

    // A failed call counts as "not available" even when it wrote a 1.
    service.fail["IsValidLocation"] = E_FAIL;
    ReadLocation("12");
    EXPECT_EQ(Formatted(IDS_MEM_NOT_AVAILABLE, 12L), h->Text(IDC_MEM_STATUS));
    ExpectChooseLocation();
    EXPECT_EQ(0, service.CountOf("IServiceMemory.ReadValue"));
}

TEST_F(MemoryPage, ReadShowsCurrentAndDefaultAndOffersTheValue)
{
    Open();
    h->SetText(IDC_MEM_STATUS, "old status");
    service.ClearCalls();
    ReadLocation("12");
    EXPECT_EQ("345", h->Text(IDC_MEM_CURRENT_VALUE));
    EXPECT_EQ("100", h->Text(IDC_MEM_DEFAULT_VALUE));
    EXPECT_EQ("", h->Text(IDC_MEM_STATUS));
    EXPECT_EQ("0", h->Text(IDC_MEM_NEW_VALUE));
    EXPECT_EQ(std::make_pair(0, 1), Selection(h->Item(IDC_MEM_NEW_VALUE)));
    EXPECT_TRUE(HasFocus(IDC_MEM_NEW_VALUE));
    EXPECT_TRUE(h->Enabled(IDC_MEM_NEW_VALUE));
    EXPECT_TRUE(h->Enabled(IDC_MEM_WRITE));
    EXPECT_TRUE(h->Enabled(IDC_MEM_RESTORE_DEFAULT));
    // The current value is read in an exchange of its own, nested in Read's.
    EXPECT_EQ((Log{ "GetSettings(1)", "QueryInterface Settings(1).IServiceMemory",
                    "IServiceMemory.IsValidLocation(12)", "GetSettings(1)",
                    "QueryInterface Settings(1).IServiceMemory", "IServiceMemory.ReadValue(12)",
                    "Release Settings(1).IServiceMemory -> 1", "Release Settings(1).IUnknown -> 0",
                    "IServiceMemory.GetDefaultValue(12)", "Release Settings(1).IServiceMemory -> 1",
                    "Release Settings(1).IUnknown -> 0" }),
              service.Events());

    // Location 320, the highest, reads as well.
    ReadLocation("320");
    EXPECT_EQ("7", h->Text(IDC_MEM_CURRENT_VALUE));
}

TEST_F(MemoryPage, ValuesAreCoercedToIntegersAndUncoercibleOnesReadAsZero)
{
    struct Case
    {
        VARTYPE type;
        long stored;
        const char* shown;
    };
    const Case cases[] = {
        // The fake puts the number into the 32-bit field whatever the tag;
        // only the tag's own field counts.
        { VT_BSTR, 123, "123" },               // decimal text
        { VT_I2, 70000, "4464" },              // the low 16 bits are the I2
        { VT_UI1, 345, "89" },                 // the low 8 bits are the UI1
        { VT_EMPTY, 345, "0" },                // nothing read, whatever the field holds
        { VT_NULL, 345, "0" },
        { VT_ERROR, 345, "0" },                // an error code is no number
        { VT_DISPATCH, 345, "0" },             // a null object
        { VT_BYREF | VT_I4, 345, "0" },        // a null reference
        { VT_I4, 2147483647L, "2147483647" },
        { VT_I4, -2147483647L - 1, "-2147483648" },
    };
    Open();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.type);
        service.memoryType = c.type;
        service.memory[12].value = c.stored;
        service.memory[12].defaultValue = c.stored;
        ReadLocation("12");
        EXPECT_EQ(c.shown, h->Text(IDC_MEM_CURRENT_VALUE));
        EXPECT_EQ(c.shown, h->Text(IDC_MEM_DEFAULT_VALUE));
    }

    // A default value call that fails and leaves the VARIANT empty reads 0;
    // one that fails but filled it in is taken as it is.
    service.memoryType = VT_I4;
    service.memory[12].value = 345;
    service.memory[12].defaultValue = 100;
    service.fail["GetDefaultValue"] = E_FAIL;
    ReadLocation("12");
    EXPECT_EQ("100", h->Text(IDC_MEM_DEFAULT_VALUE));
    service.untouched.insert("GetDefaultValue");
    ReadLocation("12");
    EXPECT_EQ("0", h->Text(IDC_MEM_DEFAULT_VALUE));
    // A failed ReadValue is nothing read, even with a value in the VARIANT.
    service.fail["ReadValue"] = E_FAIL;
    ReadLocation("12");
    EXPECT_EQ("0", h->Text(IDC_MEM_CURRENT_VALUE));
    EXPECT_TRUE(h->Enabled(IDC_MEM_NEW_VALUE));
}

TEST_F(MemoryPage, WritingTheCurrentValueSendsNothing)
{
    Open();
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "345");
    EXPECT_TRUE(h->Enabled(IDC_MEM_WRITE));   // armed by Read
    service.ClearCalls();
    Press(IDC_MEM_WRITE);
    EXPECT_EQ(Formatted(IDS_MEM_UNCHANGED, 12L, 12L), h->Text(IDC_MEM_STATUS));
    EXPECT_TRUE(service.Calls().empty());
    EXPECT_TRUE(HasFocus(IDC_MEM_NEW_VALUE));
    EXPECT_EQ(std::make_pair(0, 3), Selection(h->Item(IDC_MEM_NEW_VALUE)));
    EXPECT_TRUE(h->Enabled(IDC_MEM_NEW_VALUE));
    EXPECT_EQ("345", h->Text(IDC_MEM_CURRENT_VALUE));
}

TEST_F(MemoryPage, WriteIsVerifiedByReadingBack)
{
    Open();
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "500");
    service.ClearCalls();
    Press(IDC_MEM_WRITE);
    EXPECT_EQ(Formatted(IDS_MEM_WRITTEN, 12L, 500L), h->Text(IDC_MEM_STATUS));
    EXPECT_EQ(500, service.memory[12].value);
    EXPECT_EQ((Log{ "GetSettings(1)", "IServiceMemory.WriteValue(12,VT_I4:500)", "GetSettings(1)",
                    "IServiceMemory.ReadValue(12)" }),
              service.Calls());
    EXPECT_EQ(0, service.LiveObjects());
    ExpectChooseLocation();
    EXPECT_EQ("12", h->Text(IDC_MEM_LOCATION));
}

TEST_F(MemoryPage, WriteThatDoesNotReadBackSaysItFailed)
{
    Open();
    // First a verified write, so that the status line says "written".
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "500");
    Press(IDC_MEM_WRITE);
    ASSERT_EQ(Formatted(IDS_MEM_WRITTEN, 12L, 500L), h->Text(IDC_MEM_STATUS));

    // Read back as another value: the old "written" must not stay.
    service.readBackAfterWrite = 777;
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "600");
    Press(IDC_MEM_WRITE);
    EXPECT_EQ(Formatted(IDS_MEM_WRITE_FAILED, 12L), h->Text(IDC_MEM_STATUS));
    ExpectChooseLocation();

    // Read back as 0.
    service.readBackAfterWrite = 0;
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "700");
    Press(IDC_MEM_WRITE);
    EXPECT_EQ(Formatted(IDS_MEM_WRITE_FAILED, 12L), h->Text(IDC_MEM_STATUS));

    // Refused by the service: no read-back at all.
    service.readBackAfterWrite.reset();
    service.fail["WriteValue"] = E_FAIL;
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "800");
    h->SetText(IDC_MEM_STATUS, "");
    service.ClearCalls();
    Press(IDC_MEM_WRITE);
    EXPECT_EQ(Formatted(IDS_MEM_WRITE_FAILED, 12L), h->Text(IDC_MEM_STATUS));
    EXPECT_EQ((Log{ "GetSettings(1)", "IServiceMemory.WriteValue(12,VT_I4:800)" }), service.Calls());
    ExpectChooseLocation();
}

TEST_F(MemoryPage, RestoreDefaultWritesTheDefaultUnlessItIsCurrent)
{
    Open();
    ReadLocation("12");
    service.ClearCalls();
    Press(IDC_MEM_RESTORE_DEFAULT);
    EXPECT_EQ(1, service.CountOf("IServiceMemory.WriteValue(12,VT_I4:100)"));
    EXPECT_EQ(100, service.memory[12].value);
    EXPECT_EQ(Formatted(IDS_MEM_WRITTEN, 12L, 100L), h->Text(IDC_MEM_STATUS));
    ExpectChooseLocation();

    // Now the default is the current value: nothing is written.
    ReadLocation("12");
    service.ClearCalls();
    Press(IDC_MEM_RESTORE_DEFAULT);
    EXPECT_EQ(Formatted(IDS_MEM_UNCHANGED, 12L, 12L), h->Text(IDC_MEM_STATUS));
    EXPECT_EQ(0, service.CountOf("IServiceMemory.WriteValue"));
    EXPECT_EQ("100", h->Text(IDC_MEM_NEW_VALUE));
    EXPECT_TRUE(HasFocus(IDC_MEM_NEW_VALUE));
}

TEST_F(MemoryPage, ReportCommandKeepsTheStateItFinds)
{
    Open();
    ReadLocation("12");
    h->SetText(IDC_MEM_NEW_VALUE, "42");
    service.ClearCalls();
    Press(IDC_MEM_REPORT);
    EXPECT_EQ((Log{ "GetReport(2)", "QueryInterface Report(2).IServiceReport", "IServiceReport.Execute(0)",
                    "Release Report(2).IServiceReport -> 1", "Release Report(2).IUnknown -> 0" }),
              service.Events());
    EXPECT_TRUE(HasFocus(IDC_MEM_NEW_VALUE));
    EXPECT_TRUE(h->Enabled(IDC_MEM_NEW_VALUE));
    EXPECT_EQ("42", h->Text(IDC_MEM_NEW_VALUE));
    EXPECT_EQ("345", h->Text(IDC_MEM_CURRENT_VALUE));

    // From "choose location" the focus goes back to the location.
    Press(IDC_MEM_WRITE);
    Press(IDC_MEM_REPORT);
    EXPECT_TRUE(HasFocus(IDC_MEM_LOCATION));
    EXPECT_EQ(2, service.CountOf("IServiceReport.Execute(0)"));
}

TEST_F(MemoryPage, AnotherCurrentDeviceResetsTheLocation)
{
    Open();
    h->SetText(IDC_MEM_LOCATION, "12");
    h->SwitchAwayAndBack();
    EXPECT_EQ("12", h->Text(IDC_MEM_LOCATION));
    service.currentIdentity = 6;
    h->SwitchAwayAndBack();
    EXPECT_EQ("0", h->Text(IDC_MEM_LOCATION));
    // A failing GetCurrentDevice is no change.
    h->SetText(IDC_MEM_LOCATION, "12");
    service.currentIdentity = 7;
    service.fail["GetCurrentDevice"] = E_FAIL;
    h->SwitchAwayAndBack();
    EXPECT_EQ("12", h->Text(IDC_MEM_LOCATION));
    EXPECT_EQ(4, service.CountOf("GetCurrentDevice"));
}

TEST_F(MemoryPage, FirstActivationWithAnIdentityResetsToZero)
{
    // The first activation counts as a change unless the identity is 0; with
    // an identity the location is pushed as 0 too, so the field shows "0".
    service.currentIdentity = 0;
    Open();
    EXPECT_EQ("0", h->Text(IDC_MEM_LOCATION));
    h->SetText(IDC_MEM_LOCATION, "12");
    service.currentIdentity = 9;
    h->SwitchAwayAndBack();
    EXPECT_EQ("0", h->Text(IDC_MEM_LOCATION));
}

TEST_F(MemoryPage, TextThatIsNoNumberPromptsAndTheHandlerGoesOn)
{
    Open();
    h->SetText(IDC_MEM_LOCATION, "12");
    ASSERT_TRUE(boxes.boxes.empty());
    h->SetText(IDC_MEM_LOCATION, "1x");
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, boxes.boxes[0].type & MB_ICONMASK);
    EXPECT_TRUE(HasFocus(IDC_MEM_LOCATION));
    // The location held stays 12, which is in range.
    EXPECT_TRUE(h->Enabled(IDC_MEM_READ));
}

TEST_F(MemoryPage, MissingServiceOrInterfaceDoesNothingButMoveTheFocus)
{
    service.Refuse(IID_IServiceMemory);
    Open();
    ReadLocation("12");
    EXPECT_EQ("", h->Text(IDC_MEM_STATUS));
    EXPECT_FALSE(h->Enabled(IDC_MEM_NEW_VALUE));
    EXPECT_EQ(0, service.CountOf("IServiceMemory"));
    EXPECT_EQ(1, service.CountOf("GetSettings(1)"));

    service.refuse.clear();
    service.fail["GetSettings"] = E_FAIL;
    service.objectOnFailure.insert("GetSettings");   // a failing call that still hands out an object
    ReadLocation("12");
    EXPECT_FALSE(h->Enabled(IDC_MEM_NEW_VALUE));
    EXPECT_EQ(0, service.LiveObjects());

    service.fail.clear();
    service.objectOnFailure.clear();
    service.fail["GetReport"] = E_FAIL;
    Press(IDC_MEM_REPORT);
    EXPECT_EQ(0, service.CountOf("IServiceReport"));
    EXPECT_TRUE(HasFocus(IDC_MEM_LOCATION));
}

TEST(MemoryPageNoService, ReadAndReportDoNothing)
{
    MessageBoxRecorder boxes;
    PageHarness<CDeviceMemoryPage> h(nullptr);
    h.Focus(IDC_MEM_LOCATION);
    h.SetText(IDC_MEM_LOCATION, "12");
    h.Focus(IDC_MEM_READ);
    h.Click(IDC_MEM_READ);
    EXPECT_FALSE(h.Enabled(IDC_MEM_NEW_VALUE));
    EXPECT_EQ("", h.Text(IDC_MEM_STATUS));
    EXPECT_EQ(::GetFocus(), h.Item(IDC_MEM_READ));
    h.Click(IDC_MEM_REPORT);
    EXPECT_EQ(::GetFocus(), h.Item(IDC_MEM_LOCATION));
    EXPECT_TRUE(boxes.boxes.empty());
}

// ===========================================================================
// Reports page
// ===========================================================================

class ReportsPage : public ::testing::Test
{
protected:
    void Open(IDeviceService* pService)
    {
        h.reset(new PageHarness<CReportsPage>(pService));
    }
    void Open() { Open(&service); }
    void TearDown() override
    {
        if (h)
            CloseAndCheckReferences(*h, service);
        h.reset();
    }
    // The report numbers the page asked the service for, in order.
    std::vector<std::string> ReportRequests() const { return service.CallsMatching("GetReport("); }
    std::string LastReportRequest() const
    {
        std::vector<std::string> all = ReportRequests();
        return all.empty() ? std::string() : all.back();
    }
    // The full query of the two availabilities for report n.
    static Log QueryOf(long n)
    {
        std::string label = "Report(" + std::to_string(n) + ")";
        return Log{ "GetReport(" + std::to_string(n) + ")", "QueryInterface " + label + ".IServiceReport",
                    "IServiceReport.CanExecute", "IServiceReport.CanExecuteAlternate",
                    "Release " + label + ".IServiceReport -> 1", "Release " + label + ".IUnknown -> 0" };
    }

    MessageBoxRecorder boxes;
    FakeDeviceService service;
    std::unique_ptr<PageHarness<CReportsPage>> h;
};

TEST_F(ReportsPage, FirstActivationWithoutADeviceChoosesNothing)
{
    service.currentIdentity = 0;
    service.reports[1] = { 1, 1 };
    Open();
    EXPECT_EQ(LoadText(IDS_REPORTS_PAGE), testutil::WindowText(h->Page()));
    EXPECT_EQ(LoadText(IDS_REPORT_GROUP1), h->Text(IDC_REPORT_GROUP1));
    EXPECT_EQ(LoadText(IDS_REPORT_11), h->Text(IDC_REPORT_11));
    EXPECT_EQ(LoadText(IDS_REPORT_6), h->Text(IDC_REPORT_6));
    EXPECT_EQ(LoadText(IDS_REPORT_EXECUTE), h->Text(IDC_REPORT_EXECUTE));
    EXPECT_EQ(LoadText(IDS_REPORT_EXECUTE_ALTERNATE), h->Text(IDC_REPORT_EXECUTE_ALTERNATE));
    EXPECT_FALSE(h->Text(IDC_REPORT_5).empty());   // the template's own text

    EXPECT_EQ((Log{ "GetCurrentDevice" }), service.Events());
    EXPECT_TRUE(h->Checked(IDC_REPORT_1));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT11_OPTION));
    EXPECT_FALSE(h->Enabled(IDC_REPORT8_VARIANT));
    EXPECT_FALSE(h->Visible(IDC_REPORT8_VARIANT));
    EXPECT_FALSE(h->Checked(IDC_REPORT11_OPTION));

    // Clicking the first choice chooses report 1.
    h->Click(IDC_REPORT_1);
    EXPECT_EQ(QueryOf(1), Log(service.Events().begin() + 1, service.Events().end()));
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ReportsPage, FirstActivationWithADeviceChoosesReport1)
{
    service.currentIdentity = 3;
    service.reports[1] = { 1, 0 };
    Open();
    Log expected{ "GetCurrentDevice" };
    Log query = QueryOf(1);
    expected.insert(expected.end(), query.begin(), query.end());
    EXPECT_EQ(expected, service.Events());
    EXPECT_TRUE(h->Checked(IDC_REPORT_1));
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT11_OPTION));
}

TEST_F(ReportsPage, EachChoiceAsksForItsReportAndTheButtonsFollow)
{
    struct Choice
    {
        int nID;
        long report;
    };
    const Choice choices[] = {
        { IDC_REPORT_1, 1 }, { IDC_REPORT_2, 2 }, { IDC_REPORT_3, 3 }, { IDC_REPORT_4, 4 },  { IDC_REPORT_5, 5 },
        { IDC_REPORT_6, 6 }, { IDC_REPORT_7, 7 }, { IDC_REPORT_8, 8 }, { IDC_REPORT_11, 11 },
    };
    for (const Choice& c : choices)
        service.reports[c.report] = { c.report % 2, (c.report / 2) % 2 };
    service.currentIdentity = 0;
    Open();
    for (const Choice& c : choices)
    {
        SCOPED_TRACE(c.report);
        service.ClearCalls();
        h->Click(c.nID);
        EXPECT_TRUE(h->Checked(c.nID));
        EXPECT_EQ(QueryOf(c.report), service.Events());
        EXPECT_EQ(c.report % 2 != 0, h->Enabled(IDC_REPORT_EXECUTE));
        EXPECT_EQ((c.report / 2) % 2 != 0, h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));
        EXPECT_EQ(c.report == 11, h->Enabled(IDC_REPORT11_OPTION));
        EXPECT_EQ(c.report == 8, h->Enabled(IDC_REPORT8_VARIANT));
    }
    EXPECT_EQ(0, service.CountOf("IServiceReportOption"));
}

TEST_F(ReportsPage, HiddenVariantBoxChoosesReport9)
{
    service.reports[8] = { 1, 0 };
    service.reports[9] = { 0, 1 };
    Open();
    h->Click(IDC_REPORT_8);
    EXPECT_TRUE(h->Enabled(IDC_REPORT8_VARIANT));
    EXPECT_FALSE(h->Visible(IDC_REPORT8_VARIANT));
    h->Click(IDC_REPORT8_VARIANT);
    EXPECT_TRUE(h->Checked(IDC_REPORT8_VARIANT));
    EXPECT_EQ("GetReport(9)", LastReportRequest());
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));

    service.ClearCalls();
    h->Click(IDC_REPORT_EXECUTE_ALTERNATE);
    EXPECT_EQ((Log{ "GetReport(9)", "IServiceReport.ExecuteAlternate(0)" }), service.Calls());

    h->Click(IDC_REPORT8_VARIANT);
    EXPECT_FALSE(h->Checked(IDC_REPORT8_VARIANT));
    EXPECT_EQ("GetReport(8)", LastReportRequest());
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));
}

TEST_F(ReportsPage, OptionOfReport11IsSentAndTheButtonsRequeried)
{
    service.reports[11] = { 1, 1 };
    Open();
    h->Click(IDC_REPORT_11);
    ASSERT_TRUE(h->Enabled(IDC_REPORT11_OPTION));

    service.ClearCalls();
    h->Click(IDC_REPORT11_OPTION);
    EXPECT_TRUE(h->Checked(IDC_REPORT11_OPTION));
    Log expected{ "GetReport(11)", "QueryInterface Report(11).IServiceReportOption",
                  "IServiceReportOption.SetReportOption(1)", "Release Report(11).IServiceReportOption -> 1",
                  "Release Report(11).IUnknown -> 0" };
    Log query = QueryOf(11);
    expected.insert(expected.end(), query.begin(), query.end());
    EXPECT_EQ(expected, service.Events());
    EXPECT_EQ(1, service.reportOptions[11]);

    h->Click(IDC_REPORT11_OPTION);
    EXPECT_FALSE(h->Checked(IDC_REPORT11_OPTION));
    EXPECT_EQ(0, service.reportOptions[11]);
    EXPECT_EQ(1, service.CountOf("IServiceReportOption.SetReportOption(0)"));

    // Another report disables the box and leaves its state alone.
    h->Click(IDC_REPORT11_OPTION);
    h->Click(IDC_REPORT_2);
    EXPECT_FALSE(h->Enabled(IDC_REPORT11_OPTION));
    EXPECT_TRUE(h->Checked(IDC_REPORT11_OPTION));

    // A refused option interface sends nothing but still re-queries.
    service.refuse.insert("Report(11).IServiceReportOption");
    h->Click(IDC_REPORT_11);
    service.ClearCalls();
    h->Click(IDC_REPORT11_OPTION);
    EXPECT_EQ(0, service.CountOf("IServiceReportOption"));
    EXPECT_EQ(2, service.CountOf("GetReport(11)"));
    EXPECT_EQ(1, service.CountOf("IServiceReport.CanExecuteAlternate"));
}

TEST_F(ReportsPage, CommandsRunWithZeroAndDoNotRequery)
{
    service.reports[3] = { 1, 1 };
    Open();
    h->Click(IDC_REPORT_3);
    service.ClearCalls();
    h->Click(IDC_REPORT_EXECUTE);
    EXPECT_EQ((Log{ "GetReport(3)", "QueryInterface Report(3).IServiceReport", "IServiceReport.Execute(0)",
                    "Release Report(3).IServiceReport -> 1", "Release Report(3).IUnknown -> 0" }),
              service.Events());
    service.ClearCalls();
    h->Click(IDC_REPORT_EXECUTE_ALTERNATE);
    EXPECT_EQ((Log{ "GetReport(3)", "IServiceReport.ExecuteAlternate(0)" }), service.Calls());

    // Results of the commands are not looked at; failures show nothing.
    service.fail["Execute"] = E_FAIL;
    h->Click(IDC_REPORT_EXECUTE);
    service.fail["GetReport"] = E_FAIL;
    service.objectOnFailure.insert("GetReport");
    h->Click(IDC_REPORT_EXECUTE);
    EXPECT_EQ(1, service.CountOf("IServiceReport.Execute(0)"));
    EXPECT_EQ(0, service.CountOf("IServiceReport.Can"));
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ReportsPage, UnavailableCommandsAndFailuresLeaveTheButtonsOff)
{
    service.reports[4] = { 0, 0 };
    service.reports[2] = { 1, 1 };
    Open();
    h->Click(IDC_REPORT_2);
    ASSERT_TRUE(h->Enabled(IDC_REPORT_EXECUTE));
    h->Click(IDC_REPORT_4);
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));

    // Refused interface: both off, nothing asked.
    h->Click(IDC_REPORT_2);
    service.Refuse(IID_IServiceReport);
    service.ClearCalls();
    h->Click(IDC_REPORT_2);
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));
    EXPECT_EQ(0, service.CountOf("IServiceReport.Can"));

    // Failing GetReport that still hands out an object: released, both off.
    service.refuse.clear();
    service.fail["GetReport"] = E_FAIL;
    service.objectOnFailure.insert("GetReport");
    h->Click(IDC_REPORT_2);
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_EQ(0, service.LiveObjects());

    // Availability calls that fail but write their flag: the flags count.
    service.fail.clear();
    service.objectOnFailure.clear();
    service.fail["CanExecute"] = E_FAIL;
    h->Click(IDC_REPORT_2);
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE));
    // ... and ones that write nothing leave their preset 0.
    service.untouched.insert("CanExecute");
    service.untouched.insert("CanExecuteAlternate");
    h->Click(IDC_REPORT_2);
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));
}

TEST_F(ReportsPage, ReturningKeepsEverythingUnlessTheDeviceChanged)
{
    service.currentIdentity = 3;
    service.reports[11] = { 0, 1 };
    service.reports[1] = { 1, 0 };
    Open();
    h->Click(IDC_REPORT_11);
    h->Click(IDC_REPORT11_OPTION);
    service.ClearCalls();

    h->SwitchAwayAndBack();
    EXPECT_EQ((Log{ "GetCurrentDevice" }), service.Calls());
    EXPECT_TRUE(h->Checked(IDC_REPORT_11));
    EXPECT_TRUE(h->Checked(IDC_REPORT11_OPTION));
    EXPECT_TRUE(h->Enabled(IDC_REPORT11_OPTION));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));

    // Another device became current while the page was away.
    service.currentIdentity = 4;
    service.ClearCalls();
    h->SwitchAwayAndBack();
    Log expected{ "GetCurrentDevice" };
    Log query = QueryOf(1);
    expected.insert(expected.end(), query.begin(), query.end());
    EXPECT_EQ(expected, service.Events());   // no SetReportOption on a reset
    EXPECT_TRUE(h->Checked(IDC_REPORT_1));
    EXPECT_FALSE(h->Checked(IDC_REPORT_11));
    EXPECT_FALSE(h->Checked(IDC_REPORT11_OPTION));
    EXPECT_FALSE(h->Enabled(IDC_REPORT11_OPTION));
    EXPECT_TRUE(h->Enabled(IDC_REPORT_EXECUTE));
    EXPECT_FALSE(h->Enabled(IDC_REPORT_EXECUTE_ALTERNATE));

    // A failing GetCurrentDevice is no change.
    h->Click(IDC_REPORT_11);
    service.currentIdentity = 5;
    service.fail["GetCurrentDevice"] = E_FAIL;
    h->SwitchAwayAndBack();
    EXPECT_TRUE(h->Checked(IDC_REPORT_11));
}

TEST(ReportsPageNoService, ChoicesDisableTheButtonsAndCommandsDoNothing)
{
    MessageBoxRecorder boxes;
    PageHarness<CReportsPage> h(nullptr);
    h.Click(IDC_REPORT_11);
    EXPECT_TRUE(h.Enabled(IDC_REPORT11_OPTION));
    EXPECT_FALSE(h.Enabled(IDC_REPORT_EXECUTE));
    h.Click(IDC_REPORT11_OPTION);
    EXPECT_TRUE(h.Checked(IDC_REPORT11_OPTION));
    h.SwitchAwayAndBack();
    EXPECT_TRUE(h.Checked(IDC_REPORT_11));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ReportsPageClass, HasRunTimeClassWithDynamicCreation)
{
    CRuntimeClass* pClass = RUNTIME_CLASS(CReportsPage);
    EXPECT_STREQ("CReportsPage", pClass->m_lpszClassName);
    EXPECT_EQ(0xFFFFu, pClass->m_wSchema);
    EXPECT_TRUE(pClass->IsDerivedFrom(RUNTIME_CLASS(CPropertyPage)));
    CObject* pObject = pClass->CreateObject();
    ASSERT_NE(nullptr, pObject);
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CReportsPage)));
    CReportsPage* pPage = dynamic_cast<CReportsPage*>(pObject);
    ASSERT_NE(nullptr, pPage);
    EXPECT_EQ((UINT)IDD_REPORTS_PAGE, pPage->GetTemplateID());
    delete pObject;
}
