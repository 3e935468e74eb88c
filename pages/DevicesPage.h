// DevicesPage.h - CDevicesPage: the device list, the selected device's details; makes the selected device current.
#pragma once

#include "framework/afx.h"
#include "service/DeviceService.h"

// The first page of the service sheet. It lists the devices of the device
// service (one row per device: name with a type icon, two column texts),
// shows four details of the selected device, makes the selected device the
// device service's current device and names it in the sheet's title.
//
// Rows are keyed by their column-0 text (the device name) through
// m_mapDeviceIds, so the page never depends on the order of the rows.
class CDevicesPage : public CPropertyPage
{
public:
    CDevicesPage();
    virtual ~CDevicesPage();

    // The most UTF-16 units of a detail text that the page shows; a longer
    // text is cut there (see DevicesPage.cpp).
    static const int kDetailTextLimit = 1024;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Sets the texts, builds the image list and the columns, loads the list
    // and selects the current device. Returns TRUE.
    BOOL OnInitDialog() override;

    // Message handlers.
    void OnDestroy();
    void OnClickDeviceList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblclkDeviceList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeydownDeviceList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemchangedDeviceList(NMHDR* pNMHDR, LRESULT* pResult);

    // Fills the list: one row per device with its name and icon, then the
    // column texts of every row found through its name.
    void LoadDeviceList();
    // Selects the row of the device service's current device (row 0 when
    // none matches), makes it current and names it in the title.
    void SelectCurrentDevice();
    // Makes the selected row's device current and shows its details; with
    // no row selected, selects the row last shown again.
    void ShowSelectedDevice();
    // Sets the sheet's title to the selected device's name and the
    // application title.
    void UpdateSheetTitle();
    // The image index for a device type.
    int GetTypeImage(long nType) const;
    // Empties m_mapDeviceIds.
    void FreeDeviceIds();
    // Widens the last column to the list's right edge.
    void FitLastColumn();

    long m_nDetailNumber;              // the last DetailNumber the device service gave
    CString m_strDetailNumber;         // what shows of it: in the user's number format, empty when not given
    long m_nCurrentRow;
    long m_nCurrentDeviceId;
    CMapStringToPtr m_mapDeviceIds;   // device name -> its 32-bit device id, held in the pointer
    long m_nColText1;
    long m_nColText2;
    long m_nColName;
    long m_nImageType0;
    long m_nImageType3;
    long m_nImageType2;
    long m_nImageType1;
    CImageList* m_pImageList;
    CButton m_btnDetailText1;
    CButton m_btnDetailText3;
    CButton m_btnDetailNumber;
    CButton m_btnDetailText2;
    CListCtrl m_listDevices;
    CString m_strDetail2;
    CString m_strDetail3;
    CString m_strDetail1;
    IServiceDevices* m_pDevices;
    bool m_bSelecting;          // the page itself is changing the selection
    int m_nRowShownByChange;    // the row a selection change made current, until the click that made it

    DECLARE_MESSAGE_MAP()
};
