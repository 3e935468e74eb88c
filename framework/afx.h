// afx.h - the framework in one include: CWinApp, CWnd, CDialog, the property
// sheet and pages, data exchange, controls, CString and CMapStringToPtr.
#pragma once

#include "framework/AfxString.h"
#include "framework/AfxMap.h"
#include "framework/AfxWnd.h"
#include "framework/AfxApp.h"
#include "framework/AfxDialog.h"
#include "framework/AfxSheet.h"
#include "framework/AfxCtrl.h"
