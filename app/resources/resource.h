#pragma once
// Resource and command identifiers of the program.

#define IDR_MAINMENU 100
#define IDR_POPUPMENUS 101
#define IDR_ACCELERATORS 102
#define IDI_CARDO 103

// Toolbar images are bitmaps 101 to 114 at 16 pixels; at 20, 24 and 32 pixels each is
// IDB_TOOLBAR_SIZE_STEP, twice and three times that above. The list's drag cursor is cursor 102.
#define IDB_TOOLBAR_FIRST 101
#define IDB_TOOLBAR_LAST 114
#define IDB_TOOLBAR_SIZE_STEP 100
#define IDC_DRAGCURSOR 102

// The main window's commands. A command has one identifier wherever it appears: the menu
// bar, the right-click and tool menus, the accelerators and the toolbar all name it, and the
// main window's command table says what it does and when it is enabled. The numbers are the
// items' places in the menu bar (File item 4 is 1004), so they stay what they always were.
#define IDM_FILE_NEW 1001
#define IDM_FILE_OPEN 1002
#define IDM_FILE_ADD 1003
#define IDM_FILE_SAVE 1004
#define IDM_FILE_SAVE_AS 1005
#define IDM_FILE_EXIT 1011
// The recent files' five places (mnuHistory(1..5)): a run of identifiers, one command.
#define IDM_HISTORY_FIRST 1021
#define IDM_HISTORY_LAST 1025
#define IDM_EXPORT_REGET 1031
#define IDM_EXPORT_IRIA 1032
#define IDM_EXPORT_OTHER 1033
#define IDM_EXPORT_ARIA2_RPC 1034
#define IDM_EDIT_CUT 1101
#define IDM_EDIT_COPY 1102
#define IDM_EDIT_PASTE 1103
#define IDM_EDIT_DELETE 1104
#define IDM_EDIT_SELECT_ALL 1106
#define IDM_EDIT_INVERT_SELECTION 1107
#define IDM_EDIT_FIND 1109
#define IDM_EDIT_FIND_NEXT 1110
#define IDM_EDIT_REPLACE 1111
#define IDM_EDIT_REMOVE_DUPLICATES 1113
#define IDM_EDIT_CHECK_LINKS 1114
#define IDM_PASTE_LINKS 1120
#define IDM_EXTRACT_FROM_SELECTED 1121  // the extraction dialog's URL page over the selected lines
#define IDM_EDIT_UNDO 1131
#define IDM_EDIT_REDO 1132
// Ctrl+Up and Ctrl+Down: the selected lines one line up or down (keys only, no menu item).
#define IDM_MOVE_UP 1133
#define IDM_MOVE_DOWN 1134
#define IDM_SORT_ASCENDING 1151
#define IDM_SORT_DESCENDING 1152
#define IDM_SORT_RANDOM 1153
#define IDM_VIEW_DROP_DIALOG 1201
#define IDM_VIEW_FREE_INPUT 1203
#define IDM_VIEW_SPREAD_URL 1204
#define IDM_VIEW_GENE_LIST 1205
#define IDM_VIEW_EXTRACT 1206
#define IDM_VIEW_PREFERENCES 1209
#define IDM_WATCH_CLIPBOARD 1220
#define IDM_VIEW_STATUSBAR 1221
#define IDM_EDIT_FILTER 1222
#define IDM_HELP_CONTENTS 1301
#define IDM_HELP_VERSION 1305
#define IDM_HP_PRODUCT 1351
#define IDM_HP_MAKER 1352
#define IDM_HP_LIBRARY 1354
// The right-click menu's 一行編集; its other items are the Edit menu's commands.
#define IDM_EDIT_LINE 1401

// Positions of the popup menus inside IDR_POPUPMENUS.
#define POPUP_RMNU 0
#define POPUP_TOOLMNU 1

#define IDC_LSTMAINLIST 2001
#define IDC_VOPLINE 2002
#define IDC_TOOLBAR 2003
#define IDC_STATUSBAR 2004
#define IDC_TXTFILTER 2005

// The find window (frmSearch) and the one-line edit (frmEditDlg). cmdButtons 0 and 2 are the
// dialog's OK and Cancel, so Enter and Esc reach them.
#define IDD_SEARCH 300
#define IDC_CMBSEARCHWORD 301
#define IDC_LBLREPWORD 302
#define IDC_TXTREPWORD 303
#define IDC_CHKBIGSMALL 304
#define IDC_CMDBUTTONS0 IDOK
#define IDC_CMDBUTTONS1 305
#define IDC_CMDBUTTONS2 IDCANCEL
#define IDD_EDITDLG 310
#define IDC_TXTLINEDATA 311
#define IDC_CMDCLOSE IDCANCEL

