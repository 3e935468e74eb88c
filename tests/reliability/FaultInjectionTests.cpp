// FaultInjectionTests.cpp - ServiceApp.exe against a misbehaving device
// service. Each row of the table below starts the program with the simulator
// told to misbehave in one operation (or to refuse one interface), passes
// the gate and drives every page twice: a first pass that presses every
// button and walks the device list, and a second pass on another device that
// runs each page's main flow again. After every step the program must still
// run and answer; at the end it must close with exit code 0, the simulator's
// journal must show every object released exactly once, and every fault rule
// must have fired. (A few rows give one operation the four extreme numbers on
// its first four calls; the driver settings rows fail one setting's getter,
// default getter and setter once each, at three different moments.)
//
// What the pages show is compared with a run without faults (the baseline):
// - kSame: the fault has no visible effect; every observation equals the
//   baseline's (the failure was swallowed and changed nothing else).
// - kSameSecondPass: the fault hit only the first pass (call=<n>); the
//   second pass shows exactly what the baseline's second pass shows, and the
//   journal shows the same operation succeeding after the faulted call: the
//   next normal operation works again.
// - a check of its own for what the page's failure handling shows (an empty
//   list, a status line, disabled command buttons, values not loaded, ...).
#include <gtest/gtest.h>

#include "ReliabilityDriver.h"
#include "lang/ServiceRes.h"
#include "pages/DevicesPage.h"
#include "pages/ProceduresPage.h"

#include <stdio.h>

#include <string>
#include <vector>

using namespace rel;
using e2e::ResourceText;

namespace
{

enum Mode
{
    kOwnCheck = 0,         // only the row's own check (and the common ones)
    kSame = 1,             // every observation as in the baseline
    kSameSecondPass = 2,   // the second pass as in the baseline; the operation works again
    kStartupBox = 4,       // the device service cannot be created: one message box, no gate
    kNotTakenBox = 8,      // one message box of the driver settings page: a setting not taken
    kNoDeviceTakes = 16    // no device is current: every apply of the driver settings page says
                           // that the device took none of the sixteen settings
};

typedef void (*CheckFn)(const Observations& obs, const Observations& base);

struct FaultCase
{
    const char* name;     // test name
    const char* faults;   // configuration lines
    int mode;
    CheckFn check;        // may be NULL
};

// The first line of the configuration after the fleet (FleetConfig has four).
const int kFirstFaultLine = 5;

std::string V(const Observations& obs, const std::string& key)
{
    Observations::const_iterator it = obs.find(key);
    return it == obs.end() ? std::string("<not observed>") : it->second;
}

std::string Fmt(UINT nID, long a, long b = 0)
{
    char buf[1024] = "";
    snprintf(buf, sizeof(buf), ResourceText(nID).c_str(), a, b);
    return buf;
}

// A detail text of a megabyte as the Devices page shows it, cut to its
// limit (the first 40 characters, as the observations note long texts).
std::string CutDetail(const std::string& first40)
{
    return first40 + "...[" + std::to_string(CDevicesPage::kDetailTextLimit) + " chars]";
}

// A number as the Devices page shows it, without the locale's group separator.
std::string Ungrouped(const std::string& text)
{
    char separator[8] = "";
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof(separator));
    const std::string sep = separator;
    std::string digits = text;
    for (size_t at = sep.empty() ? std::string::npos : digits.find(sep); at != std::string::npos;
         at = digits.find(sep, at))
        digits.erase(at, sep.size());
    return digits;
}

std::string Title(const char* pszDevice)
{
    return std::string(pszDevice) + " - " + ResourceText(IDS_APP_TITLE);
}

std::string InitialTitle()
{
    return ResourceText(IDS_SHEET_TITLE) + " - " + ResourceText(IDS_APP_TITLE);
}

