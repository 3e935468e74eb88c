// ServiceRes.h: resource ids of the resource module ServiceRes.dll.
//
// Plain #defines, included by the C++ code and by ServiceRes.rc alike. The
// code refers to every dialog template, control, string, icon and bitmap by
// these names; the numbers are fixed and shared with the executable.
//
// Prefixes: IDD_ dialog template, IDC_ control, IDS_ string, IDI_ icon,
// IDB_ bitmap. Control ids are unique within their dialog only: the
// procedures page and the reports page both use 15420 and 15421.

#ifndef SERVICERES_H
#define SERVICERES_H

#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif

// ---------------------------------------------------------------------------
// Icons and bitmap
#define IDI_APP                         6415    // the application
#define IDI_DEVICE_TYPE1                6416    // printer: device types 1, 5 and unknown types
#define IDI_DEVICE_TYPE3                6417    // fax: device types 3 and 4
#define IDI_DEVICE_TYPE2                6420    // copier: device type 2
#define IDI_DEVICE_TYPE0                6423    // scanner: device type 0
#define IDB_LOGO                        6422    // the maker's logo beside the Close button
#define IDB_LOGO_LARGE                  6424    // the same logo for 144 DPI

// ---------------------------------------------------------------------------
// Application and sheet
#define IDS_CLOSE                       23479   // caption of the sheet's Close button
#define IDS_NO_SERVICE_CAPTION          23481   // message box caption: device service missing
#define IDS_NO_SERVICE_TEXT             23484   // message box text: device service missing
#define IDS_APP_TITLE                   23493   // application title, tail of every sheet title
#define IDS_SHEET_TITLE                 23494   // head of the sheet title before a device is chosen
#define IDS_INSTANCE_SLOT_FAILED        23497   // FormatMessage: %1!lu! the system's error code

// The framework's prompt for a field that does not hold an integer.
#ifndef AFX_IDP_PARSE_INT
#define AFX_IDP_PARSE_INT               0xF110
#endif

// ---------------------------------------------------------------------------
// Start-up dialog
#define IDD_STARTUP                     6402
#define IDC_MODEL_PROMPT                15350   // label of the model name field
#define IDC_MODEL_NAME                  15351   // edit: the model's code name
#define IDC_ACCEPT                      15352   // push button: accept (default, starts disabled)
#define IDC_STARTUP_WARNING             15353   // static text
#define IDC_STARTUP_NOTE                15354   // static text
#define IDC_STOP_ICON                   15355   // static icon: the system's stop icon

#define IDS_STARTUP_CAPTION             23407
#define IDS_STARTUP_WARNING             23408
#define IDS_STARTUP_NOTE                23409
#define IDS_MODEL_PROMPT                23478

// ---------------------------------------------------------------------------
// Devices page
#define IDD_DEVICES_PAGE                6401
#define IDC_DETAIL_TEXT1_FRAME          15356   // group box titled with IDS_DETAIL_TEXT1_LABEL
#define IDC_DETAIL_TEXT1                15357   // static text: DetailText1
#define IDC_DETAIL_TEXT2_FRAME          15358   // group box titled with IDS_DETAIL_TEXT2_LABEL
#define IDC_DETAIL_TEXT2                15359   // static text: DetailText2
#define IDC_DETAIL_NUMBER_FRAME         15360   // group box titled with IDS_DETAIL_NUMBER_LABEL
#define IDC_DETAIL_NUMBER               15361   // static text: DetailNumber
#define IDC_DETAIL_TEXT3_FRAME          15362   // group box titled with IDS_DETAIL_TEXT3_LABEL
#define IDC_DETAIL_TEXT3                15363   // static text: DetailText3
#define IDC_DEVICE_LIST                 15364   // list view: report view, single selection
#define IDC_DEVICES_HINT                15365   // static text

#define IDS_DEVICES_PAGE                23365   // page text and tab label
#define IDS_DETAIL_TEXT2_LABEL          23368
#define IDS_DETAIL_TEXT1_LABEL          23369
#define IDS_DETAIL_NUMBER_LABEL         23370
#define IDS_DETAIL_TEXT3_LABEL          23371
#define IDS_COLUMN_TEXT1                23374   // list column 1
#define IDS_COLUMN_NAME                 23375   // list column 0
#define IDS_COLUMN_TEXT2                23376   // list column 2
#define IDS_DEVICES_HINT                23477

