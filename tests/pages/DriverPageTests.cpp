// DriverPageTests.cpp - CDriverHackerPage in a real sheet with the recording
// fake device service: loading on a device change, the controls, the two
// buttons following the saved copy, Apply, Revert, Defaults, and a missing
// settings interface.
#include <gtest/gtest.h>

#include "fakes/FakeDeviceService.h"
#include "pages/DriverHackerPage.h"
#include "support/PageHarness.h"

#include <string>
#include <vector>

using fake::DriverValues;
using fake::FakeDeviceService;
using testutil::LoadText;
using testutil::MessageBoxRecorder;
using testutil::PageHarness;
using testutil::Pump;
using testutil::WindowText;

namespace
{

typedef std::vector<std::string> Log;
typedef PageHarness<CDriverHackerPage> Harness;

// The check boxes with the option each shows, in option order (Option5 has none).
struct OptionBox
{
    int number;
    int nID;
    long DriverValues::*field;
};
const OptionBox kBoxes[] = {
    {1, IDC_DRV_OPTION1, &DriverValues::option1},   {2, IDC_DRV_OPTION2, &DriverValues::option2},
    {3, IDC_DRV_OPTION3, &DriverValues::option3},   {4, IDC_DRV_OPTION4, &DriverValues::option4},
    {6, IDC_DRV_OPTION6, &DriverValues::option6},   {7, IDC_DRV_OPTION7, &DriverValues::option7},
    {8, IDC_DRV_OPTION8, &DriverValues::option8},   {9, IDC_DRV_OPTION9, &DriverValues::option9},
    {10, IDC_DRV_OPTION10, &DriverValues::option10}, {11, IDC_DRV_OPTION11, &DriverValues::option11},
    {12, IDC_DRV_OPTION12, &DriverValues::option12}, {13, IDC_DRV_OPTION13, &DriverValues::option13},
};

// Values that tell every setting apart: odd options on, even off (Option5 on).
DriverValues DeviceValues()
{
    DriverValues v;
    v.option1 = 1;
    v.option3 = 1;
    v.option5 = 1;
    v.option7 = 1;
    v.option9 = 1;
    v.option11 = 1;
    v.option13 = 1;
    v.number = 42;
    v.choice = 1;
    v.switchValue = 1;
    return v;
}

// The calls of one full load, after SetDevice.
Log LoadCalls()
{
    Log calls = {"IServiceDriverSettings.GetOption1", "IServiceDriverSettings.GetOption2",
                 "IServiceDriverSettings.GetOption3", "IServiceDriverSettings.GetNumberMax",
                 "IServiceDriverSettings.GetNumber"};
    for (int i = 4; i <= 13; ++i)
        calls.push_back("IServiceDriverSettings.GetOption" + std::to_string(i));
    calls.push_back("IServiceDriverSettings.GetChoice");
    calls.push_back("IServiceDriverSettings.GetSwitch");
    return calls;
}

// The calls of one apply with these values.
Log ApplyCalls(const DriverValues& v)
{
    auto set = [](const std::string& name, long value) {
        return "IServiceDriverSettings.Set" + name + "(" + std::to_string(value) + ")";
    };
    Log calls = {set("Option1", v.option1), set("Option2", v.option2), set("Option3", v.option3),
                 set("Number", v.number)};
    const long options[] = {v.option4, v.option5, v.option6, v.option7, v.option8,
                            v.option9, v.option10, v.option11, v.option12, v.option13};
    for (int i = 0; i < 10; ++i)
        calls.push_back(set("Option" + std::to_string(i + 4), options[i]));
    calls.push_back(set("Choice", v.choice));
    calls.push_back(set("Switch", v.switchValue));
    return calls;
}

// Counts PSM_CHANGED and PSM_UNCHANGED reaching the sheet while it lives.
class SheetChangeSpy
{
public:
    explicit SheetChangeSpy(HWND hSheet) : m_hSheet(hSheet)
    {
        Self() = this;
        m_pfnOld = (WNDPROC)::SetWindowLongPtrA(hSheet, GWLP_WNDPROC, (LONG_PTR)&Proc);
    }
    ~SheetChangeSpy()
    {
        if (::IsWindow(m_hSheet))
            ::SetWindowLongPtrA(m_hSheet, GWLP_WNDPROC, (LONG_PTR)m_pfnOld);
        Self() = nullptr;
    }
    int changes = 0;

private:
    static SheetChangeSpy*& Self()
    {
        static SheetChangeSpy* p = nullptr;
        return p;
    }
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        SheetChangeSpy* self = Self();
        if (message == PSM_CHANGED || message == PSM_UNCHANGED)
            ++self->changes;
        return ::CallWindowProcA(self->m_pfnOld, hWnd, message, wParam, lParam);
    }
    HWND m_hSheet;
    WNDPROC m_pfnOld;
};