// Observations of one pass that begin with prefix, compared with the baseline.
void ExpectSameAs(const Observations& obs, const Observations& base, const std::string& prefix)
{
    int differences = 0;
    for (const auto& kv : base)
    {
        if (kv.first.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string got = V(obs, kv.first);
        if (got != kv.second && ++differences <= 12)
            ADD_FAILURE() << kv.first << ": \"" << got << "\", without the fault \"" << kv.second << "\"";
    }
    EXPECT_EQ(0, differences) << "observations of " << (prefix.empty() ? "the run" : prefix) << " that differ";
}

// --- What the pages show without a device service or without devices ------

// The Devices page has no rows: empty details, the sheet's title untouched.
void ExpectNoDevices(const Observations& obs)
{
    EXPECT_EQ("0", V(obs, "p1.devices.rows"));
    EXPECT_EQ("-1", V(obs, "p1.devices.shown.selected"));
    EXPECT_EQ("", V(obs, "p1.devices.shown.detail1"));
    EXPECT_EQ("", V(obs, "p1.devices.end.detail3"));
    EXPECT_EQ(InitialTitle(), V(obs, "p1.devices.shown.title"));
    EXPECT_EQ(InitialTitle(), V(obs, "p2.devices.down.title"));
}

// No device is current: the other pages never see a device change.
void ExpectNoCurrentDevice(const Observations& obs)
{
    // Read asks the device, which has no current device: not available.
    EXPECT_EQ(Fmt(IDS_MEM_NOT_AVAILABLE, 5), V(obs, "p1.mem.read5.status"));
    EXPECT_EQ("0", V(obs, "p1.mem.read5.valueEnabled"));
    // The reports page was never reset: no report chosen, both buttons off.
    EXPECT_EQ("0", V(obs, "p1.reports.shown.exec"));
    EXPECT_EQ("0", V(obs, "p1.reports.shown.alt"));
    EXPECT_EQ("0", V(obs, "p1.reports.r1.exec"));
    // The driver settings page loaded nothing.
    EXPECT_EQ("0", V(obs, "p1.driver.shown.number"));
    EXPECT_EQ("000", V(obs, "p1.driver.shown.choice"));
    EXPECT_EQ("00", V(obs, "p1.driver.shown.switch"));
    EXPECT_EQ("00", V(obs, "p1.driver.shown.buttons"));
    // The procedures page has no device text.
    EXPECT_EQ("", V(obs, "p1.proc.text"));
}

// The driver settings page has no settings interface: nothing loads, but the
// buttons still follow the comparison of the controls with the saved copy,
// and since nothing loads, the second pass shows what the first left.
void ExpectNoDriverSettings(const Observations& obs)
{
    EXPECT_EQ("0", V(obs, "p1.driver.shown.number"));
    EXPECT_EQ("000", V(obs, "p1.driver.shown.choice"));
    EXPECT_EQ("00", V(obs, "p1.driver.shown.switch"));
    EXPECT_EQ("11", V(obs, "p1.driver.defaults.buttons"));
    for (const char* pass : {"p1", "p2"})
    {
        const std::string p = pass;
        EXPECT_EQ("11", V(obs, p + ".driver.changed.buttons")) << p;
        EXPECT_EQ("00", V(obs, p + ".driver.applied.buttons")) << p;
    }
    for (const char* what : {"number", "choice", "switch", "options"})
        EXPECT_EQ(V(obs, std::string("p1.driver.end.") + what), V(obs, std::string("p2.driver.shown.") + what))
            << what;
}

// Read does nothing without the memory interface: no status, no value.
void ExpectNoMemory(const Observations& obs)
{
    for (const char* pass : {"p1", "p2"})
    {
        const std::string p = pass;
        EXPECT_EQ("", V(obs, p + ".mem.read5.status")) << p;
        EXPECT_EQ("0", V(obs, p + ".mem.read5.current")) << p;
        EXPECT_EQ("0", V(obs, p + ".mem.read5.valueEnabled")) << p;
        EXPECT_EQ("", V(obs, p + ".mem.restore.status")) << p;
    }
    EXPECT_EQ("", V(obs, "p1.mem.read12.status"));
}

// Every report's command buttons stay disabled.
void ExpectNoReports(const Observations& obs)
{
    int enabled = 0;
    for (const auto& kv : obs)
        if (kv.first.find(".reports.") != std::string::npos &&
            (kv.first.size() > 5 && (kv.first.compare(kv.first.size() - 5, 5, ".exec") == 0 ||
                                     kv.first.compare(kv.first.size() - 4, 4, ".alt") == 0)) &&
            kv.second != "0")
        {
            ++enabled;
            ADD_FAILURE() << kv.first << " enabled";
        }
    EXPECT_EQ(0, enabled);
}

// --- The table -------------------------------------------------------------

// The four extremes on the first four calls of an operation, one per call.
#define EXTREMES(op)                                                                                       \
    "fault " op " number 0 call=1\nfault " op " number -1 call=2\nfault " op " number max call=3\nfault " op \
    " number min call=4\n"
// -1 and the extremes on the first three calls (an operation the page calls
// once per device while it fills its list).
#define THREE_EXTREMES(op) \
    "fault " op " number -1 call=1\nfault " op " number max call=2\nfault " op " number min call=3\n"
#define OBJECT_FAULTS(op, test)                                                                   \
    {test "_fail", "fault " op " fail\n", kSame, NULL},                                           \
        {test "_failobject", "fault " op " failobject\n", kSame, NULL},                           \
        {test "_noobject", "fault " op " noobject\n", kSame, NULL},                               \
        {test "_fail_call1", "fault " op " fail call=1\n", kSame | kSameSecondPass, NULL}
// One setting of the driver settings page: its getter fails at the first
// load, its default getter at the first Defaults, its setter at the first
// apply; three operations at three different moments, each on its first
// call only, so that each comes back to work in the same run. The first
// apply tells the user that the device did not take the setting.
#define DRIVER_SETTING(name)                                                                              \
    {                                                                                                     \
        "Setting" name "_fail_call1",                                                                     \
            "fault IServiceDriverSettings.Get" name " fail call=1\nfault IServiceDriverSettings.GetDefault" \
            name " fail call=1\nfault IServiceDriverSettings.Set" name " fail call=1\n",                   \
            kSameSecondPass | kNotTakenBox, NULL                                                          \
    }

const FaultCase kCases[] = {
    // --- Creating the device service -------------------------------------
    {"CreateInstance_fail", "fault IClassFactory.CreateInstance fail\n", kStartupBox, NULL},
    {"IDeviceService_refuse", "fault IDeviceService refuse\n", kStartupBox, NULL},
    {"CreateInstance_noobject", "fault IClassFactory.CreateInstance noobject\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         // Created without an object: the program runs with no device service.
         ExpectNoDevices(obs);
         ExpectNoMemory(obs);
         ExpectNoReports(obs);
         ExpectNoDriverSettings(obs);
         EXPECT_EQ("", V(obs, "p1.proc.text"));
         EXPECT_EQ("111", V(obs, "p1.tasks.pressed"));
     }},

    // --- Devices page ----------------------------------------------------
    {"GetDevices_fail", "fault IDeviceService.GetDevices fail\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) {
         ExpectNoDevices(obs);
         ExpectNoCurrentDevice(obs);
     }},
    {"GetDevices_failobject", "fault IDeviceService.GetDevices failobject\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"GetDevices_noobject", "fault IDeviceService.GetDevices noobject\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"IServiceDevices_refuse", "fault IServiceDevices refuse\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) {
         ExpectNoDevices(obs);
         ExpectNoCurrentDevice(obs);
     }},
    {"Count_fail", "fault IServiceDevices.Count fail\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Count_0", "fault IServiceDevices.Count number 0\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Count_minus1", "fault IServiceDevices.Count number -1\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Count_min", "fault IServiceDevices.Count number min\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    // A count of two thousand million: the page stops at the rows it can get.
    {"Count_max", "fault IServiceDevices.Count number max\n", kSame, NULL},
    {"Item_fail", "fault IServiceDevices.Item fail\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Item_failobject", "fault IServiceDevices.Item failobject\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Item_noobject", "fault IServiceDevices.Item noobject\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Item_vartype_empty", "fault IServiceDevices.Item vartype empty\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Item_vartype_bstr", "fault IServiceDevices.Item vartype bstr\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    {"Item_vartype_i4", "fault IServiceDevices.Item vartype i4\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) { ExpectNoDevices(obs); }},
    // VT_UNKNOWN still holds the device object.
    {"Item_vartype_unknown", "fault IServiceDevices.Item vartype unknown\n", kSame, NULL},
    // The first position gives nothing: no row for the first device.
    {"Item_fail_call1", "fault IServiceDevices.Item fail call=1\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("2", V(obs, "p1.devices.rows"));
         EXPECT_EQ(Title("Bravo"), V(obs, "p1.devices.shown.title"));
         EXPECT_EQ("Bravo one", V(obs, "p1.devices.shown.detail1"));
         EXPECT_EQ(Title("Charlie"), V(obs, "p1.devices.down.title"));
     }},
    // Calls 1 to 6 fill the list; the 7th is the first selection's: its
    // details show nothing, the next selection shows them.
    {"Item_fail_call7", "fault IServiceDevices.Item fail call=7\n", kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("3", V(obs, "p1.devices.rows"));
         EXPECT_EQ(Title("Alpha"), V(obs, "p1.devices.shown.title"));
         EXPECT_EQ("", V(obs, "p1.devices.shown.detail1"));
         EXPECT_EQ("", V(obs, "p1.devices.shown.number"));
         EXPECT_EQ("Bravo one", V(obs, "p1.devices.down.detail1"));
     }},
    {"IServiceDevice_refuse", "fault IServiceDevice refuse\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) {
         ExpectNoDevices(obs);
         ExpectNoCurrentDevice(obs);
     }},
    // Every name empty: one map entry, the last device's; every row selects it.
    {"Name_fail", "fault IServiceDevice.Name fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("3", V(obs, "p1.devices.rows"));
         EXPECT_EQ("Charlie one", V(obs, "p1.devices.shown.detail1"));
         EXPECT_EQ(Title(""), V(obs, "p1.devices.shown.title"));
         EXPECT_EQ("Charlie one", V(obs, "p1.devices.down.detail1"));
     }},
    {"Name_null", "fault IServiceDevice.Name null\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("3", V(obs, "p1.devices.rows"));
         EXPECT_EQ("Charlie one", V(obs, "p1.devices.shown.detail1"));
         EXPECT_EQ(Title(""), V(obs, "p1.devices.shown.title"));
     }},
    {"Name_long", "fault IServiceDevice.Name long\n", kOwnCheck,
     [](const Observations& obs, const Observations& base) {
         EXPECT_EQ("3", V(obs, "p1.devices.rows"));
         EXPECT_EQ(std::to_string(1048576 + Title("").size()), V(obs, "p1.devices.shown.title.length"));
         EXPECT_EQ(V(base, "p1.devices.end.detail1"), V(obs, "p1.devices.end.detail1"));
         ExpectSameAs(obs, base, "p1.mem.");
         ExpectSameAs(obs, base, "p2.driver.");
     }},
    {"ColumnText1_fail", "fault IServiceDevice.ColumnText1 fail\n", kSame, NULL},
    {"ColumnText1_null", "fault IServiceDevice.ColumnText1 null\n", kSame, NULL},
    {"ColumnText1_long", "fault IServiceDevice.ColumnText1 long\n", kSame, NULL},
    {"ColumnText2_fail", "fault IServiceDevice.ColumnText2 fail\n", kSame, NULL},
    {"ColumnText2_null", "fault IServiceDevice.ColumnText2 null\n", kSame, NULL},
    {"ColumnText2_long", "fault IServiceDevice.ColumnText2 long\n", kSame, NULL},
    {"DetailText1_fail", "fault IServiceDevice.DetailText1 fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("", V(obs, "p1.devices.shown.detail1"));
         EXPECT_EQ("Alpha two", V(obs, "p1.devices.shown.detail2"));
     }},
    {"DetailText1_null", "fault IServiceDevice.DetailText1 null\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("", V(obs, "p1.devices.down.detail1")); }},
    {"DetailText1_long", "fault IServiceDevice.DetailText1 long\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(CutDetail("Alpha one###############################"), V(obs, "p1.devices.shown.detail1"));
         EXPECT_EQ("Bravo two", V(obs, "p2.devices.down.detail2"));
     }},
    {"DetailText2_fail", "fault IServiceDevice.DetailText2 fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("", V(obs, "p1.devices.shown.detail2")); }},
    {"DetailText2_null", "fault IServiceDevice.DetailText2 null\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("", V(obs, "p1.devices.end.detail2")); }},
    {"DetailText2_long", "fault IServiceDevice.DetailText2 long\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(CutDetail("Alpha two###############################"), V(obs, "p1.devices.shown.detail2"));
     }},
    {"DetailText3_fail", "fault IServiceDevice.DetailText3 fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("", V(obs, "p1.devices.shown.detail3")); }},
    {"DetailText3_null", "fault IServiceDevice.DetailText3 null\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("", V(obs, "p1.devices.up.detail3")); }},
    {"DetailText3_long", "fault IServiceDevice.DetailText3 long\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(CutDetail("Charlie three###########################"), V(obs, "p1.devices.end.detail3"));
     }},
    // No id (0, -1, the extremes): no device can be made current or found.
    {"Id_fail", "fault IServiceDevice.Id fail\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("3", V(obs, "p1.devices.rows"));
         EXPECT_EQ(Title("Alpha"), V(obs, "p1.devices.shown.title"));
         EXPECT_EQ("", V(obs, "p1.devices.shown.detail1"));
         ExpectNoCurrentDevice(obs);
     }},
    {"Id_0", "fault IServiceDevice.Id number 0\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("", V(obs, "p1.devices.down.detail1"));
         ExpectNoCurrentDevice(obs);
     }},
    {"Id_extremes", THREE_EXTREMES("IServiceDevice.Id"), kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("", V(obs, "p1.devices.end.detail1"));
         ExpectNoCurrentDevice(obs);
     }},
    // The type only picks an icon.
    {"Type_fail", "fault IServiceDevice.Type fail\n", kSame, NULL},
    {"Type_extremes", THREE_EXTREMES("IServiceDevice.Type"), kSame, NULL},
    // A number not delivered shows nothing (never the previous device's).
    {"DetailNumber_fail", "fault IServiceDevice.DetailNumber fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("", V(obs, "p1.devices.shown.number"));
         EXPECT_EQ("", V(obs, "p2.devices.down.number"));
         EXPECT_EQ("Bravo one", V(obs, "p2.devices.down.detail1"));
     }},
    {"DetailNumber_extremes", EXTREMES("IServiceDevice.DetailNumber"), kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         // In the user's number format: the digits, grouped.
         EXPECT_EQ("0", V(obs, "p1.devices.shown.number"));
         EXPECT_EQ("-1", V(obs, "p1.devices.down.number"));
         EXPECT_EQ("2147483647", Ungrouped(V(obs, "p1.devices.up.number")));
         EXPECT_EQ("-2147483648", Ungrouped(V(obs, "p1.devices.end.number")));
         EXPECT_EQ("11", V(obs, "p1.devices.home.number"));
     }},
    {"SetCurrentDevice_fail", "fault IDeviceService.SetCurrentDevice fail\n", kOwnCheck | kNoDeviceTakes,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(Title("Alpha"), V(obs, "p1.devices.shown.title"));
         EXPECT_EQ("Alpha one", V(obs, "p1.devices.shown.detail1"));
         ExpectNoCurrentDevice(obs);
     }},
    {"SetCurrentDevice_fail_call1", "fault IDeviceService.SetCurrentDevice fail call=1\n",
     kSame | kSameSecondPass, NULL},
    // Nothing is current at start, so the first row is chosen in any case.
    {"GetCurrentDeviceName_fail", "fault IDeviceService.GetCurrentDeviceName fail\n", kSame, NULL},
    {"GetCurrentDeviceName_null", "fault IDeviceService.GetCurrentDeviceName null\n", kSame, NULL},
    {"GetCurrentDeviceName_long", "fault IDeviceService.GetCurrentDeviceName long\n", kSame, NULL},

    // --- Device change, seen by four pages -------------------------------
    {"GetCurrentDevice_fail", "fault IDeviceService.GetCurrentDevice fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         // Counts as no change: reports not reset, driver settings and device text not loaded.
         EXPECT_EQ("0", V(obs, "p1.reports.shown.exec"));
         EXPECT_EQ("1", V(obs, "p1.reports.r1.exec"));
         EXPECT_EQ("0", V(obs, "p1.driver.shown.number"));
         EXPECT_EQ("", V(obs, "p1.proc.text"));
         EXPECT_EQ("", V(obs, "p2.proc.text"));
         // Memory reads ask the device's current device, which is there.
         EXPECT_EQ("4321", V(obs, "p1.mem.read5.current"));
     }},
    {"GetCurrentDevice_0", "fault IDeviceService.GetCurrentDevice number 0\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.reports.shown.exec"));
         EXPECT_EQ("0", V(obs, "p1.driver.shown.number"));
         EXPECT_EQ(V(obs, "p1.driver.end.number"), V(obs, "p2.driver.shown.number"));
         EXPECT_EQ("", V(obs, "p2.proc.text"));
     }},
    // The same identity every time: the first device is loaded once and
    // never again; the second pass shows what the first pass left.
    {"GetCurrentDevice_max", "fault IDeviceService.GetCurrentDevice number max\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("Alpha ready", V(obs, "p1.proc.text"));
         EXPECT_EQ("Alpha ready", V(obs, "p2.proc.text"));
         EXPECT_EQ("7", V(obs, "p1.driver.shown.number"));
         EXPECT_EQ(V(obs, "p1.driver.end.number"), V(obs, "p2.driver.shown.number"));
         EXPECT_EQ("1..99", V(obs, "p2.driver.shown.range"));
     }},
    {"GetCurrentDevice_extremes", EXTREMES("IDeviceService.GetCurrentDevice"), kSameSecondPass, NULL},

    // --- Maintenance page ------------------------------------------------
    OBJECT_FAULTS("IDeviceService.GetAction", "GetAction"),
    {"IServiceAction_refuse", "fault IServiceAction refuse\n", kSame, NULL},
    {"Run_fail", "fault IServiceAction.Run fail\n", kSame, NULL},

    // --- Reports: the maintenance page, the memory page and the reports page
    {"GetReport_fail", "fault IDeviceService.GetReport fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { ExpectNoReports(obs); }},
    {"GetReport_failobject", "fault IDeviceService.GetReport failobject\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { ExpectNoReports(obs); }},
    {"GetReport_noobject", "fault IDeviceService.GetReport noobject\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { ExpectNoReports(obs); }},
    // The first report object is the maintenance page's; the reports page works.
    {"GetReport_fail_call1", "fault IDeviceService.GetReport fail call=1\n", kSame | kSameSecondPass, NULL},
    {"IServiceReport_refuse", "fault IServiceReport refuse\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { ExpectNoReports(obs); }},
    {"Execute_fail", "fault IServiceReport.Execute fail\n", kSame, NULL},
    {"ExecuteAlternate_fail", "fault IServiceReport.ExecuteAlternate fail\n", kSame, NULL},
    {"CanExecute_fail", "fault IServiceReport.CanExecute fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.reports.r1.exec"));
         EXPECT_EQ("0", V(obs, "p1.reports.r11.exec"));
         EXPECT_EQ("1", V(obs, "p1.reports.r1.alt"));
     }},
    {"CanExecute_extremes", EXTREMES("IServiceReport.CanExecute"), kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.reports.shown.exec"));   // 0
         EXPECT_EQ("1", V(obs, "p1.reports.r1.exec"));      // -1
         EXPECT_EQ("1", V(obs, "p1.reports.r2.exec"));      // INT_MAX
         EXPECT_EQ("1", V(obs, "p1.reports.r3.exec"));      // INT_MIN
     }},
    {"CanExecuteAlternate_fail", "fault IServiceReport.CanExecuteAlternate fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.reports.r1.alt"));
         EXPECT_EQ("0", V(obs, "p2.reports.r11on.alt"));
         EXPECT_EQ("1", V(obs, "p1.reports.r1.exec"));
     }},
    {"CanExecuteAlternate_extremes", EXTREMES("IServiceReport.CanExecuteAlternate"), kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.reports.shown.alt"));
         EXPECT_EQ("1", V(obs, "p1.reports.r1.alt"));
         EXPECT_EQ("1", V(obs, "p1.reports.r2.alt"));
         EXPECT_EQ("1", V(obs, "p1.reports.r3.alt"));
     }},
    // Report 11's option does not reach the device: its second command stays off.
    {"IServiceReportOption_refuse", "fault IServiceReportOption refuse\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p2.reports.r11on.alt"));
         EXPECT_EQ("1", V(obs, "p2.reports.r11on.exec"));
     }},
    {"SetReportOption_fail", "fault IServiceReportOption.SetReportOption fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("0", V(obs, "p2.reports.r11on.alt")); }},

    // --- Device memory page ----------------------------------------------
    {"GetSettings_fail", "fault IDeviceService.GetSettings fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         ExpectNoMemory(obs);
         ExpectNoDriverSettings(obs);
     }},
    {"GetSettings_failobject", "fault IDeviceService.GetSettings failobject\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         ExpectNoMemory(obs);
         ExpectNoDriverSettings(obs);
     }},
    {"GetSettings_noobject", "fault IDeviceService.GetSettings noobject\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         ExpectNoMemory(obs);
         ExpectNoDriverSettings(obs);
     }},
    // The first memory read gets nothing and does nothing; the next one works.
    {"GetSettings_fail_call1", "fault IDeviceService.GetSettings fail call=1\n", kSameSecondPass,
     [](const Observations& obs, const Observations& base) {
         EXPECT_EQ("", V(obs, "p1.mem.read12.status"));
         ExpectSameAs(obs, base, "p1.mem.read5");
         ExpectSameAs(obs, base, "p1.driver.");
     }},
    {"IServiceMemory_refuse", "fault IServiceMemory refuse\n", kOwnCheck,
     [](const Observations& obs, const Observations& base) {
         ExpectNoMemory(obs);
         ExpectSameAs(obs, base, "p1.driver.");
     }},
    {"IsValidLocation_fail", "fault IServiceMemory.IsValidLocation fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(Fmt(IDS_MEM_NOT_AVAILABLE, 12), V(obs, "p1.mem.read12.status"));
         EXPECT_EQ(Fmt(IDS_MEM_NOT_AVAILABLE, 5), V(obs, "p1.mem.read5.status"));
         EXPECT_EQ("0", V(obs, "p1.mem.read5.valueEnabled"));
         EXPECT_EQ(Fmt(IDS_MEM_NOT_AVAILABLE, 5), V(obs, "p2.mem.read5.status"));
     }},
    // Only 1 means available: 0, -1 and the extremes do not.
    {"IsValidLocation_extremes", EXTREMES("IServiceMemory.IsValidLocation"), kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(Fmt(IDS_MEM_NOT_AVAILABLE, 5), V(obs, "p1.mem.read5.status"));
         EXPECT_EQ("0", V(obs, "p1.mem.read5.valueEnabled"));
         EXPECT_EQ("0", V(obs, "p1.mem.reread.current"));
     }},
    // The read of location 5 is refused once; the next read works.
    {"IsValidLocation_fail_call2", "fault IServiceMemory.IsValidLocation fail call=2\n", kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(Fmt(IDS_MEM_NOT_AVAILABLE, 5), V(obs, "p1.mem.read5.status"));
         EXPECT_EQ("4321", V(obs, "p1.mem.reread.current"));
     }},
    // A value not read counts as 0; a write read back as 0 failed.
    {"ReadValue_fail", "fault IServiceMemory.ReadValue fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.mem.read5.current"));
         EXPECT_EQ("4321", V(obs, "p1.mem.read5.default"));
         EXPECT_EQ(Fmt(IDS_MEM_WRITE_FAILED, 5), V(obs, "p1.mem.write.status"));
         EXPECT_EQ(Fmt(IDS_MEM_WRITE_FAILED, 5), V(obs, "p2.mem.restore.status"));
     }},
    {"ReadValue_fail_call1", "fault IServiceMemory.ReadValue fail call=1\n", kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.mem.read5.current"));
         EXPECT_EQ(Fmt(IDS_MEM_WRITTEN, 5, 1000), V(obs, "p1.mem.write.status"));
         EXPECT_EQ("1000", V(obs, "p1.mem.reread.current"));
     }},
    // A number in another VARIANT type still reads right.
    {"ReadValue_vartype_bstr", "fault IServiceMemory.ReadValue vartype bstr\n", kSame, NULL},
    {"ReadValue_vartype_r8", "fault IServiceMemory.ReadValue vartype r8\n", kSame, NULL},
    {"ReadValue_vartype_ui2", "fault IServiceMemory.ReadValue vartype ui2\n", kSame, NULL},
    {"ReadValue_vartype_empty", "fault IServiceMemory.ReadValue vartype empty\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.mem.read5.current"));
         EXPECT_EQ(Fmt(IDS_MEM_WRITE_FAILED, 5), V(obs, "p1.mem.write.status"));
     }},
    {"ReadValue_vartype_null", "fault IServiceMemory.ReadValue vartype null\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.mem.read5.current"));
         EXPECT_EQ(Fmt(IDS_MEM_WRITE_FAILED, 5), V(obs, "p1.mem.write.status"));
     }},
    {"ReadValue_vartype_dispatch", "fault IServiceMemory.ReadValue vartype dispatch\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("0", V(obs, "p1.mem.read5.current")); }},
    {"GetDefaultValue_fail", "fault IServiceMemory.GetDefaultValue fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("4321", V(obs, "p1.mem.read5.current"));
         EXPECT_EQ("0", V(obs, "p1.mem.read5.default"));
         // Restore default then writes the 0 it has.
         EXPECT_EQ(Fmt(IDS_MEM_WRITTEN, 5, 0), V(obs, "p1.mem.restore.status"));
     }},
    {"GetDefaultValue_vartype_bstr", "fault IServiceMemory.GetDefaultValue vartype bstr\n", kSame, NULL},
    {"GetDefaultValue_vartype_empty", "fault IServiceMemory.GetDefaultValue vartype empty\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("0", V(obs, "p1.mem.read5.default")); }},
    {"GetDefaultValue_vartype_null", "fault IServiceMemory.GetDefaultValue vartype null\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("0", V(obs, "p2.mem.read5.default")); }},
    {"WriteValue_fail", "fault IServiceMemory.WriteValue fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(Fmt(IDS_MEM_WRITE_FAILED, 5), V(obs, "p1.mem.write.status"));
         EXPECT_EQ("4321", V(obs, "p1.mem.reread.current"));
         EXPECT_EQ(Fmt(IDS_MEM_WRITE_FAILED, 5), V(obs, "p2.mem.write.status"));
     }},
    {"WriteValue_fail_call1", "fault IServiceMemory.WriteValue fail call=1\n", kSameSecondPass,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(Fmt(IDS_MEM_WRITE_FAILED, 5), V(obs, "p1.mem.write.status"));
         EXPECT_EQ("4321", V(obs, "p1.mem.reread.current"));
         // The default is what the location still holds: nothing to write.
         EXPECT_EQ(Fmt(IDS_MEM_UNCHANGED, 5, 5), V(obs, "p1.mem.restore.status"));
     }},

    // --- Device tasks page -----------------------------------------------
    {"GetDeviceTasks_fail", "fault IDeviceService.GetDeviceTasks fail\n", kSame, NULL},
    {"GetDeviceTasks_failobject", "fault IDeviceService.GetDeviceTasks failobject\n", kSame, NULL},
    {"GetDeviceTasks_noobject", "fault IDeviceService.GetDeviceTasks noobject\n", kSame, NULL},
    {"IServiceTasks_refuse", "fault IServiceTasks refuse\n", kSame, NULL},
    {"StartFirstTask_fail", "fault IServiceTasks.StartFirstTask fail\n", kSame, NULL},
    {"StartSecondTask_fail", "fault IServiceTasks.StartSecondTask fail\n", kSame, NULL},

    // --- Procedures page -------------------------------------------------
    OBJECT_FAULTS("IDeviceService.GetProcedureA", "GetProcedureA"),
    OBJECT_FAULTS("IDeviceService.GetProcedureB", "GetProcedureB"),
    OBJECT_FAULTS("IDeviceService.GetProcedureC", "GetProcedureC"),
    OBJECT_FAULTS("IDeviceService.GetOptionProcedure", "GetOptionProcedure"),
    OBJECT_FAULTS("IDeviceService.GetCommand", "GetCommand"),
    {"IServiceProcedure_refuse", "fault IServiceProcedure refuse\n", kSame, NULL},
    {"IServiceProcedureOptions_refuse", "fault IServiceProcedureOptions refuse\n", kSame, NULL},
    {"IServiceCommand_refuse", "fault IServiceCommand refuse\n", kSame, NULL},
    {"Start_fail", "fault IServiceProcedure.Start fail\n", kSame, NULL},
    {"Start_extremes", EXTREMES("IServiceProcedure.Start"), kSame, NULL},
    {"SetOptions_fail", "fault IServiceProcedureOptions.SetOptions fail\n", kSame, NULL},
    {"Perform_fail", "fault IServiceCommand.Perform fail\n", kSame, NULL},
    {"GetDeviceText_fail", "fault IDeviceService.GetDeviceText fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("", V(obs, "p1.proc.text"));
         EXPECT_EQ("", V(obs, "p2.proc.text"));
     }},
    {"GetDeviceText_null", "fault IDeviceService.GetDeviceText null\n", kOwnCheck,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("", V(obs, "p1.proc.text")); }},
    // A megabyte of text: the field takes the head of it.
    {"GetDeviceText_long", "fault IDeviceService.GetDeviceText long\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ(std::to_string(CProceduresPage::kDeviceTextLimit), V(obs, "p1.proc.text.length"));
         EXPECT_EQ(std::to_string(CProceduresPage::kDeviceTextLimit), V(obs, "p2.proc.text.length"));
     }},
    {"GetDeviceText_fail_call1", "fault IDeviceService.GetDeviceText fail call=1\n", kSameSecondPass,
     [](const Observations& obs, const Observations&) { EXPECT_EQ("", V(obs, "p1.proc.text")); }},

    // --- Driver settings page --------------------------------------------
    {"IServiceDriverSettings_refuse", "fault IServiceDriverSettings refuse\n", kOwnCheck,
     [](const Observations& obs, const Observations& base) {
         ExpectNoDriverSettings(obs);
         ExpectSameAs(obs, base, "p1.mem.");
     }},
    // No settings device name: nothing is loaded, and not retried.
    {"GetSettingsDeviceName_fail", "fault IDeviceService.GetSettingsDeviceName fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.driver.shown.number"));
         EXPECT_EQ("000", V(obs, "p1.driver.shown.choice"));
         EXPECT_EQ("00", V(obs, "p1.driver.shown.buttons"));
         EXPECT_EQ(V(obs, "p1.driver.end.number"), V(obs, "p2.driver.shown.number"));
     }},
    {"GetSettingsDeviceName_fail_call1", "fault IDeviceService.GetSettingsDeviceName fail call=1\n",
     kSameSecondPass, [](const Observations& obs, const Observations&) {
         // Nothing loaded at the first activation; what was then applied is
         // what the device gives back on Revert.
         EXPECT_EQ("0", V(obs, "p1.driver.shown.number"));
         for (const char* what : {"number", "choice", "options"})
             EXPECT_EQ(V(obs, std::string("p1.driver.applied.") + what),
                       V(obs, std::string("p1.driver.reverted.") + what))
                 << what;
         // No switch button checked is saved as the second position.
         EXPECT_EQ("00", V(obs, "p1.driver.applied.switch"));
         EXPECT_EQ("01", V(obs, "p1.driver.reverted.switch"));
     }},
    {"GetSettingsDeviceName_null", "fault IDeviceService.GetSettingsDeviceName null\n", kOwnCheck, NULL},
    {"GetSettingsDeviceName_long", "fault IDeviceService.GetSettingsDeviceName long\n", kOwnCheck, NULL},
    {"SetDevice_fail", "fault IServiceDriverSettings.SetDevice fail\n", kOwnCheck,
     [](const Observations& obs, const Observations& base) { ExpectSameAs(obs, base, "p1.driver."); }},
    {"GetNumberMax_fail", "fault IServiceDriverSettings.GetNumberMax fail\n", kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("1..1", V(obs, "p1.driver.shown.range"));
         EXPECT_EQ("1..1", V(obs, "p2.driver.shown.range"));
     }},
    {"GetNumberMax_extremes", EXTREMES("IServiceDriverSettings.GetNumberMax"), kOwnCheck, NULL},
    {"GetOption1_extremes", EXTREMES("IServiceDriverSettings.GetOption1"), kOwnCheck, NULL},
    {"GetNumber_extremes", EXTREMES("IServiceDriverSettings.GetNumber"), kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.driver.shown.number"));
         EXPECT_EQ("-1", V(obs, "p1.driver.reverted.number"));
         EXPECT_EQ("2147483647", V(obs, "p1.driver.end.number"));
         EXPECT_EQ("-2147483648", V(obs, "p2.driver.shown.number"));
     }},
    // A choice outside the three buttons checks none of them.
    {"GetChoice_extremes", EXTREMES("IServiceDriverSettings.GetChoice"), kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("100", V(obs, "p1.driver.shown.choice"));
         EXPECT_EQ("000", V(obs, "p1.driver.reverted.choice"));
         EXPECT_EQ("000", V(obs, "p1.driver.end.choice"));
     }},
    // Only 1 is the first switch position.
    {"GetSwitch_extremes", EXTREMES("IServiceDriverSettings.GetSwitch"), kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("01", V(obs, "p1.driver.shown.switch"));
         EXPECT_EQ("01", V(obs, "p1.driver.reverted.switch"));
         EXPECT_EQ("01", V(obs, "p1.driver.end.switch"));
     }},
    {"GetDefaultOption1_extremes", EXTREMES("IServiceDriverSettings.GetDefaultOption1"), kOwnCheck, NULL},
    {"GetDefaultNumber_extremes", EXTREMES("IServiceDriverSettings.GetDefaultNumber"), kOwnCheck,
     [](const Observations& obs, const Observations&) {
         EXPECT_EQ("0", V(obs, "p1.driver.defaults.number"));
         EXPECT_EQ("-1", V(obs, "p1.driver.defaultsagain.number"));
         EXPECT_EQ("2147483647", V(obs, "p2.driver.defaults.number"));
         EXPECT_EQ("-2147483648", V(obs, "p2.driver.defaultsagain.number"));
     }},
    {"GetDefaultChoice_extremes", EXTREMES("IServiceDriverSettings.GetDefaultChoice"), kOwnCheck, NULL},
    {"GetDefaultSwitch_extremes", EXTREMES("IServiceDriverSettings.GetDefaultSwitch"), kOwnCheck, NULL},
    DRIVER_SETTING("Option1"), DRIVER_SETTING("Option2"), DRIVER_SETTING("Option3"), DRIVER_SETTING("Option4"),
    DRIVER_SETTING("Option5"), DRIVER_SETTING("Option6"), DRIVER_SETTING("Option7"), DRIVER_SETTING("Option8"),
    DRIVER_SETTING("Option9"), DRIVER_SETTING("Option10"), DRIVER_SETTING("Option11"), DRIVER_SETTING("Option12"),
    DRIVER_SETTING("Option13"), DRIVER_SETTING("Number"), DRIVER_SETTING("Choice"), DRIVER_SETTING("Switch"),
};

