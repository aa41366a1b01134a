#pragma once
// Every setting of CARDO.INI, one row each: the record's fields (app_settings.h) and the tables
// that loading, saving, a new file, the legacy import, the merge at exit and the preferences
// dialog read (settings_keys.h) are all made from these rows. A new setting is one row here,
// plus its control in the preferences' template when the dialog edits it.
//
//   PROPERTIES(columns)          the key `properties`, which holds the flags below as its bits
//   FLAG(Name, control)          a flag, 0 or 1, in bit order; control: its check box or 0
//   TEXT(Name, columns)          a text of at most 255 bytes in the code page (what the profile
//                                functions give back whole)
//   NUMBER(type, Name, start-up value, columns)
//                                a decimal key read as a 16-bit number (32-bit when its range
//                                goes past 32767); the start-up value is also what a file
//                                without the key leaves in the field
//   LIST(Name, columns)          a list with its highest-index key and numbered entries
//
// Name is the field and, for TEXT and NUMBER, the key. The columns are ScalarKey's and
// ListKeys' members (settings_keys.h), named, in their order: section (PREF when not given),
// capacity (the most bytes read back), range (how a control takes a stored number),
// defaultValue and defaultUse (the value of a new file, as the file holds it, and where it
// applies), control (the preferences dialog's control, 0: none) and label (the name a refused
// text is called by).
#include "app/export/export.h"
#include "app/net/page_download.h"
#include "app/receive/receiver.h"
#include "app/resources/resource.h"