class DriverPageTest : public ::testing::Test
{
protected:
    // A fake whose current device is set and whose settings are the device values.
    void SetUpDevice(FakeDeviceService& service, long identity = 7)
    {
        service.currentIdentity = identity;
        service.settingsDeviceName = L"\\\\host\\Printer 7";
        service.driver = DeviceValues();
        service.driverNumberMax = 300;
    }
    bool ButtonsEnabled(Harness& h) const
    {
        const bool apply = h.Enabled(IDC_DRV_APPLY);
        EXPECT_EQ(apply, h.Enabled(IDC_DRV_REVERT)) << "Apply and Revert go together";
        return apply;
    }
    void ExpectShows(Harness& h, const DriverValues& v, int choiceButton, int switchButton) const
    {
        for (const OptionBox& box : kBoxes)
            EXPECT_EQ(v.*box.field != 0, h.Checked(box.nID)) << "Option" << box.number;
        EXPECT_EQ(std::to_string(v.number), h.Text(IDC_DRV_NUMBER));
        const int choices[] = {IDC_DRV_CHOICE1, IDC_DRV_CHOICE2, IDC_DRV_CHOICE3};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(i == choiceButton, h.Checked(choices[i])) << "choice button " << i;
        EXPECT_EQ(switchButton == 0, h.Checked(IDC_DRV_SWITCH1));
        EXPECT_EQ(switchButton == 1, h.Checked(IDC_DRV_SWITCH2));
    }
    void SpinRange(Harness& h, int& lower, int& upper) const
    {
        LRESULT range = ::SendMessageA(h.Item(IDC_DRV_NUMBER_SPIN), UDM_GETRANGE, 0, 0);
        upper = (short)LOWORD(range);
        lower = (short)HIWORD(range);
    }
    void ExpectAllReleased(Harness& h, FakeDeviceService& service) const
    {
        h.Destroy();
        EXPECT_EQ(0, service.LiveObjects()) << service.EventsText();
        EXPECT_FALSE(service.OverReleased()) << service.EventsText();
        EXPECT_TRUE(service.Unexpected().empty()) << service.EventsText();
    }
};

} // namespace

// ---------------------------------------------------------------------------
// The page and its first activation
// ---------------------------------------------------------------------------

TEST_F(DriverPageTest, ClassInformationAllowsDynamicCreation)
{
    CRuntimeClass* pClass = RUNTIME_CLASS(CDriverHackerPage);
    EXPECT_STREQ("CDriverHackerPage", pClass->m_lpszClassName);
    EXPECT_EQ(0xFFFFu, pClass->m_wSchema);
    EXPECT_TRUE(pClass->IsDerivedFrom(RUNTIME_CLASS(CPropertyPage)));
    CObject* pObject = pClass->CreateObject();
    ASSERT_NE(nullptr, pObject);
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CDriverHackerPage)));
    delete pObject;
}

