// DeviceMemoryPage.cpp - CDeviceMemoryPage.
#include "pages/DeviceMemoryPage.h"

#include "lang/ServiceRes.h"
#include "pages/PageSupport.h"
#include "service/ComRef.h"
#include "service/DeviceService.h"

namespace
{

// Gets the memory object (settings set 1) and its IServiceMemory into the two
// holders; FALSE when the service, the object or the interface is missing.
// Declare the object holder before the interface holder at the caller, so
// that the interface is released first.
bool OpenMemory(ComRef<IUnknown>& settings, ComRef<IServiceMemory>& memory)
{
    if (g_pDeviceService == NULL)
        return false;
    if (FAILED(g_pDeviceService->GetSettings(CDeviceMemoryPage::kMemorySettingsSet, settings.Out())))
        return false;
    return SUCCEEDED(memory.QueryFrom(settings.Get(), IID_IServiceMemory));
}

// The number a VARIANT from the device holds, as a 32-bit integer. The value
// goes through the standard VARIANT coercion to VT_I4, so that a number the
// service hands out as another type (VT_I2, VT_UI4, VT_R8, decimal text, ...)
// still reads right. An empty VARIANT, a value that does not coerce (text that
// is no number, a number beyond 32 bits) and a null object or reference count
// as nothing read: 0. Null pointers are caught here because the coercion would
// follow them.
long LongFromVariant(const VARIANT& value)
{
    const VARTYPE vt = V_VT(&value);
    if (vt == VT_EMPTY)
        return 0;
    if ((vt & (VT_BYREF | VT_ARRAY)) != 0 || vt == VT_DISPATCH || vt == VT_UNKNOWN)
    {
        if (V_BYREF(&value) == NULL)
            return 0;
    }
    VARIANT converted;
    VariantInit(&converted);
    long result = 0;
    if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_I4))
        && V_VT(&converted) == VT_I4)
        result = V_I4(&converted);
    VariantClear(&converted);
    return result;
}

} // namespace

BEGIN_MESSAGE_MAP(CDeviceMemoryPage, CPropertyPage)
    ON_BN_CLICKED(IDC_MEM_READ, OnRead)
    ON_BN_CLICKED(IDC_MEM_WRITE, OnWrite)
    ON_BN_CLICKED(IDC_MEM_RESTORE_DEFAULT, OnRestoreDefault)
    ON_BN_CLICKED(IDC_MEM_REPORT, OnReport2)
    ON_EN_CHANGE(IDC_MEM_LOCATION, OnLocationChange)
    ON_EN_CHANGE(IDC_MEM_NEW_VALUE, OnValueChange)
    ON_EN_SETFOCUS(IDC_MEM_LOCATION, OnLocationSetFocus)
    ON_EN_UPDATE(IDC_MEM_LOCATION, OnLocationUpdate)
    ON_EN_UPDATE(IDC_MEM_NEW_VALUE, OnValueUpdate)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDeviceMemoryPage::CDeviceMemoryPage()
    : CPropertyPage(IDD_MEMORY_PAGE, 0), m_nDefaultValue(0), m_dwLastDevice(0), m_bLocationOutOfRange(false),
      m_nLocation(0), m_nNewValue(0), m_nCurrentValue(0)
{
}

void CDeviceMemoryPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MEM_RESTORE_DEFAULT, m_btnRestoreDefault);
    DDX_Text(pDX, IDC_MEM_DEFAULT_VALUE, m_nDefaultValue);
    DDX_Control(pDX, IDC_MEM_LOCATION, m_editLocation);
    DDX_Control(pDX, IDC_MEM_NEW_VALUE, m_editValue);
    DDX_Control(pDX, IDC_MEM_WRITE, m_btnWrite);
    DDX_Control(pDX, IDC_MEM_READ, m_btnRead);
    DDX_Text(pDX, IDC_MEM_LOCATION, m_nLocation);
    DDX_Text(pDX, IDC_MEM_NEW_VALUE, m_nNewValue);
    DDX_Text(pDX, IDC_MEM_CURRENT_VALUE, m_nCurrentValue);
    DDX_Text(pDX, IDC_MEM_STATUS, m_strStatus);
}

void CDeviceMemoryPage::SelectAll(CEdit& edit)
{
    if (edit.m_hWnd)
        edit.SetSel(0, -1);   // EM_SETSEL 0..-1, then EM_SCROLLCARET
}