// ---------------------------------------------------------------------------
// Maintenance page
#define IDD_MAINTENANCE_PAGE            6412
#define IDC_MAINT_ACTION2_LABEL         15366   // static text
#define IDC_MAINT_ACTION2               15367   // push button: maintenance action 2
#define IDC_MAINT_ACTION1_LABEL         15369   // static text
#define IDC_MAINT_ACTION1               15370   // push button: maintenance action 1
#define IDC_MAINT_REPORT_LABEL          15371   // static text
#define IDC_MAINT_REPORT                15372   // push button: main command of report 10
#define IDC_MAINT_INTRO                 15373   // static text

#define IDS_MAINTENANCE_PAGE            23377   // page text and tab label
#define IDS_MAINT_INTRO                 23378
#define IDS_MAINT_ACTION1_LABEL         23379
#define IDS_MAINT_ACTION2_LABEL         23380
#define IDS_MAINT_REPORT_LABEL          23381

// ---------------------------------------------------------------------------
// Device memory page
#define IDD_MEMORY_PAGE                 6403
#define IDC_MEM_LOCATION                15374   // edit: location, 0 to 320
#define IDC_MEM_CURRENT_VALUE           15375   // static text: value read from the location
#define IDC_MEM_READ                    15376   // push button
#define IDC_MEM_WRITE                   15377   // push button
#define IDC_MEM_NEW_VALUE               15378   // edit: value to write, 0 to 65535
#define IDC_MEM_REPORT                  15379   // push button: main command of report 2
#define IDC_MEM_LOCATION_LABEL          15380   // static text
#define IDC_MEM_CURRENT_LABEL           15381   // static text
#define IDC_MEM_NEW_VALUE_LABEL         15382   // static text
#define IDC_MEM_GROUP                   15383   // group box around the location's fields
#define IDC_MEM_REPORT_LABEL            15384   // static text
#define IDC_MEM_STATUS                  15385   // static text: outcome of the last read or write
#define IDC_MEM_DEFAULT_VALUE           15386   // static text: default value of the location
#define IDC_MEM_DEFAULT_LABEL           15387   // static text
#define IDC_MEM_RESTORE_DEFAULT         15388   // push button

#define IDS_MEMORY_PAGE                 23398   // page text and tab label
#define IDS_MEM_GROUP                   23399
#define IDS_MEM_LOCATION_LABEL          23400
#define IDS_MEM_READ                    23401
#define IDS_MEM_WRITE                   23402
#define IDS_MEM_CURRENT_LABEL           23403
#define IDS_MEM_NEW_VALUE_LABEL         23404
#define IDS_MEM_REPORT                  23405
#define IDS_MEM_REPORT_LABEL            23406
#define IDS_MEM_RANGE_TEXT              23480   // FormatMessage: %1!d! lowest, %2!d! highest location
#define IDS_MEM_RANGE_CAPTION           23482
#define IDS_MEM_WRITTEN                 23485   // printf: location, value
#define IDS_MEM_NOT_AVAILABLE           23486   // printf: location
#define IDS_MEM_UNCHANGED               23487   // printf: location, location
#define IDS_MEM_DEFAULT_LABEL           23488
#define IDS_MEM_WRITE_FAILED            23489   // printf: location
#define IDS_MEM_RESTORE_DEFAULT         23490
#define IDS_MEM_VALUE_RANGE_TEXT        23498   // FormatMessage: %1!d! lowest, %2!d! highest value
#define IDS_MEM_VALUE_RANGE_CAPTION     23499

// ---------------------------------------------------------------------------
// Device tasks page
#define IDD_TASKS_PAGE                  6404
#define IDC_TASK_FIRST                  15389   // push button: first task
#define IDC_TASK_SECOND                 15390   // push button: second task
#define IDC_TASK_FIRST_LABEL            15391   // static text
#define IDC_TASKS_NOTE                  15392   // static text
#define IDC_TASK_SECOND_LABEL           15393   // static text
#define IDC_TASK_FIRST_SPARE            15394   // push button, hidden by the page: first task
#define IDC_TASKS_SPARE_NOTE            15395   // static text, hidden by the page