TEST_F(DriverPageTest, WithoutACurrentDeviceNothingIsLoaded)
{
    FakeDeviceService service;
    service.driver = DeviceValues();
    Harness h(&service);

    EXPECT_EQ((Log{"GetSettings(2)", "GetCurrentDevice"}), service.Calls());
    EXPECT_EQ((Log{"QueryInterface Settings(2).IServiceDriverSettings"}), service.Queries());
    ExpectShows(h, DriverValues(), -1, -1);
    EXPECT_EQ("0", h.Text(IDC_DRV_NUMBER));
    EXPECT_FALSE(ButtonsEnabled(h));

    EXPECT_EQ(LoadText(IDS_DRIVER_PAGE), WindowText(h.Page()));
    EXPECT_EQ(LoadText(IDS_DRV_OPTION13), h.Text(IDC_DRV_OPTION13));
    EXPECT_EQ(LoadText(IDS_DRV_CHOICE3), h.Text(IDC_DRV_CHOICE3));
    EXPECT_EQ(LoadText(IDS_COLOUR), h.Text(IDC_DRV_SWITCH1));
    EXPECT_EQ(LoadText(IDS_BLACK), h.Text(IDC_DRV_SWITCH2));
    EXPECT_EQ(LoadText(IDS_DRV_SWITCH_GROUP), h.Text(IDC_DRV_SWITCH_GROUP));
    EXPECT_EQ(LoadText(IDS_DRV_DEFAULTS), h.Text(IDC_DRV_DEFAULTS));
    EXPECT_EQ(LoadText(IDS_DRV_APPLY), h.Text(IDC_DRV_APPLY));
    EXPECT_EQ(h.Item(IDC_DRV_NUMBER), (HWND)::SendMessageA(h.Item(IDC_DRV_NUMBER_SPIN), UDM_GETBUDDY, 0, 0));

    // The same identity again: still nothing.
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{"GetCurrentDevice"}), service.Calls());
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, DeviceChangePointsTheSettingsAtTheDeviceThenLoadsEverything)
{
    FakeDeviceService service;
    service.driver = DeviceValues();
    service.driverNumberMax = 300;
    service.settingsDeviceName = L"\\\\host\\Printer 7";
    Harness h(&service);
    service.ClearCalls();

    service.currentIdentity = 7;
    h.SwitchAwayAndBack();
    Log expected = {"GetCurrentDevice", "GetSettingsDeviceName",
                    "IServiceDriverSettings.SetDevice(\"\\\\host\\Printer 7\")"};
    const Log load = LoadCalls();
    expected.insert(expected.end(), load.begin(), load.end());
    EXPECT_EQ(expected, service.Calls());
    EXPECT_EQ(L"\\\\host\\Printer 7", service.driverDevice);
    ExpectShows(h, DeviceValues(), 1, 0);
    EXPECT_FALSE(ButtonsEnabled(h));
    int lower = 0, upper = 0;
    SpinRange(h, lower, upper);
    EXPECT_EQ(1, lower);
    EXPECT_EQ(300, upper);

    // No change: no reload, and what the user changed stays.
    h.Click(IDC_DRV_OPTION2);
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{"GetCurrentDevice"}), service.Calls());
    EXPECT_TRUE(h.Checked(IDC_DRV_OPTION2));
    EXPECT_TRUE(ButtonsEnabled(h));

    // Another device: reloaded, edits dropped.
    service.currentIdentity = 8;
    h.SwitchAwayAndBack();
    EXPECT_EQ(1, service.CountOf("IServiceDriverSettings.SetDevice"));
    EXPECT_FALSE(h.Checked(IDC_DRV_OPTION2));
    EXPECT_FALSE(ButtonsEnabled(h));
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, NumberMaxBoundsTheUpDownByItsLow16Bits)
{
    struct Case
    {
        long max;
        bool untouched;
        int upper;
    };
    const Case cases[] = {{300, false, 300}, {0x12345, false, 0x2345}, {999, true, 1}};
    for (const Case& c : cases)
    {
        FakeDeviceService service;
        SetUpDevice(service);
        service.driverNumberMax = c.max;
        if (c.untouched)
        {
            service.fail["GetNumberMax"] = E_FAIL;
            service.untouched.insert("GetNumberMax");
        }
        Harness h(&service);
        int lower = 0, upper = 0;
        SpinRange(h, lower, upper);
        EXPECT_EQ(1, lower) << c.max;
        EXPECT_EQ(c.upper, upper) << c.max;
        ExpectAllReleased(h, service);
    }
}