// The topic viewer (frmSmplViewer).
#define IDD_VIEWER 320
#define IDR_VIEWERMENU 321
#define IDC_TXTVALUE 322
#define IDC_VIEWER_CLOSE IDCANCEL
#define IDM_VIEWER_SAVE 1601   // mnuFileSub(1)
#define IDM_VIEWER_CLOSE 1603  // mnuFileSub(3)
#define IDM_VIEWER_COPY 1611   // mnuEditSub(1)

// The version window (frmVersion).
#define IDD_VERSION_WINDOW 330
#define IDR_VERSIONMENU 331
#define IDC_IMGBANNER 332
#define IDC_LBLVERSION 333
#define IDC_LBLURL 334
#define IDC_LABEL2 335
#define IDC_IMGDLL 336
#define IDM_VERSION_OPEN 1621  // mnuRMnuSub(1)
#define IDM_VERSION_COPY 1623  // mnuRMnuSub(3)
// Pictures drawn for 100 %, 150 % and 200 %: the 150 % one is IDB_SCALE_STEP above the 100 %
// one, the 200 % one twice that.
#define IDB_SCALE_STEP 1000
#define IDB_BANNER 151
#define IDB_LIBRARY 152
#define IDC_HANDCURSOR 101

// The list generators: frmGeneList, frmSpreadUrl, frmFreeInput, frmDropDialog.
#define IDD_GENELIST 340
#define IDC_CMBURL 341
#define IDC_OPTCONTINUE0 342
#define IDC_OPTCONTINUE1 343
#define IDC_UDTNUM0 344
#define IDC_UDTNUM1 345
#define IDC_CMBCHAR0 346
#define IDC_CMBCHAR1 347
#define IDC_CHKSETFIGURE 348
#define IDC_UDTFIGURE 349
#define IDC_CMBEXTLIST 350
#define IDC_CHKWINRAR 351
#define IDC_FRAWINRARMODE 352
#define IDC_CHKVALUERAR 353
#define IDC_CMDGENECLOSE0 IDOK
#define IDC_CMDGENECLOSE1 IDCANCEL
#define IDC_CMDSHOWTHELP 354
#define IDC_UDTSTEP 355
#define IDD_SPREADURL 360
#define IDC_TXTSOURCE 361
#define IDC_CMDSPREAD 362
#define IDC_LBLSPREADCOUNT 363
#define IDC_CHKEXTENDED 364
#define IDC_LSTSPREADERRORS 365
#define IDR_SPREADMENU 363
#define IDM_SPREAD_BASE 1630  // mnuRMnuSub(1..11), separators included
#define IDD_FREEINPUT 370
#define IDC_TXTFREEINPUT 371
#define IDC_CMDINPUT 372
#define IDC_CHKTEXTCLEAR 373
#define IDD_DROPDIALOG 380
#define IDC_VOPDROPPANELL0 381
#define IDC_VOPDROPPANELL1 382

// The extraction dialog (frmExtract). Page i's controls are numbered 400 + 10 i to 409 + 10 i,
// so a page is shown or hidden as one range; cmdStartCancel 0 and 1 are OK and Cancel.
#define IDD_EXTRACT 390
#define IDC_CMBMODESELECT 391
#define IDC_CMDSTARTCANCEL0 IDOK
#define IDC_CMDSTARTCANCEL1 IDCANCEL
#define IDC_EXTRACT_PAGE_FIRST 400
#define IDC_EXTRACT_PAGE_STEP 10
#define IDC_FRAPAGE0 400
#define IDC_LBLEXTRACTEDFILE0 401  // + 10 i
#define IDC_CMDBROWS0 402          // + 10 i
#define IDC_TXTFILTER0 403         // + 10 i
#define IDC_CMDSHOWTHELP0 404      // + 10 i
#define IDC_CMBPROTOCOL 405
#define IDC_CHKURLTWINCHAR 406
#define IDC_CHKNOTRETURNSEARCH 407
#define IDC_PAGELABEL0 409  // + 10 i: the page's labels
#define IDC_FRAPAGE1 410
#define IDC_LBLEXTRACTEDFILE1 411
#define IDC_CMDBROWS1 412
#define IDC_TXTFILTER1 413
#define IDC_CMDSHOWTHELP1 414
#define IDC_TXTBASEURL 415
#define IDC_CMDSHOWTHELP2 416
#define IDC_PAGELABEL1 419
#define IDC_FRAPAGE2 420
#define IDC_TXTFILTER2 423
#define IDC_CMDSHOWTHELP_2 424  // cmdShowTHelp(2); cmdShowTHelp2 is the base URL help
#define IDC_TXTURL 425
#define IDC_CHKURLPARSED 426  // the download is scanned in the parsed-HTML mode
#define IDC_CHKURLLINKED 427  // and the start pages' links to pages of the same site too
#define IDC_PAGELABEL2 429
#define IDC_FRAPAGE3 430
#define IDC_LBLEXTRACTEDFILE3 431
#define IDC_CMDBROWS3 432
#define IDC_TXTFILTER3 433
#define IDC_CMDSHOWTHELP3 434
#define IDC_TXTBASEURL3 435
#define IDC_CMDSHOWTHELP2_3 436  // the base URL help of page 3
#define IDC_PAGELABEL3 439

