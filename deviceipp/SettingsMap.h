// SettingsMap.h - the sixteen driver settings of the contract and what each
// is on an IPP printer: a job default written with Set-Printer-Attributes or
// CUPS-Add-Modify-Printer and read back with Get-Printer-Attributes, or a
// setting with no IPP counterpart that the service keeps per printer in its
// own state file.
//
// Which is which follows the Driver Settings page's labels:
//   Option13 two-sided printing   sides-default (one-sided / two-sided-long-edge)
//   Option10 collate copies       multiple-document-handling-default
//   Option4  reverse page order   outputorder-default (CUPS queues) or
//                                 page-delivery-default (other printers)
//   Option11 fit to paper size    print-scaling-default (fit / none)
//   Option2  job header page      job-sheets-default (standard / none)
//   Option3  mirror image         mirror-default
//   Number   default copies       copies-default; NumberMax: copies-supported
//   Choice   Draft/Normal/High    print-quality-default 3/4/5
//   Switch   Colour/Black         print-color-mode-default (color / monochrome)
//   Option1 (skip empty pages), Option5 (no control on the page), Option6
//   (ink saving), Option7 to Option9 (status monitor), Option12 (gray as
//   black): kept by the service.
#ifndef DEVICEIPP_SETTINGSMAP_H
#define DEVICEIPP_SETTINGSMAP_H

#include <windows.h>

#include <string>

#include "deviceipp/PrinterModel.h"
#include "ipp/IppPrinter.h"

enum Setting
{
    SET_OPTION1, SET_OPTION2, SET_OPTION3, SET_OPTION4, SET_OPTION5, SET_OPTION6, SET_OPTION7,
    SET_OPTION8, SET_OPTION9, SET_OPTION10, SET_OPTION11, SET_OPTION12, SET_OPTION13,
    SET_NUMBER, SET_CHOICE, SET_SWITCH,
    SET_COUNT
};

// "Option1" ... "Switch"; NULL outside the range.
const char* SettingName(int which);
int SettingFromName(const std::string& name);

// True for a setting with an IPP counterpart (a job default of the printer).
bool IsPrinterSetting(int which);

// The setting's value as the printer reports it. An attribute the printer
// does not report reads as the documented default (what a printer without
// that default does: one-sided, collated, normal quality, ...).
long ReadSetting(int which, const PrinterFacts& facts);
// The documented default of a setting (the Defaults button's values). The
// colour mode's default is colour on a colour printer, black otherwise.
long DefaultSetting(int which, const PrinterFacts* facts);
// The upper bound of the copies: copies-supported's, at most 65535 (the page
// uses 16 bits), 1 when the printer reports none.
long CopiesMax(const PrinterFacts& facts);

// Plans writing `value`: S_OK with the job default to send in `change` (and
// its attribute text in `described`), S_FALSE when the printer holds that
// value already, E_INVALIDARG for a value outside the setting's range, or
// DEVIPP_E_UNSUPPORTED when the printer reports that it does not support it.
HRESULT PlanWrite(int which, long value, const PrinterFacts& facts, ipp::JobDefaults& change,
                  std::string& described);

#endif // DEVICEIPP_SETTINGSMAP_H