TEST_F(DriverPageTest, SwitchOneChecksTheFirstButtonAnythingElseTheSecond)
{
    for (long value : {1L, 0L, 2L, -1L})
    {
        FakeDeviceService service;
        SetUpDevice(service);
        service.driver.switchValue = value;
        Harness h(&service);
        EXPECT_EQ(value == 1, h.Checked(IDC_DRV_SWITCH1)) << value;
        EXPECT_EQ(value != 1, h.Checked(IDC_DRV_SWITCH2)) << value;

        // Saving sends 1 for the first button, 0 for the second.
        h.Click(IDC_DRV_OPTION2);
        service.ClearCalls();
        h.Click(IDC_DRV_APPLY);
        EXPECT_EQ((Log{value == 1 ? "IServiceDriverSettings.SetSwitch(1)" : "IServiceDriverSettings.SetSwitch(0)"}),
                  service.CallsMatching("IServiceDriverSettings.SetSwitch"))
            << value;
        h.Click(value == 1 ? IDC_DRV_SWITCH2 : IDC_DRV_SWITCH1);
        service.ClearCalls();
        h.Click(IDC_DRV_APPLY);
        EXPECT_EQ((Log{value == 1 ? "IServiceDriverSettings.SetSwitch(0)" : "IServiceDriverSettings.SetSwitch(1)"}),
                  service.CallsMatching("IServiceDriverSettings.SetSwitch"))
            << value;
        ExpectAllReleased(h, service);
    }
}

TEST_F(DriverPageTest, ChoiceIsTheRadioIndexOfItsLow16Bits)
{
    struct Case
    {
        long value;
        int button;
    };
    const Case cases[] = {{0, 0}, {2, 2}, {0x10001, 1}, {(long)0xFFFF0000, 0}};
    for (const Case& c : cases)
    {
        FakeDeviceService service;
        SetUpDevice(service);
        service.driver.choice = c.value;
        Harness h(&service);
        ExpectShows(h, [&] { DriverValues v = DeviceValues(); v.choice = c.value; return v; }(), c.button, 0);

        h.Click(IDC_DRV_OPTION2);
        service.ClearCalls();
        h.Click(IDC_DRV_APPLY);
        EXPECT_EQ((Log{"IServiceDriverSettings.SetChoice(" + std::to_string(c.button) + ")"}),
                  service.CallsMatching("IServiceDriverSettings.SetChoice"))
            << c.value;
        ExpectAllReleased(h, service);
    }
}

TEST_F(DriverPageTest, ChoiceOutsideTheGroupChecksNoButtonAndApplyKeepsTheDevicesValue)
{
    // Values outside the three buttons, as the device gave them (16 bits).
    struct Case
    {
        long value;
        long sent;
    };
    const Case cases[] = {{3, 3}, {-1, -1}, {0x7FFF, 0x7FFF}, {0x00050009, 9}, {0x1FFFF, -1}};
    for (const Case& c : cases)
    {
        FakeDeviceService service;
        SetUpDevice(service);
        service.driver.choice = c.value;
        Harness h(&service);
        EXPECT_FALSE(h.Checked(IDC_DRV_CHOICE1)) << c.value;
        EXPECT_FALSE(h.Checked(IDC_DRV_CHOICE2)) << c.value;
        EXPECT_FALSE(h.Checked(IDC_DRV_CHOICE3)) << c.value;

        h.Click(IDC_DRV_OPTION2);
        service.ClearCalls();
        h.Click(IDC_DRV_APPLY);
        EXPECT_EQ((Log{"IServiceDriverSettings.SetChoice(" + std::to_string(c.sent) + ")"}),
                  service.CallsMatching("IServiceDriverSettings.SetChoice"))
            << c.value;
        EXPECT_EQ(c.sent, service.driver.choice);

        // Once the user picks a button, that button's index is written.
        h.Click(IDC_DRV_CHOICE3);
        service.ClearCalls();
        h.Click(IDC_DRV_APPLY);
        EXPECT_EQ((Log{"IServiceDriverSettings.SetChoice(2)"}),
                  service.CallsMatching("IServiceDriverSettings.SetChoice"));
        ExpectAllReleased(h, service);
    }
}