BOOL CDeviceMemoryPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetModified(FALSE);

    static const ControlText kTexts[] = {
        { IDC_MEM_GROUP, IDS_MEM_GROUP },
        { IDC_MEM_LOCATION_LABEL, IDS_MEM_LOCATION_LABEL },
        { IDC_MEM_CURRENT_LABEL, IDS_MEM_CURRENT_LABEL },
        { IDC_MEM_DEFAULT_LABEL, IDS_MEM_DEFAULT_LABEL },
        { IDC_MEM_NEW_VALUE_LABEL, IDS_MEM_NEW_VALUE_LABEL },
        { IDC_MEM_WRITE, IDS_MEM_WRITE },
        { IDC_MEM_RESTORE_DEFAULT, IDS_MEM_RESTORE_DEFAULT },
        { IDC_MEM_READ, IDS_MEM_READ },
        { IDC_MEM_REPORT, IDS_MEM_REPORT },
        { IDC_MEM_REPORT_LABEL, IDS_MEM_REPORT_LABEL },
    };
    SetControlTexts(*this, IDS_MEMORY_PAGE, kTexts);

    // The location field's focus handler puts the page into "choose location".
    m_editLocation.SetFocus();
    return TRUE;
}

BOOL CDeviceMemoryPage::OnSetActive()
{
    if (DeviceChanged(m_dwLastDevice))
    {
        m_nLocation = 0;
        UpdateData(FALSE);
    }
    return CPropertyPage::OnSetActive();
}

void CDeviceMemoryPage::OnLocationChange()
{
    // On a field that does not parse (pasted text) the framework has shown
    // its prompt; the handler goes on with the location held, but one box
    // for one change is enough: the range is not told on top of it.
    const BOOL bParsed = UpdateData(TRUE);
    if (m_nLocation >= kLowestLocation && m_nLocation <= kHighestLocation)
    {
        m_btnRead.EnableWindow(TRUE);
        m_bLocationOutOfRange = false;
        return;
    }
    AfxEnableControl(m_btnRead, FALSE);
    m_bLocationOutOfRange = true;
    if (bParsed)
        ShowRangeMessage(IDS_MEM_RANGE_TEXT, IDS_MEM_RANGE_CAPTION, kLowestLocation, kHighestLocation);
}

void CDeviceMemoryPage::OnValueChange()
{
    const BOOL bParsed = UpdateData(TRUE);   // as for the location: one box per change
    if (IsValueInRange(m_nNewValue))
    {
        // Arms Write, unless the value is the one the location holds.
        if (m_nNewValue != m_nCurrentValue)
            m_btnWrite.EnableWindow(TRUE);
        return;
    }
    // Treated as an out-of-range location is: Write goes off, and the user
    // is told the range, once for every change that leaves it outside.
    AfxEnableControl(m_btnWrite, FALSE);
    if (bParsed)
        ShowRangeMessage(IDS_MEM_VALUE_RANGE_TEXT, IDS_MEM_VALUE_RANGE_CAPTION, kLowestValue, kHighestValue);
}

void CDeviceMemoryPage::ShowRangeMessage(UINT nIDText, UINT nIDCaption, int nLowest, int nHighest)
{
    CString text;
    text.FormatMessage(nIDText, nLowest, nHighest);
    CString caption;
    caption.LoadString(nIDCaption);
    AfxShowMessageBox(NULL, text, caption, MB_ICONINFORMATION | MB_OK);
}

void CDeviceMemoryPage::OnLocationUpdate()
{
    if (m_editLocation.GetWindowTextLength() != 0)
        return;
    // An emptied field reads "0", selected, so the next digit replaces it.
    m_nLocation = 0;
    UpdateData(FALSE);
    SelectAll(m_editLocation);
}

void CDeviceMemoryPage::OnValueUpdate()
{
    if (m_editValue.GetWindowTextLength() != 0)
        return;
    m_nNewValue = 0;
    UpdateData(FALSE);
    SelectAll(m_editValue);
}

void CDeviceMemoryPage::OnLocationSetFocus()
{
    // "Choose location": nothing read yet, only the location and Read usable.
    m_nCurrentValue = 0;
    m_nNewValue = 0;
    m_nDefaultValue = 0;
    UpdateData(FALSE);
    SelectAll(m_editLocation);
    AfxEnableControl(m_editValue, FALSE);
    AfxEnableControl(m_btnWrite, FALSE);
    AfxEnableControl(m_btnRestoreDefault, FALSE);
    if (!m_bLocationOutOfRange)
        m_btnRead.EnableWindow(TRUE);
}

