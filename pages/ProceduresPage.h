// ProceduresPage.h - CProceduresPage: nine buttons that start numbered device procedures, and the device text.
#pragma once

#include "framework/afx.h"

class CProceduresPage : public CPropertyPage
{
public:
    CProceduresPage();

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