TEST_F(DriverPageTest, DefaultChoiceOutsideTheGroupIsWhatApplyWrites)
{
    FakeDeviceService service;
    SetUpDevice(service);
    service.driverDefaults.choice = 7;
    Harness h(&service);
    h.Click(IDC_DRV_DEFAULTS);
    EXPECT_FALSE(h.Checked(IDC_DRV_CHOICE2));
    service.ClearCalls();
    h.Click(IDC_DRV_APPLY);
    EXPECT_EQ((Log{"IServiceDriverSettings.SetChoice(7)"}), service.CallsMatching("IServiceDriverSettings.SetChoice"));
    ExpectAllReleased(h, service);
}

// ---------------------------------------------------------------------------
// Editing, Apply, Revert, Defaults
// ---------------------------------------------------------------------------

TEST_F(DriverPageTest, ButtonsFollowTheComparisonWithTheSavedCopy)
{
    FakeDeviceService service;
    SetUpDevice(service);
    Harness h(&service);
    SheetChangeSpy spy(h.Sheet());
    ASSERT_FALSE(ButtonsEnabled(h));
    service.ClearCalls();

    for (const OptionBox& box : kBoxes)
    {
        SCOPED_TRACE("Option" + std::to_string(box.number));
        h.Click(box.nID);
        EXPECT_TRUE(ButtonsEnabled(h));
        h.Click(box.nID);
        EXPECT_FALSE(ButtonsEnabled(h));
    }
    h.Click(IDC_DRV_CHOICE1);
    EXPECT_TRUE(ButtonsEnabled(h));
    h.Click(IDC_DRV_CHOICE2);
    EXPECT_FALSE(ButtonsEnabled(h));
    h.Click(IDC_DRV_SWITCH2);
    EXPECT_TRUE(ButtonsEnabled(h));
    h.Click(IDC_DRV_SWITCH1);
    EXPECT_FALSE(ButtonsEnabled(h));
    h.SetText(IDC_DRV_NUMBER, "43");
    EXPECT_TRUE(ButtonsEnabled(h));
    h.SetText(IDC_DRV_NUMBER, "42");
    EXPECT_FALSE(ButtonsEnabled(h));
    EXPECT_TRUE(service.Calls().empty()) << "editing makes no call";
    EXPECT_EQ(0, spy.changes) << "the page never marks the sheet changed";
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, ApplySendsAllSixteenInOrderWithOption5AsLoaded)
{
    FakeDeviceService service;
    SetUpDevice(service);
    Harness h(&service);
    SheetChangeSpy spy(h.Sheet());

    h.Click(IDC_DRV_OPTION2);
    h.Click(IDC_DRV_OPTION13);
    h.SetText(IDC_DRV_NUMBER, "-5");
    h.Click(IDC_DRV_CHOICE3);
    h.Click(IDC_DRV_SWITCH2);
    ASSERT_TRUE(ButtonsEnabled(h));
    service.ClearCalls();
    h.Click(IDC_DRV_APPLY);

    DriverValues sent = DeviceValues();
    sent.option2 = 1;
    sent.option13 = 0;
    sent.number = -5;
    sent.choice = 2;
    sent.switchValue = 0;
    EXPECT_EQ(ApplyCalls(sent), service.Calls());
    EXPECT_EQ(1, service.driver.option5);
    EXPECT_FALSE(ButtonsEnabled(h));
    EXPECT_EQ(0, spy.changes);

    // The saved copy now holds what was sent: changing back differs from it.
    h.Click(IDC_DRV_OPTION2);
    EXPECT_TRUE(ButtonsEnabled(h));
    h.Click(IDC_DRV_OPTION2);
    EXPECT_FALSE(ButtonsEnabled(h));
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, RevertReadsEverythingAgain)
{
    FakeDeviceService service;
    SetUpDevice(service);
    Harness h(&service);
    h.Click(IDC_DRV_OPTION1);
    h.Click(IDC_DRV_CHOICE1);
    h.SetText(IDC_DRV_NUMBER, "9");
    ASSERT_TRUE(ButtonsEnabled(h));
    service.driver.option4 = 1;   // changed behind the page's back
    service.ClearCalls();
    h.Click(IDC_DRV_REVERT);
    EXPECT_EQ(LoadCalls(), service.Calls());
    DriverValues now = DeviceValues();
    now.option4 = 1;
    ExpectShows(h, now, 1, 0);
    EXPECT_FALSE(ButtonsEnabled(h));
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, DefaultsShowTheDefaultsAndEnableTheButtons)
{
    FakeDeviceService service;
    SetUpDevice(service);
    DriverValues defaults;
    defaults.option2 = 1;
    defaults.option5 = 1;
    defaults.option12 = 1;
    defaults.number = 3;
    defaults.choice = 0;
    defaults.switchValue = 0;
    service.driverDefaults = defaults;
    Harness h(&service);
    service.ClearCalls();
    h.Click(IDC_DRV_DEFAULTS);

    Log expected = {"IServiceDriverSettings.GetDefaultOption1", "IServiceDriverSettings.GetDefaultOption2",
                    "IServiceDriverSettings.GetDefaultOption3", "IServiceDriverSettings.GetDefaultNumber"};
    for (int i = 4; i <= 13; ++i)
        expected.push_back("IServiceDriverSettings.GetDefaultOption" + std::to_string(i));
    expected.push_back("IServiceDriverSettings.GetDefaultChoice");
    expected.push_back("IServiceDriverSettings.GetDefaultSwitch");
    EXPECT_EQ(expected, service.Calls());
    ExpectShows(h, defaults, 0, 1);
    EXPECT_TRUE(ButtonsEnabled(h));

    service.ClearCalls();
    h.Click(IDC_DRV_APPLY);
    EXPECT_EQ(ApplyCalls(defaults), service.Calls());
    EXPECT_FALSE(ButtonsEnabled(h));
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, DefaultsEqualToTheSavedValuesStillEnableTheButtons)
{
    FakeDeviceService service;
    SetUpDevice(service);
    service.driverDefaults = DeviceValues();
    Harness h(&service);
    h.Click(IDC_DRV_DEFAULTS);
    EXPECT_TRUE(ButtonsEnabled(h));
    // The next change re-evaluates: changed and back means no difference.
    h.Click(IDC_DRV_OPTION3);
    h.Click(IDC_DRV_OPTION3);
    EXPECT_FALSE(ButtonsEnabled(h));
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, TypedNumberIsBoundedByTheMaximumAndANonNumberWritesNothing)
{
    FakeDeviceService service;
    SetUpDevice(service);   // the device's maximum is 300
    Harness h(&service);
    MessageBoxRecorder boxes;
    h.SetText(IDC_DRV_NUMBER, "1234567");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(ButtonsEnabled(h));
    service.ClearCalls();
    h.Click(IDC_DRV_APPLY);
    // Sent as the maximum, and shown so; everything saved.
    EXPECT_EQ((Log{"IServiceDriverSettings.SetNumber(300)"}), service.CallsMatching("IServiceDriverSettings.SetNumber"));
    EXPECT_EQ("300", h.Text(IDC_DRV_NUMBER));
    EXPECT_FALSE(ButtonsEnabled(h));
    EXPECT_TRUE(boxes.boxes.empty());

    // A field that does not parse: the prompt, and nothing at all is sent;
    // the edits stay unsaved.
    h.Click(IDC_DRV_OPTION2);
    h.SetText(IDC_DRV_NUMBER, "12x");
    EXPECT_EQ(1u, boxes.boxes.size());
    service.ClearCalls();
    boxes.boxes.clear();
    h.Click(IDC_DRV_APPLY);
    EXPECT_EQ(1u, boxes.boxes.size());
    EXPECT_TRUE(service.CallsMatching("IServiceDriverSettings.Set").empty()) << service.EventsText();
    EXPECT_TRUE(ButtonsEnabled(h));
    EXPECT_EQ("12x", h.Text(IDC_DRV_NUMBER));
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, WithoutAMaximumTheTypedNumberIsSentAsItIs)
{
    FakeDeviceService service;
    SetUpDevice(service);
    service.fail["GetNumberMax"] = E_FAIL;
    service.untouched.insert("GetNumberMax");
    Harness h(&service);
    h.SetText(IDC_DRV_NUMBER, "1234567");
    service.ClearCalls();
    h.Click(IDC_DRV_APPLY);
    EXPECT_EQ((Log{"IServiceDriverSettings.SetNumber(1234567)"}),
              service.CallsMatching("IServiceDriverSettings.SetNumber"));
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, SettingsTheDeviceDoesNotTakeStayUnsavedAndAreNamed)
{
    FakeDeviceService service;
    SetUpDevice(service);
    Harness h(&service);
    MessageBoxRecorder boxes;
    h.Click(IDC_DRV_OPTION4);
    h.SetText(IDC_DRV_NUMBER, "7");
    service.fail["SetOption4"] = E_FAIL;
    service.fail["SetOption5"] = E_FAIL;   // Option5 has no control; it is sent all the same
    service.ClearCalls();
    h.Click(IDC_DRV_APPLY);

    // All sixteen were sent; those taken are saved.
    EXPECT_EQ(16u, service.CallsMatching("IServiceDriverSettings.Set").size());
    EXPECT_EQ(7, service.driver.number);
    // Apply stays enabled: the working values differ from what the device has.
    EXPECT_TRUE(ButtonsEnabled(h));
    // One box, naming exactly the two settings not taken.
    ASSERT_EQ(1u, boxes.boxes.size());
    const std::string& text = boxes.boxes[0].text;
    EXPECT_EQ(LoadText(IDS_DRIVER_PAGE), boxes.boxes[0].caption);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, boxes.boxes[0].type & MB_ICONMASK);
    std::string option4 = LoadText(IDS_DRV_OPTION4);   // "Re&verse page order"
    option4.erase(option4.find('&'), 1);
    EXPECT_NE(std::string::npos, text.find(option4)) << text;
    EXPECT_NE(std::string::npos, text.find(LoadText(IDS_DRV_OPTION5_NAME))) << text;
    EXPECT_EQ(std::string::npos, text.find(LoadText(IDS_DRV_NUMBER_NAME))) << text;
    EXPECT_EQ(std::string::npos, text.find('&')) << text;

    // The device takes them the second time: all saved, nothing to tell.
    service.fail.clear();
    boxes.boxes.clear();
    h.Click(IDC_DRV_APPLY);
    EXPECT_FALSE(ButtonsEnabled(h));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(1, service.driver.option4);

    // Changing the one taken setting back and forth leaves the page saved.
    h.Click(IDC_DRV_OPTION1);
    h.Click(IDC_DRV_OPTION1);
    EXPECT_FALSE(ButtonsEnabled(h));
    ExpectAllReleased(h, service);
}

