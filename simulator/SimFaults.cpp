// SimFaults.cpp - the operation catalogue and the fault table.
#include "simulator/SimFaults.h"

#include "simulator/SimModel.h"

#include <vector>

namespace {

std::vector<SimOperation>* s_catalogue = NULL;
std::vector<SimFault>* s_faults = NULL;

void Add(std::vector<SimOperation>& list, const char* name, SimOutKind out)
{
    SimOperation op;
    op.name = name;
    op.out = out;
    list.push_back(op);
}

const std::vector<SimOperation>& Catalogue()
{
    if (s_catalogue != NULL)
        return *s_catalogue;
    s_catalogue = new std::vector<SimOperation>();
    std::vector<SimOperation>& c = *s_catalogue;
    static const char* const interfaces[] = {
        "IDeviceService", "IServiceDevices", "IServiceDevice", "IServiceReport",
        "IServiceReportOption", "IServiceAction", "IServiceMemory", "IServiceDriverSettings",
        "IServiceTasks", "IServiceProcedure", "IServiceProcedureOptions", "IServiceCommand" };
    for (size_t i = 0; i < sizeof(interfaces) / sizeof(interfaces[0]); ++i)
        Add(c, interfaces[i], OUT_INTERFACE);

    Add(c, "IClassFactory.CreateInstance", OUT_OBJECT);
    Add(c, "IDeviceService.GetDevices", OUT_OBJECT);
    Add(c, "IDeviceService.GetCurrentDevice", OUT_NUMBER);
    Add(c, "IDeviceService.SetCurrentDevice", OUT_NONE);
    Add(c, "IDeviceService.GetSettings", OUT_OBJECT);
    Add(c, "IDeviceService.GetOptionProcedure", OUT_OBJECT);
    Add(c, "IDeviceService.GetReport", OUT_OBJECT);
    Add(c, "IDeviceService.GetAction", OUT_OBJECT);
    Add(c, "IDeviceService.GetDeviceTasks", OUT_OBJECT);
    Add(c, "IDeviceService.GetCommand", OUT_OBJECT);
    Add(c, "IDeviceService.GetProcedureA", OUT_OBJECT);
    Add(c, "IDeviceService.GetProcedureB", OUT_OBJECT);
    Add(c, "IDeviceService.GetProcedureC", OUT_OBJECT);
    Add(c, "IDeviceService.GetSettingsDeviceName", OUT_STRING);
    Add(c, "IDeviceService.GetDeviceText", OUT_STRING);
    Add(c, "IDeviceService.GetCurrentDeviceName", OUT_STRING);

    Add(c, "IServiceDevices.Item", OUT_ITEM);
    Add(c, "IServiceDevices.Count", OUT_NUMBER);

    Add(c, "IServiceDevice.ColumnText1", OUT_STRING);
    Add(c, "IServiceDevice.ColumnText2", OUT_STRING);
    Add(c, "IServiceDevice.Name", OUT_STRING);
    Add(c, "IServiceDevice.Id", OUT_NUMBER);
    Add(c, "IServiceDevice.DetailText3", OUT_STRING);
    Add(c, "IServiceDevice.DetailNumber", OUT_NUMBER);
    Add(c, "IServiceDevice.DetailText2", OUT_STRING);
    Add(c, "IServiceDevice.DetailText1", OUT_STRING);
    Add(c, "IServiceDevice.Type", OUT_NUMBER);

    Add(c, "IServiceReport.ExecuteAlternate", OUT_NONE);
    Add(c, "IServiceReport.Execute", OUT_NONE);
    Add(c, "IServiceReport.CanExecuteAlternate", OUT_NUMBER);
    Add(c, "IServiceReport.CanExecute", OUT_NUMBER);
    Add(c, "IServiceReportOption.SetReportOption", OUT_NONE);
    Add(c, "IServiceAction.Run", OUT_NONE);

    Add(c, "IServiceMemory.ReadValue", OUT_VARIANT);
    Add(c, "IServiceMemory.WriteValue", OUT_NONE);
    Add(c, "IServiceMemory.GetDefaultValue", OUT_VARIANT);
    Add(c, "IServiceMemory.IsValidLocation", OUT_NUMBER);

    for (int which = 0; which < SET_COUNT; ++which) {
        const std::string name = SettingName(which);
        Add(c, ("IServiceDriverSettings.Get" + name).c_str(), OUT_NUMBER);
        Add(c, ("IServiceDriverSettings.Set" + name).c_str(), OUT_NONE);
        Add(c, ("IServiceDriverSettings.GetDefault" + name).c_str(), OUT_NUMBER);
    }
    Add(c, "IServiceDriverSettings.GetNumberMax", OUT_NUMBER);
    Add(c, "IServiceDriverSettings.SetDevice", OUT_NONE);

    Add(c, "IServiceTasks.StartSecondTask", OUT_NONE);
    Add(c, "IServiceTasks.StartFirstTask", OUT_NONE);
    Add(c, "IServiceProcedure.Start", OUT_NUMBER);
    Add(c, "IServiceProcedureOptions.SetOptions", OUT_NONE);
    Add(c, "IServiceCommand.Perform", OUT_NONE);
    return c;
}

} // namespace

const SimOperation* FindOperation(const std::string& name)
{
    const std::vector<SimOperation>& c = Catalogue();
    for (size_t i = 0; i < c.size(); ++i) {
        if (c[i].name == name)
            return &c[i];
    }
    return NULL;
}

void AddFault(const SimFault& fault)
{
    if (s_faults == NULL)
        s_faults = new std::vector<SimFault>();
    s_faults->push_back(fault);
}

void ClearFaults()
{
    delete s_faults;
    s_faults = NULL;
    delete s_catalogue;
    s_catalogue = NULL;
}

long FaultCount()
{
    return s_faults == NULL ? 0 : static_cast<long>(s_faults->size());
}

const SimFault* ConsultFaults(const std::string& target)
{
    if (s_faults == NULL)
        return NULL;
    const SimFault* found = NULL;
    for (size_t i = 0; i < s_faults->size(); ++i) {
        SimFault& rule = (*s_faults)[i];
        if (rule.target != target)
            continue;
        ++rule.calls;
        if (found == NULL && (rule.onlyCall == 0 || rule.onlyCall == rule.calls))
            found = &rule;
    }
    return found;
}