// --- Figures printed at the end ---------------------------------------------

struct Figures
{
    int cases = 0;
    int rules = 0;
    int rulesFired = 0;
    int steps = 0;
    double seconds = 0;
    double slowest = 0;
    std::string slowestName;
};
Figures g_figures;
Observations g_baseline;
bool g_baselineOk = false;

// The configuration's fault lines, one string each.
std::vector<std::string> FaultLines(const char* faults)
{
    return e2e::Lines(faults);
}

// "fault <target> <kind> ..." -> target
std::string Target(const std::string& line)
{
    size_t a = line.find(' ');
    size_t b = line.find(' ', a + 1);
    return line.substr(a + 1, b - a - 1);
}

// Runs the program with the given fault lines, drives both passes and
// closes it; the checks every run must pass are made here.
Observations RunWithFaults(const std::string& tag, const char* faults, int mode, std::string* pJournal,
                           int* pSteps)
{
    Observations obs;
    AppRun run(tag, FleetConfig() + faults);
    if (mode & kStartupBox)
    {
        EXPECT_TRUE(run.StartExpectingBox(ResourceText(IDS_NO_SERVICE_CAPTION)));
        DWORD code = 1234;
        EXPECT_TRUE(run.Process().WaitExit(15000, &code)) << "still running after its message box";
        EXPECT_EQ(1u, run.Boxes().size());
        if (!run.Boxes().empty())
        {
            EXPECT_EQ(ResourceText(IDS_NO_SERVICE_CAPTION) + " | " + ResourceText(IDS_NO_SERVICE_TEXT),
                      run.Boxes()[0]);
        }
    }
    else if (run.StartToSheet())
    {
        DriveAllPages(run, obs, "p1", true);
        DriveAllPages(run, obs, "p2", false);
        DWORD code = 1234;
        if (!run.Broken())
        {
            EXPECT_TRUE(run.Close(&code));
            EXPECT_EQ(0u, code) << "exit code";
        }
        std::vector<std::string> boxes = run.Boxes();
        if (mode & kNotTakenBox)
        {
            // The one box expected: the driver settings page's, naming what
            // the device did not take.
            const std::string caption = ResourceText(IDS_DRIVER_PAGE) + " | ";
            EXPECT_EQ(1u, boxes.size()) << "boxes of settings not taken";
            if (!boxes.empty() && boxes[0].compare(0, caption.size(), caption) == 0)
                boxes.erase(boxes.begin());
        }
        if (mode & kNoDeviceTakes)
        {
            // Without a current device the settings object takes nothing:
            // each apply says so, naming every setting (the number among them).
            const std::string caption = ResourceText(IDS_DRIVER_PAGE) + " | ";
            const std::string number = ResourceText(IDS_DRV_NUMBER_NAME);
            EXPECT_FALSE(boxes.empty()) << "no apply said that nothing was taken";
            for (auto box = boxes.begin(); box != boxes.end();)
            {
                if (box->compare(0, caption.size(), caption) == 0 && box->find(number) != std::string::npos)
                    box = boxes.erase(box);
                else
                    ++box;
            }
        }
        for (const std::string& box : boxes)
            ADD_FAILURE() << "message box: " << box;
    }
    for (const std::string& problem : run.Problems())
        ADD_FAILURE() << problem;
    EXPECT_TRUE(run.Problems().empty());
    *pJournal = run.Session().Journal();
    *pSteps = run.StepCount();
    for (const std::string& problem : JournalProblems(*pJournal))
        ADD_FAILURE() << problem;
    return obs;
}

