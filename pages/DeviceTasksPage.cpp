// DeviceTasksPage.cpp - CDeviceTasksPage.
#include "pages/DeviceTasksPage.h"

#include "lang/ServiceRes.h"
#include "pages/PageSupport.h"
#include "service/ComRef.h"

BEGIN_MESSAGE_MAP(CDeviceTasksPage, CPropertyPage)
    ON_BN_CLICKED(IDC_TASK_FIRST, OnFirstTask)
    ON_BN_CLICKED(IDC_TASK_SECOND, OnSecondTask)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_TASK_FIRST_SPARE, OnFirstTask)
END_MESSAGE_MAP()

CDeviceTasksPage::CDeviceTasksPage() : CPropertyPage(IDD_TASKS_PAGE, 0), m_pTasks(NULL)
{
}

CDeviceTasksPage::~CDeviceTasksPage()
{
    // Nothing to release here: the interface goes with the window (OnDestroy),
    // and by the time the page object is deleted at exit the device service
    // itself may already be gone.
}

void CDeviceTasksPage::DoDataExchange(CDataExchange* pDX)
{
    // The page has no members to exchange.
    CPropertyPage::DoDataExchange(pDX);
}

BOOL CDeviceTasksPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    static const ControlText kTexts[] = {
        { IDC_TASK_FIRST_LABEL, IDS_TASK_FIRST_LABEL },
        { IDC_TASK_SECOND_LABEL, IDS_TASK_SECOND_LABEL },
        { IDC_TASKS_NOTE, IDS_TASKS_NOTE },
        { IDC_TASKS_SPARE_NOTE, IDS_TASKS_NOTE },
    };
    SetControlTexts(*this, IDS_TASKS_PAGE, kTexts);
    static const int hidden[] = { IDC_TASKS_SPARE_NOTE, IDC_TASK_FIRST_SPARE };
    for (int nControl : hidden)
    {
        CWnd* pControl = GetDlgItem(nControl);
        if (pControl != NULL)
            pControl->ShowWindow(SW_HIDE);
    }

    // A window of this page object created a second time starts from scratch.
    ReleaseInterface(m_pTasks);

    if (g_pDeviceService != NULL)
    {
        ComRef<IUnknown> object;
        // An object that refuses the interface leaves the buttons inert.
        if (SUCCEEDED(g_pDeviceService->GetDeviceTasks(object.Out())))
            QueryInterfaceInto(object.Get(), IID_IServiceTasks, m_pTasks);
        // The object is released here whether or not GetDeviceTasks succeeded;
        // the page keeps only the interface.
        object.Release();
    }
    return TRUE;
}

void CDeviceTasksPage::OnFirstTask()
{
    if (m_pTasks != NULL)
        m_pTasks->StartFirstTask();
}

void CDeviceTasksPage::OnSecondTask()
{
    if (m_pTasks != NULL)
        m_pTasks->StartSecondTask();
}

void CDeviceTasksPage::OnDestroy()
{
    CPropertyPage::OnDestroy();
    // The pointer is cleared as the interface is released, so that nothing
    // after WM_DESTROY (a late click, a second window of this page object)
    // can reach a released interface or release it twice.
    ReleaseInterface(m_pTasks);
}
