// StartupDialog.h - CStartupDialog, the start-up gate, and CModelNameEdit,
// its model name field.
//
// The accept button is enabled only while the text being typed is one of the
// six known model code names; the sixth name selects the reduced page set.
#pragma once

#include "framework/afx.h"

class CModelNameEdit : public CEdit
{
public:
    CModelNameEdit();
    virtual ~CModelNameEdit() {}

    // The button the field enables and disables. Returns TRUE.
    BOOL SetTargetButton(HWND hwnd);
    // TRUE when pszName is the model name that selects the reduced page set
    // (compared in any letter case).
    BOOL IsReducedModel(LPCSTR pszName) const;

    // Called for every character typed: enables the target button exactly
    // when the text with this character appended names a known model, then
    // lets the control insert the character as typed.
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);

protected:
    enum { kNameSlot = 20, kTableModels = 5 };
    char m_szModels[kTableModels][kNameSlot];   // matched byte for byte
    char m_szReducedModel[kNameSlot];           // matched in any letter case
    HWND m_hwndTarget;

    DECLARE_MESSAGE_MAP()
};

class CStartupDialog : public CDialog
{
public:
    explicit CStartupDialog(CWnd* pParent = NULL);
    virtual ~CStartupDialog() {}

    // After DoModal returned IDOK: false when the reduced page set was chosen.
    bool IsFullPageSet() const { return m_bFullPageSet; }
    // Where the dialog's window was when it went, in screen coordinates.
    const RECT& GetLastPlace() const { return m_rcLastPlace; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnAccept();
    void OnDestroy();

    HANDLE m_hMapping;
    HICON m_hIcon;
    bool m_bFullPageSet;
    RECT m_rcLastPlace;
    CModelNameEdit m_edtModel;

    DECLARE_MESSAGE_MAP()
};