void CDeviceMemoryPage::OnRead()
{
    UpdateData(TRUE);

    ComRef<IUnknown> settings;
    ComRef<IServiceMemory> memory;
    if (!OpenMemory(settings, memory))
        return;

    long valid = 0;
    if (FAILED(memory->IsValidLocation(m_nLocation, &valid)) || valid != 1)
    {
        m_strStatus.Format((UINT)IDS_MEM_NOT_AVAILABLE, m_nLocation);
        UpdateData(FALSE);
        m_editLocation.SetFocus();   // back to "choose location"
        memory.Release();
        settings.Release();
        return;
    }

    m_strStatus.Empty();
    m_nCurrentValue = ReadCurrentValue();

    VARIANT defaultValue;
    VariantInit(&defaultValue);   // VT_EMPTY
    memory->GetDefaultValue(m_nLocation, &defaultValue);   // whatever it left there counts
    m_nDefaultValue = LongFromVariant(defaultValue);

    UpdateData(FALSE);
    m_editValue.EnableWindow(TRUE);
    m_editValue.SetFocus();
    SelectAll(m_editValue);
    m_btnWrite.EnableWindow(TRUE);
    m_btnRestoreDefault.EnableWindow(TRUE);

    VariantClear(&defaultValue);
    memory.Release();
    settings.Release();
}

long CDeviceMemoryPage::ReadCurrentValue()
{
    ComRef<IUnknown> settings;
    ComRef<IServiceMemory> memory;
    if (!OpenMemory(settings, memory))
        return 0;

    VARIANT value;
    VariantInit(&value);   // VT_EMPTY
    long result = 0;
    if (SUCCEEDED(memory->ReadValue(m_nLocation, &value)))
        result = LongFromVariant(value);
    VariantClear(&value);
    memory.Release();
    settings.Release();
    return result;
}

void CDeviceMemoryPage::OnWrite()
{
    // A field that does not parse (pasted text) has been reported and has
    // the focus: nothing is written.
    if (!UpdateData(TRUE))
        return;

    // A value the location cannot hold (pasted, or a default the device
    // gave) is never sent: the user is told the range, as while typing.
    if (!IsValueInRange(m_nNewValue))
    {
        AfxEnableControl(m_btnWrite, FALSE);
        ShowRangeMessage(IDS_MEM_VALUE_RANGE_TEXT, IDS_MEM_VALUE_RANGE_CAPTION, kLowestValue, kHighestValue);
        if (m_editValue.IsWindowEnabled())
        {
            SelectAll(m_editValue);
            m_editValue.SetFocus();
        }
        return;
    }

    if (m_nCurrentValue == m_nNewValue)
    {
        m_strStatus.Format((UINT)IDS_MEM_UNCHANGED, m_nLocation, m_nLocation);
        UpdateData(FALSE);
        SelectAll(m_editValue);
        m_editValue.SetFocus();
        return;
    }

    {
        ComRef<IUnknown> settings;
        ComRef<IServiceMemory> memory;
        if (OpenMemory(settings, memory))
        {
            VARIANT value;
            VariantInit(&value);
            V_VT(&value) = VT_I4;
            V_I4(&value) = m_nNewValue;
            if (FAILED(memory->WriteValue(m_nLocation, value)))
            {
                m_strStatus.Format((UINT)IDS_MEM_WRITE_FAILED, m_nLocation);
                UpdateData(FALSE);
            }
            else if (ReadCurrentValue() == m_nNewValue)
            {
                m_strStatus.Format((UINT)IDS_MEM_WRITTEN, m_nLocation, m_nNewValue);
                UpdateData(FALSE);
            }
            else
            {
                // The location does not hold what was written: whether it
                // reads back as 0 or as any other value, the write failed.
                // The status line must say so; keeping the previous text
                // could leave an earlier "written and read back" standing
                // for a write that did not take.
                m_strStatus.Format((UINT)IDS_MEM_WRITE_FAILED, m_nLocation);
                UpdateData(FALSE);
            }
            VariantClear(&value);
        }
        memory.Release();
        settings.Release();
    }

    // Back to "choose location"; the read-back is not kept as the current value.
    m_editLocation.SetFocus();
}

void CDeviceMemoryPage::OnRestoreDefault()
{
    m_nNewValue = m_nDefaultValue;
    UpdateData(FALSE);
    // Show the default in the field before the write starts.
    if (m_editValue.m_hWnd)
        m_editValue.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    OnWrite();
}

void CDeviceMemoryPage::OnReport2()
{
    if (g_pDeviceService != NULL)
    {
        ComRef<IUnknown> object;
        ComRef<IServiceReport> report;
        if (SUCCEEDED(g_pDeviceService->GetReport(kListReport, object.Out()))
            && SUCCEEDED(report.QueryFrom(object.Get(), IID_IServiceReport)))
            report->Execute(0);
        report.Release();
        object.Release();
    }

    if (m_editValue.m_hWnd && m_editValue.IsWindowEnabled())
    {
        SelectAll(m_editValue);
        m_editValue.SetFocus();
    }
    else
    {
        m_editLocation.SetFocus();
    }
}