#define IDS_TASKS_PAGE                  23411   // page text and tab label
#define IDS_TASK_FIRST_LABEL            23412
#define IDS_TASK_SECOND_LABEL           23413
#define IDS_TASKS_NOTE                  23492

// ---------------------------------------------------------------------------
// Procedures page: four group boxes, each a run of buttons with their labels
#define IDD_PROCEDURES_PAGE             6405
#define IDC_PROC_GROUP1                 15396   // group box: procedures B
#define IDC_PROC_B1_LABEL               15397
#define IDC_PROC_B1                     15398   // push button: procedure B 1
#define IDC_PROC_B5_LABEL               15399
#define IDC_PROC_B5                     15400   // push button: procedure B 5
#define IDC_PROC_GROUP2                 15401   // group box: procedures A
#define IDC_PROC_A1_LABEL               15402
#define IDC_PROC_A1                     15403   // push button: procedure A 1
#define IDC_PROC_GROUP3                 15404   // group box: procedures C
#define IDC_PROC_C1_LABEL               15405
#define IDC_PROC_C1                     15406   // push button: procedure C 1
#define IDC_PROC_C3_LABEL               15407
#define IDC_PROC_C3                     15408   // push button: procedure C 3
#define IDC_PROC_C2_LABEL               15409
#define IDC_PROC_C2                     15410   // push button: procedure C 2
#define IDC_PROC_GROUP4                 15411   // group box: command, option procedure, device text
#define IDC_PROC_COMMAND_LABEL          15412
#define IDC_PROC_COMMAND                15413   // push button: command 1
#define IDC_PROC_OPTION_LABEL           15414
#define IDC_PROC_OPTION                 15415   // push button: option procedure 4
#define IDC_PROC_OPTION_FIRST           15416   // check box: option flag 1
#define IDC_PROC_OPTION_SECOND          15417   // check box: option flag 2
#define IDC_PROC_DEVICE_TEXT_LABEL      15418
#define IDC_PROC_DEVICE_TEXT            15419   // read-only edit: the device's text
#define IDC_PROC_A2                     15420   // push button: procedure A 2
#define IDC_PROC_A2_LABEL               15421

#define IDS_PROCEDURES_PAGE             23415   // page text and tab label
#define IDS_PROC_GROUP1                 23417
#define IDS_PROC_GROUP2                 23418
#define IDS_PROC_GROUP3                 23419
#define IDS_PROC_GROUP4                 23420
#define IDS_PROC_B1_LABEL               23421
#define IDS_PROC_B5_LABEL               23422
#define IDS_PROC_A1_LABEL               23423
#define IDS_PROC_C1_LABEL               23424
#define IDS_PROC_C2_LABEL               23425
#define IDS_PROC_C3_LABEL               23426
#define IDS_PROC_COMMAND_LABEL          23427
#define IDS_PROC_OPTION_LABEL           23428
#define IDS_COLOUR                      23429   // procedures: second option; driver page: first switch button
#define IDS_BLACK                       23430   // procedures: first option; driver page: second switch button
#define IDS_PROC_DEVICE_TEXT_LABEL      23495
#define IDS_PROC_A2_LABEL               23496

// ---------------------------------------------------------------------------
// Reports page: the report choices are one group of auto radio buttons that
// starts at IDC_REPORT_1.
#define IDD_REPORTS_PAGE                6413
#define IDC_REPORT_GROUP1               15420   // group box
#define IDC_REPORT_11                   15421   // radio: report 11
#define IDC_REPORT11_OPTION             15422   // check box: the option of report 11
#define IDC_REPORT_1                    15423   // radio: report 1, first of the group
#define IDC_REPORT_2                    15424   // radio: report 2
#define IDC_REPORT_GROUP2               15425   // group box
#define IDC_REPORT_3                    15426   // radio: report 3
#define IDC_REPORT_4                    15427   // radio: report 4
#define IDC_REPORT_GROUP3               15428   // group box
#define IDC_REPORT_8                    15429   // radio: report 8
#define IDC_REPORT8_VARIANT             15430   // check box, hidden by the page: report 9 instead of 8
#define IDC_REPORT_5                    15431   // radio: report 5 (text from the template)
#define IDC_REPORT_7                    15432   // radio: report 7
#define IDC_REPORT_6                    15433   // radio: report 6
#define IDC_REPORT_EXECUTE_ALTERNATE    15434   // push button: second command
#define IDC_REPORT_EXECUTE              15435   // push button: main command