// The preferences dialog (frmPrefarence) and its pages, child dialogs 450 to 452.
#define IDD_PREFARENCE 440
#define IDC_PICTABCONTROL 441
#define IDC_IMGSBANNER 442
#define IDB_SBANNER 153
#define IDC_CMDOKCANCEL0 IDOK
#define IDC_CMDOKCANCEL1 IDCANCEL
#define IDD_PREF_PAGE0 450  // + i
#define IDD_PREF_PAGE1 451
#define IDD_PREF_PAGE2 452
#define IDD_PREF_PAGE3 453
#define IDC_TXTSOFTPATH0 455
#define IDC_TXTSOFTPATH1 456
#define IDC_CMDBROWSSOFT0 457
#define IDC_CMDBROWSSOFT1 458
#define IDC_CMDHELP 459
#define IDC_TXTSOFTPATH2 465
#define IDC_CMDBROWSSOFT2 466
#define IDC_TXTOTHERARGS 467
#define IDC_CMBOTHERFORMAT 468
#define IDC_CMDOTHERHELP 469
#define IDC_PREF_TXTFILTER 461
#define IDC_PREF_CMDSHOWTHELP 462
#define IDC_PREF_CHKURLTWINCHAR 463
#define IDC_PREF_CHKNOTRETURNSEARCH 464
#define IDC_TXTADDEXT 471
#define IDC_LSTEXTLIST 472
#define IDC_CMDEXTCMD0 473  // + i
#define IDC_CHKCMBINTL 477
#define IDC_UDTURLHISVALUE 478
#define IDC_CMBEXPORTREFERER 490
#define IDC_TXTEXPORTREFERER 491
#define IDC_CMBEXPORTNAMES 492
#define IDC_UDTEXPORTDIGITS 493
#define IDC_TXTEXPORTFOLDER 494
#define IDC_TXTEXPORTWATCH 495
#define IDC_TXTARIA2RPC 496
#define IDC_TXTARIA2SECRET 497
// The receiver of links from the browser, on the page of the extraction's settings.
#define IDC_PREF_CHKRECEIVE 520
#define IDC_PREF_UDTRECEIVEPORT 521
#define IDC_PREF_TXTRECEIVETOKEN 522
#define IDC_PREF_CMDCOPYTOKEN 523
#define IDC_PREF_CMDNEWTOKEN 524
#define IDC_PREF_LBLRECEIVEPORT 525
#define IDC_PREF_LBLRECEIVETOKEN 526
// The link check window.
#define IDD_LINK_CHECK 480
#define IDC_LBLCHECKPROGRESS 481
#define IDC_LVWCHECKRESULTS 482
#define IDC_CMDREMOVEDEAD 483
#define IDC_CMDREPLACEREDIRECTED 484
#define IDC_CMDSELECTFAILED 485
#define IDC_CMDRECHECKFAILED 486
#define IDC_CMDCOPYRESULTS 487
#define IDC_CMDSAVERESULTS 488
#define IDC_UDTCHECKTIMEOUT 489
#define IDC_UDTCHECKPERHOST 503
// The progress of a run over several pages.
#define IDD_EXTRACT_PAGES 500
#define IDC_LBLPAGESPROGRESS 501
#define IDC_LVWPAGES 502