// ---------------------------------------------------------------------------
// Failures
// ---------------------------------------------------------------------------

TEST_F(DriverPageTest, WithoutASettingsInterfaceEveryStepIsSkippedButTheButtonsWork)
{
    for (int variant = 0; variant < 3; ++variant)
    {
        SCOPED_TRACE(variant);
        FakeDeviceService service;
        SetUpDevice(service);
        if (variant == 0)
            service.Refuse(IID_IServiceDriverSettings);
        else if (variant == 1)
            service.fail["GetSettings"] = E_FAIL;
        else
            service.noObject.insert("GetSettings");
        Harness h(&service);
        EXPECT_EQ(0, service.LiveObjects());
        EXPECT_EQ((Log{"GetSettings(2)", "GetCurrentDevice", "GetSettingsDeviceName"}), service.Calls());
        ExpectShows(h, DriverValues(), -1, -1);

        service.ClearCalls();
        h.Click(IDC_DRV_OPTION1);
        EXPECT_TRUE(ButtonsEnabled(h));
        h.Click(IDC_DRV_APPLY);
        EXPECT_FALSE(ButtonsEnabled(h));
        h.Click(IDC_DRV_DEFAULTS);
        EXPECT_TRUE(ButtonsEnabled(h));
        h.Click(IDC_DRV_REVERT);
        EXPECT_FALSE(ButtonsEnabled(h));
        EXPECT_TRUE(service.Calls().empty()) << service.EventsText();
        ExpectAllReleased(h, service);
    }
}