#define IDS_REPORTS_PAGE                23432   // page text and tab label
#define IDS_REPORT_1                    23434
#define IDS_REPORT_2                    23435
#define IDS_REPORT_11                   23436
#define IDS_REPORT11_OPTION             23437
#define IDS_REPORT_GROUP1               23438
#define IDS_REPORT_GROUP2               23439
#define IDS_REPORT_3                    23440
#define IDS_REPORT_4                    23441
#define IDS_REPORT_GROUP3               23442
#define IDS_REPORT_7                    23444
#define IDS_REPORT_8                    23445
#define IDS_REPORT8_VARIANT             23446
#define IDS_REPORT_6                    23447
#define IDS_REPORT_EXECUTE_ALTERNATE    23448
#define IDS_REPORT_EXECUTE              23449

// ---------------------------------------------------------------------------
// Driver settings page
#define IDD_DRIVER_PAGE                 6414
#define IDC_DRV_APPLY                   1       // push button (IDOK of the page): writes the settings
#define IDC_DRV_OPTION13                15436   // check box
#define IDC_DRV_OPTION10                15437   // check box
#define IDC_DRV_OPTION4                 15438   // check box
#define IDC_DRV_OPTION6                 15439   // check box
#define IDC_DRV_OPTION11                15440   // check box
#define IDC_DRV_OPTION1                 15442   // check box
#define IDC_DRV_OPTION2                 15443   // check box
#define IDC_DRV_OPTION3                 15444   // check box
#define IDC_DRV_OPTION12                15445   // check box
#define IDC_DRV_GROUP1                  15447   // group box around the general options
#define IDC_DRV_CHOICE_GROUP            15448   // group box around the choice of three
#define IDC_DRV_CHOICE1                 15449   // radio, first of its group
#define IDC_DRV_CHOICE2                 15450   // radio
#define IDC_DRV_CHOICE3                 15451   // radio
#define IDC_DRV_GROUP2                  15452   // group box around options 7 to 9
#define IDC_DRV_OPTION7                 15453   // check box
#define IDC_DRV_OPTION8                 15454   // check box
#define IDC_DRV_OPTION9                 15455   // check box
#define IDC_DRV_SWITCH_GROUP            15456   // group box around the two-way switch
#define IDC_DRV_SWITCH1                 15457   // radio, first of its group
#define IDC_DRV_SWITCH2                 15458   // radio
#define IDC_DRV_DEFAULTS                15459   // push button
#define IDC_DRV_NUMBER_SPIN             15460   // up-down control, buddy of IDC_DRV_NUMBER
#define IDC_DRV_NUMBER                  15461   // edit: the number setting
#define IDC_DRV_REVERT                  15462   // push button (text from the template)

#define IDS_DRIVER_PAGE                 23450   // page text and tab label
#define IDS_DRV_OPTION1                 23451
#define IDS_DRV_OPTION2                 23454
#define IDS_DRV_OPTION3                 23455
#define IDS_DRV_OPTION4                 23456
#define IDS_DRV_OPTION6                 23457
#define IDS_DRV_OPTION10                23458
#define IDS_DRV_OPTION11                23459
#define IDS_DRV_OPTION12                23460
#define IDS_DRV_OPTION13                23461
#define IDS_DRV_GROUP1                  23463
#define IDS_DRV_GROUP2                  23464
#define IDS_DRV_OPTION7                 23465
#define IDS_DRV_OPTION8                 23466
#define IDS_DRV_OPTION9                 23467
#define IDS_DRV_SWITCH_GROUP            23468
#define IDS_DRV_CHOICE_GROUP            23471
#define IDS_DRV_CHOICE1                 23472
#define IDS_DRV_CHOICE2                 23473
#define IDS_DRV_CHOICE3                 23474
#define IDS_DRV_DEFAULTS                23475
#define IDS_DRV_APPLY                   23476
#define IDS_DRV_NOT_TAKEN               23500   // FormatMessage: %1 the settings not taken, one a line
#define IDS_DRV_NUMBER_NAME             23501   // the number setting, in that message
#define IDS_DRV_OPTION5_NAME            23502   // the setting without a control, in that message

#endif // SERVICERES_H