class FaultInjection : public ::testing::TestWithParam<FaultCase>
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(e2e::RegisterSimulator(true));
        std::string journal;
        const double start = Seconds();
        int steps = 0;
        g_baseline = RunWithFaults("baseline", "", kOwnCheck, &journal, &steps);
        g_figures.steps += steps;
        g_baselineOk = !::testing::Test::HasFailure() && g_baseline.size() > 100;
        g_figures.seconds += Seconds() - start;
        printf("[ figures  ] baseline run: %d steps, %u observations, %.2f s\n", steps,
               (unsigned)g_baseline.size(), Seconds() - start);
    }
    static void TearDownTestSuite()
    {
        printf("[ figures  ] fault cases run: %d (+1 baseline); fault rules: %d, fired: %d; "
               "program steps checked: %d; total %.1f s, %.2f s per run; slowest %s %.2f s\n",
               g_figures.cases, g_figures.rules, g_figures.rulesFired, g_figures.steps, g_figures.seconds,
               g_figures.seconds / (g_figures.cases + 1), g_figures.slowestName.c_str(), g_figures.slowest);
    }
};

TEST_P(FaultInjection, ProgramCopesAndReleasesEverything)
{
    const FaultCase& c = GetParam();
    ASSERT_TRUE(g_baselineOk) << "the run without faults did not work";
    const double start = Seconds();
    std::string journal;
    int steps = 0;
    const Observations obs = RunWithFaults(c.name, c.faults, c.mode, &journal, &steps);
    const double took = Seconds() - start;
    g_figures.seconds += took;
    ++g_figures.cases;
    if (took > g_figures.slowest)
    {
        g_figures.slowest = took;
        g_figures.slowestName = c.name;
    }
    g_figures.steps += steps;

    // Every rule fired, and (for a rule on the n-th call) the operation
    // worked again afterwards.
    const std::vector<std::string> journalLines = e2e::Lines(journal);
    const std::vector<std::string> faults = FaultLines(c.faults);
    for (size_t i = 0; i < faults.size(); ++i)
    {
        ++g_figures.rules;
        const std::string& rule = faults[i];
        const bool refuse = rule.find(" refuse") != std::string::npos;
        const std::string mark = refuse ? std::string("(refused)")
                                        : "(fault, line " + std::to_string(kFirstFaultLine + (int)i) + ")";
        int firedAt = -1;
        for (size_t n = 0; n < journalLines.size() && firedAt < 0; ++n)
            if (journalLines[n].find(mark) != std::string::npos)
                firedAt = (int)n;
        EXPECT_GE(firedAt, 0) << "the rule \"" << rule << "\" never fired";
        if (firedAt >= 0)
            ++g_figures.rulesFired;
        if (firedAt >= 0 && (c.mode & kSameSecondPass) && rule.find(" call=") != std::string::npos)
        {
            const std::string call = Target(rule) + "(";
            bool worked = false;
            for (size_t n = (size_t)firedAt + 1; n < journalLines.size() && !worked; ++n)
                worked = journalLines[n].compare(0, call.size(), call) == 0 &&
                         journalLines[n].find("-> 0x00000000") != std::string::npos &&
                         journalLines[n].find("(fault") == std::string::npos;
            EXPECT_TRUE(worked) << Target(rule) << " never worked again after the faulted call";
        }
    }

    if (c.mode & kStartupBox)
        return;
    if (c.mode & kSame)
        ExpectSameAs(obs, g_baseline, "");
    else if (c.mode & kSameSecondPass)
        ExpectSameAs(obs, g_baseline, "p2.");
    if (c.check)
        c.check(obs, g_baseline);
}

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultInjection, ::testing::ValuesIn(kCases), CaseName);

} // namespace