TEST_F(DriverPageTest, WithoutTheDeviceServiceTheButtonsStillFollowTheComparison)
{
    Harness h(nullptr);
    EXPECT_FALSE(ButtonsEnabled(h));
    h.Click(IDC_DRV_SWITCH1);
    EXPECT_TRUE(ButtonsEnabled(h));
    h.Click(IDC_DRV_APPLY);
    EXPECT_FALSE(ButtonsEnabled(h));
    h.Click(IDC_DRV_DEFAULTS);
    EXPECT_TRUE(ButtonsEnabled(h));
    h.SwitchAwayAndBack();
    EXPECT_TRUE(h.Checked(IDC_DRV_SWITCH1));
}

TEST_F(DriverPageTest, FailingNameLoadsNothingAndTheSameIdentityDoesNotRetry)
{
    FakeDeviceService service;
    SetUpDevice(service);
    service.fail["GetSettingsDeviceName"] = E_FAIL;
    Harness h(&service);
    EXPECT_EQ(0, service.CountOf("IServiceDriverSettings."));
    ExpectShows(h, DriverValues(), -1, -1);

    service.fail.erase("GetSettingsDeviceName");
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{"GetCurrentDevice"}), service.Calls());

    // A failing GetCurrentDevice counts as no change.
    service.currentIdentity = 9;
    service.fail["GetCurrentDevice"] = E_FAIL;
    service.ClearCalls();
    h.SwitchAwayAndBack();
    EXPECT_EQ((Log{"GetCurrentDevice"}), service.Calls());
    service.fail.erase("GetCurrentDevice");
    h.SwitchAwayAndBack();
    EXPECT_EQ(1, service.CountOf("IServiceDriverSettings.SetDevice"));
    ExpectShows(h, DeviceValues(), 1, 0);
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, GettersThatWriteNothingKeepTheValuesAndPresets)
{
    FakeDeviceService service;
    SetUpDevice(service);
    for (const char* name : {"GetOption1", "GetNumber", "GetChoice", "GetSwitch"})
    {
        service.fail[name] = E_FAIL;
        service.untouched.insert(name);
    }
    Harness h(&service);
    // Option1 and the number keep 0; the choice local's preset 0 is the
    // first button, the switch local's preset 1 the first button too.
    DriverValues shown = DeviceValues();
    shown.option1 = 0;
    shown.number = 0;
    ExpectShows(h, shown, 0, 0);
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, HugeSettingsDeviceNameIsPassedWhole)
{
    FakeDeviceService service;
    SetUpDevice(service);
    service.settingsDeviceName.assign((size_t)1 << 20, L'D');
    Harness h(&service);
    EXPECT_EQ((size_t)1 << 20, service.driverDevice.size());
    ExpectShows(h, DeviceValues(), 1, 0);
    ExpectAllReleased(h, service);
}

TEST_F(DriverPageTest, DestroyReleasesTheSettingsInterface)
{
    FakeDeviceService service;
    SetUpDevice(service);
    Harness h(&service);
    EXPECT_EQ(1, service.LiveObjects());
    h.Destroy();
    EXPECT_EQ(0, service.LiveObjects());
    EXPECT_FALSE(service.OverReleased());
    EXPECT_EQ((Log{"Release Settings(2).IUnknown -> 1", "Release Settings(2).IServiceDriverSettings -> 0"}),
              service.Releases());
}