// clang-format off
#define CARDO_SETTINGS(PROPERTIES, FLAG, TEXT, NUMBER, LIST)                                      \
  /* properties=194: NotReturnSearch, CmbIntl and TextClear. The import adds them to the */       \
  /* flags the old file gave. */                                                                  \
  PROPERTIES(.capacity = 10, .defaultValue = u"194", .defaultUse = kNewFile | kImport)            \
  FLAG(UrlTwinChar, IDC_PREF_CHKURLTWINCHAR)                                                      \
  FLAG(NotReturnSearch, IDC_PREF_CHKNOTRETURNSEARCH)                                              \
  FLAG(ContinueFileName, 0)                                                                       \
  FLAG(WinRarMode, 0)                                                                             \
  FLAG(ValueRar, 0)                                                                               \
  FLAG(SetFigure, 0)                                                                              \
  FLAG(CmbIntl, IDC_CHKCMBINTL)                                                                   \
  FLAG(TextClear, 0)                                                                              \
  FLAG(BigSmall, 0)                                                                               \
  TEXT(ReGetPath, .control = IDC_TXTSOFTPATH0, .label = u"ReGetのパス")                           \
  TEXT(IriaPath, .control = IDC_TXTSOFTPATH1, .label = u"Iriaのパス")                             \
  TEXT(UrlExtFilter, .control = IDC_PREF_TXTFILTER, .label = u"フィルタ")                         \
  TEXT(UrlExtProtocol, .defaultValue = u"http://", .defaultUse = kNewFile | kImport)              \
  NUMBER(std::int16_t, UrlExtSelMode, 0, .capacity = 2,                                           \
         .range = {0, kExtractModeCount - 1, OutOfRange::FirstChoice})                            \
  NUMBER(std::int16_t, CharStart, 0, .capacity = 3,                                               \
         .range = {0, kVolumeLetterCount - 1, OutOfRange::FirstChoice})                           \
  NUMBER(std::int16_t, CharEnd, 0, .capacity = 3,                                                 \
         .range = {0, kVolumeLetterCount - 1, OutOfRange::FirstChoice})                           \
  NUMBER(std::int32_t, NumStart, 0, .capacity = 5, .range = {0, 32767, OutOfRange::NearestBound}) \
  NUMBER(std::int32_t, NumEnd, 0, .capacity = 5, .range = {0, 32767, OutOfRange::NearestBound})   \
  NUMBER(std::int16_t, ListMax, 0, .capacity = 5, .range = {1, 100, OutOfRange::NearestBound},    \
         .defaultValue = u"10", .defaultUse = kNewFile, .control = IDC_UDTURLHISVALUE)            \
  NUMBER(std::int16_t, FigLength, 0, .capacity = 10,                                              \
         .range = {1, 32767, OutOfRange::NearestBound})                                           \
  /* Keys an older version does not know and leaves alone. The third download manager: its */   \
  /* program, its argument template and its file format. An empty template stands for the */     \
  /* format's default too; a new file shows it in the preferences. */                             \
  TEXT(OtherPath, .control = IDC_TXTSOFTPATH2, .label = u"その他のダウンロードマネージャのパス")  \
  TEXT(OtherArgs, .defaultValue = FormatRow(ExportFormat::Plain).defaultArguments,                \
       .defaultUse = kNewMemory, .control = IDC_TXTOTHERARGS, .label = u"引数")                   \
  NUMBER(std::int16_t, OtherFormat, 0, .capacity = 2,                                             \
         .range = {0, kOtherFormatCount - 1, OutOfRange::FirstChoice},                            \
         .control = IDC_CMBOTHERFORMAT)                                                           \
  /* 1 while the main window adds the links of every new clipboard content. */                    \
  NUMBER(std::int16_t, WatchClipboard, 0, .capacity = 2,                                          \
         .range = {0, 1, OutOfRange::FirstChoice})                                                \
  /* The extraction dialog stops a downloaded page past this many MiB, decoded. Up to 4095: */   \
  /* a page file stays below 4 GiB, which FAT32 holds and a 32-bit count reaches. */              \
  NUMBER(std::int16_t, MaxPageMiB, kDefaultPageMiB, .capacity = 5,                                \
         .range = {1, 4095, OutOfRange::NearestBound})                                            \
  /* 1 while the expansion window reads the extended syntax. */                                   \
  NUMBER(std::int16_t, SpreadExtended, 0, .capacity = 2,                                          \
         .range = {0, 1, OutOfRange::FirstChoice})                                                \
  /* The regular list generator's step (増分). */                                                 \
  NUMBER(std::int16_t, NumStep, 1, .capacity = 5, .range = {1, 32767, OutOfRange::NearestBound})  \
  /* 1 while the main window shows its status bar. */                                             \
  NUMBER(std::int16_t, StatusBar, 1, .capacity = 2, .range = {0, 1, OutOfRange::NearestBound})    \
  /* 1 while the extraction dialog's URL page scans a downloaded page in the parsed-HTML */       \
  /* mode (and a paste of a browser's HTML Format does too). */                                   \
  NUMBER(std::int16_t, UrlExtParsed, 0, .capacity = 2,                                            \
         .range = {0, 1, OutOfRange::FirstChoice})                                                \
  /* 1 while the URL page also follows the start pages' links to pages of the same site. */       \
  NUMBER(std::int16_t, UrlExtLinked, 0, .capacity = 2,                                            \
         .range = {0, 1, OutOfRange::FirstChoice})                                                \
  /* The pages one run over several pages fetches at most, its start pages included. */           \
  NUMBER(std::int16_t, MaxCrawlPages, 200, .capacity = 5,                                         \
         .range = {1, 32767, OutOfRange::NearestBound})                                           \
  /* What the third manager's files say of each URL besides its address (ExportOptions): the */  \
  /* Referer rule and its fixed address, the name rule and its digits, the download folder, */   \
  /* JDownloader's watch folder (empty: the job goes into the program folder as the others). */   \
  NUMBER(std::int16_t, ExportReferer, 0, .capacity = 2,                                           \
         .range = {0, kRefererRuleCount - 1, OutOfRange::FirstChoice},                            \
         .control = IDC_CMBEXPORTREFERER)                                                         \
  TEXT(ExportRefererUrl, .control = IDC_TXTEXPORTREFERER, .label = u"指定アドレス")               \
  NUMBER(std::int16_t, ExportNames, 0, .capacity = 2,                                             \
         .range = {0, kNameRuleCount - 1, OutOfRange::FirstChoice}, .control = IDC_CMBEXPORTNAMES) \
  NUMBER(std::int16_t, ExportDigits, kDefaultNumberWidth, .capacity = 2,                          \
         .range = {1, kMaxNumberWidth, OutOfRange::NearestBound}, .control = IDC_UDTEXPORTDIGITS) \
  TEXT(ExportFolder, .control = IDC_TXTEXPORTFOLDER, .label = u"ダウンロード先フォルダ")          \
  TEXT(ExportWatchFolder, .control = IDC_TXTEXPORTWATCH, .label = u"JDownloader の監視フォルダ")  \
  /* The running aria2 the list is handed to: its JSON-RPC address (empty: the default, */        \
  /* kDefaultRpcAddress, which the preferences show) and its --rpc-secret. */                     \
  TEXT(Aria2RpcAddress, .control = IDC_TXTARIA2RPC, .label = u"aria2 RPC")                        \
  TEXT(Aria2RpcSecret, .control = IDC_TXTARIA2SECRET, .label = u"トークン")                       \
  /* The link check window: its size in pixels at 96 DPI (0: as designed), its columns' */       \
  /* widths at 96 DPI separated by ",", the seconds a request may stay silent and the */          \
  /* requests at once to one host. */                                                             \
  NUMBER(std::int16_t, CheckWidth, 0, .capacity = 5, .range = {0, 32767, OutOfRange::NearestBound}) \
  NUMBER(std::int16_t, CheckHeight, 0, .capacity = 5,                                             \
         .range = {0, 32767, OutOfRange::NearestBound})                                           \
  TEXT(CheckColumns, .label = u"リンクの確認の列幅")                                              \
  NUMBER(std::int16_t, CheckTimeout, 30, .capacity = 5,                                           \
         .range = {1, 600, OutOfRange::NearestBound})                                             \
  NUMBER(std::int16_t, CheckPerHost, 4, .capacity = 3, .range = {1, 16, OutOfRange::NearestBound}) \
  /* The receiver of links from the browser extension: on (1) or off, its port on the */       \
  /* loopback address and the token a request must carry (32 hexadecimal digits, made when */    \
  /* it is first turned on). */                                                                  \
  NUMBER(std::int16_t, ReceiveLinks, 0, .capacity = 2, .range = {0, 1, OutOfRange::FirstChoice},  \
         .control = IDC_PREF_CHKRECEIVE)                                                          \
  NUMBER(std::int32_t, ReceivePort, kDefaultReceiverPort, .capacity = 6,                          \
         .range = {1, 65535, OutOfRange::NearestBound}, .control = IDC_PREF_UDTRECEIVEPORT)       \
  TEXT(ReceiveToken, .control = IDC_PREF_TXTRECEIVETOKEN, .label = u"受け取りのトークン")          \
  /* The lists, in the order a save writes them; the URL and search histories most recent */      \
  /* first. */                                                                                    \
  LIST(ListHistory, .section = kSectionHistory, .upperBoundKey = "LsHstryUBound",                 \
       .entryStem = "ListHistory")                                                                \
  LIST(ExtList, .section = kSectionPref, .upperBoundKey = "ExtListUBound",                        \
       .entryStem = "Extension", .newFileEntries = kNewFileExtensions,                            \
       .control = IDC_LSTEXTLIST, .label = u"拡張子リスト")                                       \
  LIST(SearchHistory, .section = kSectionHistory, .upperBoundKey = "SrchHstryUBound",             \
       .entryStem = "SearchHistory")
// clang-format on
