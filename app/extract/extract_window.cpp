#include "app/extract/extract_window.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <variant>

#include "app/url/web_address.h"
#include "app/list/list_file.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "app/settings/ini_values.h"
#include "app/settings/settings_keys.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

constexpr char16_t kCaption[] = u"URLの抜き出し";
constexpr char16_t kDownloadingCaption[] = u"ダウンロード中...";
constexpr char16_t kExtractingCaption[] = u"抜き出し中...";
constexpr char16_t kNoWorker[] = u"メモリが足りないため、抜き出しを始められませんでした。";
constexpr char16_t kNoUrl[] = u"ダウンロード対象のURLが記入されていません。";
constexpr char16_t kBadAddressLines[] = u"次の行はURLとして読めません (行番号): ";
constexpr char16_t kNoFile[] = u"抜き出し対象のファイルが指定されていません。";
constexpr char16_t kDownloadFailed[] =
    u"URL先のドキュメントが無いか、URLが存在しないか、ファイルの取得に失敗しました。\r\n"
    u"URLやネットワークの接続を確認してください。";
constexpr char16_t kCancel[] = u"中止(&C)";
constexpr char16_t kClose[] = u"閉じる(&C)";
constexpr char16_t kFinished[] = u"終了しました。";
constexpr char16_t kOutOfMemory[] =
    u"行が長すぎてメモリが足りないため、途中までしか抜き出せませんでした : ";
constexpr char16_t kFilterTip[] = u"フィルタについてのヘルプを表示します";
constexpr char16_t kBaseUrlHelpTip[] = u"基本URLについてのヘルプを表示します";
constexpr char16_t kBaseUrlTip[] = u"テキスト内の相対URLに対して使用します";
constexpr char16_t kFileTip[] = u"クリックするとこのファイルを開きます";
constexpr char16_t kTempFile[] = u"TEMP.HTML";
constexpr const char16_t* kModes[] = {u"テキストから", u"HTMLから", u"URLから", u"HTMLを解析"};
// The pages that read a file, and the one that downloads.
constexpr int kFilePages[] = {0, 1, 3};
constexpr int kDownloadPage = 2;
constexpr const char16_t* kProtocols[] = {u"http://", u"ftp://", u"mailto:"};
constexpr int kPages = kExtractModeCount;
static_assert(std::size(kModes) == kPages);

constexpr UINT kDownloadDone = WM_APP + 1;
constexpr UINT kExtractionDone = WM_APP + 2;
constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressMilliseconds = 250;

int PageControl(int first, int page) {
  return first + page * IDC_EXTRACT_PAGE_STEP;
}

}  // namespace

frmExtract::frmExtract(const ToolContext& context, Download download)
    : DialogWindow(context.shell.ui),
      context_(context),
      runDownload_(download ? std::move(download) : PageDownload(SystemHttpStack())),
      pages_(context.instance, context.shell) {}

void frmExtract::Show() {
  ShowModeless(context_.instance, IDD_EXTRACT, context_.main);
}

void frmExtract::ShowPages(const std::u16string& addresses) {
  Show();
  if (!IsOpen() || Running()) return;
  SelectMode(kDownloadPage);
  SetControlText(Item(IDC_TXTURL), addresses);
}

bool frmExtract::OnCommand(int id, int code) {
  if (id == IDC_CMDSTARTCANCEL0 || id == IDC_CMDSTARTCANCEL1) {
    cmdStartCancel_Click(id == IDC_CMDSTARTCANCEL0 ? 0 : 1);
  } else if (id == IDC_CMBMODESELECT) {
    if (code == CBN_SELCHANGE) cmbModeSelect_Click();
  } else if (id == IDC_CMDSHOWTHELP2 || id == IDC_CMDSHOWTHELP2_3) {
    cmdShowTHelp2_Click();
  } else if (id >= IDC_EXTRACT_PAGE_FIRST &&
             id < IDC_EXTRACT_PAGE_FIRST + kPages * IDC_EXTRACT_PAGE_STEP) {
    const int page = (id - IDC_EXTRACT_PAGE_FIRST) / IDC_EXTRACT_PAGE_STEP;
    switch (id - PageControl(IDC_FRAPAGE0, page)) {
      case IDC_LBLEXTRACTEDFILE0 - IDC_FRAPAGE0:
        if (code == STN_CLICKED) lblExtractedFile_Click(page);
        break;
      case IDC_CMDBROWS0 - IDC_FRAPAGE0:
        cmdBrows_Click(page);
        break;
      case IDC_CMDSHOWTHELP0 - IDC_FRAPAGE0:
        cmdShowTHelp_Click(page);
        break;
      default:
        return false;
    }
  } else {
    return false;
  }
  return true;
}

INT_PTR frmExtract::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR: {
      const HWND over = reinterpret_cast<HWND>(wParam);
      if (hand_ && (over == Item(IDC_LBLEXTRACTEDFILE0) || over == Item(IDC_LBLEXTRACTEDFILE1) ||
                    over == Item(IDC_LBLEXTRACTEDFILE3))) {
        SetCursor(hand_);
        SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    }
    case WM_TIMER:
      if (wParam == kProgressTimer) ShowProgress();
      return TRUE;
    case kDownloadDone:
      // A job cancelled just as it ended may have posted its end already.
      if (download_.Read(wParam, lParam) == WorkNotice::Ended) DownloadEnded();
      return TRUE;
    case kExtractionDone:
      if (extraction_.Read(wParam, lParam) == WorkNotice::Ended) ExtractionEnded();
      return TRUE;
    case WM_CLOSE:
      CancelRun();
      cmdStartCancel_Click(1);
      return TRUE;
    case WM_DESTROY:
      // The program is closing during a download or an extraction: the worker stops, and the
      // window's object joins it when it goes.
      download_.Cancel();
      extraction_.Cancel();
      for (const int id :
           {IDC_LBLEXTRACTEDFILE0, IDC_LBLEXTRACTEDFILE1, IDC_LBLEXTRACTEDFILE3, IDC_TXTURL}) {
        DropTarget::Revoke(Item(id));
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void frmExtract::Form_Load() {
  const Settings& settings = context_.settings;
  HWND modes = Item(IDC_CMBMODESELECT);
  SetComboItems(modes, {std::begin(kModes), std::end(kModes)});
  // A frame paints its border across the mode list unless it leaves out the siblings in
  // front of it.
  for (int i = 0; i < kPages; ++i) {
    HWND frame = Item(PageControl(IDC_FRAPAGE0, i));
    SetWindowLongPtrW(frame, GWL_STYLE, GetWindowLongPtrW(frame, GWL_STYLE) | WS_CLIPSIBLINGS);
  }
  SelectMode(0);
  for (int i = 0; i < kPages; ++i) {
    HWND filter = Item(PageControl(IDC_TXTFILTER0, i));
    SendMessageW(filter, EM_SETLIMITTEXT, 0, 0);
    SetControlText(filter, settings.UrlExtFilter);
    AddToolTip(hwnd(), Item(PageControl(IDC_CMDSHOWTHELP0, i)), kFilterTip);
  }
  HWND protocol = Item(IDC_CMBPROTOCOL);
  SetComboItems(protocol, {std::begin(kProtocols), std::end(kProtocols)});
  SetControlText(protocol, settings.UrlExtProtocol);
  CheckDlgButton(hwnd(), IDC_CHKURLTWINCHAR, settings.UrlTwinChar ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_CHKNOTRETURNSEARCH,
                 settings.NotReturnSearch ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_CHKURLPARSED,
                 SettingInRange<&Settings::UrlExtParsed>(settings) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_CHKURLLINKED,
                 SettingInRange<&Settings::UrlExtLinked>(settings) ? BST_CHECKED : BST_UNCHECKED);
  hand_ = LoadCursorW(context_.instance, MAKEINTRESOURCEW(IDC_HANDCURSOR));
  for (const int i : kFilePages) {
    HWND label = Item(PageControl(IDC_LBLEXTRACTEDFILE0, i));
    AddToolTip(hwnd(), label, kFileTip);
    DropTarget::Attach(
        label,
        [this](const DropData& d, DWORD allowed) {
          return lblExtractedFile_OLEDragOver(d, allowed);
        },
        [this, i](const DropData& d, DWORD allowed) {
          return lblExtractedFile_OLEDragDrop(i, d, allowed);
        });
  }
  for (const int id : {IDC_TXTBASEURL, IDC_TXTBASEURL3}) {
    HWND base = Item(id);
    SendMessageW(base, EM_SETLIMITTEXT, 0, 0);
    SetControlText(base, baseUrl_);
    AddToolTip(hwnd(), base, kBaseUrlTip);
  }
  AddToolTip(hwnd(), Item(IDC_CMDSHOWTHELP2), kBaseUrlHelpTip);
  AddToolTip(hwnd(), Item(IDC_CMDSHOWTHELP2_3), kBaseUrlHelpTip);
  HWND url = Item(IDC_TXTURL);
  SendMessageW(url, EM_SETLIMITTEXT, 0, 0);
  DropTarget::Attach(
      url, [this](const DropData& d, DWORD allowed) { return txtUrl_OLEDragOver(d, allowed); },
      [this](const DropData& d, DWORD allowed) { return txtUrl_OLEDragDrop(d, allowed); });
  SelectMode(SettingInRange<&Settings::UrlExtSelMode>(settings));
  CentreOverOwner(hwnd());
}

bool frmExtract::Form_QueryUnload() {
  Settings& settings = context_.settings;
  const struct {
    HWND box;
    std::u16string Settings::*field;
    const char16_t* name;
  } texts[] = {{Item(PageControl(IDC_TXTFILTER0, Mode())), &Settings::UrlExtFilter, u"フィルタ"},
               {Item(IDC_CMBPROTOCOL), &Settings::UrlExtProtocol, u"プロトコル"}};
  HWND refused = nullptr;
  std::u16string refusal;
  for (const auto& text : texts) {
    std::u16string value = ControlText(text.box);
    if (FitsSettingsText(value)) {
      settings.*text.field = std::move(value);
    } else if (!refused) {
      refused = text.box;
      refusal = SettingsTextTooLong(text.name);
    }
  }
  settings.UrlTwinChar = IsDlgButtonChecked(hwnd(), IDC_CHKURLTWINCHAR) == BST_CHECKED ? 1 : 0;
  settings.NotReturnSearch =
      IsDlgButtonChecked(hwnd(), IDC_CHKNOTRETURNSEARCH) == BST_CHECKED ? 1 : 0;
  settings.UrlExtParsed = IsDlgButtonChecked(hwnd(), IDC_CHKURLPARSED) == BST_CHECKED ? 1 : 0;
  settings.UrlExtLinked = IsDlgButtonChecked(hwnd(), IDC_CHKURLLINKED) == BST_CHECKED ? 1 : 0;
  baseUrl_ = ControlText(BaseUrlBox());
  settings.UrlExtSelMode = static_cast<std::int16_t>(Mode());
  if (!refused) return true;
  // The box is shown first: the message then names what the user is looking at.
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(refused), TRUE);
  ShowError(context_.shell.ui, refusal);
  return false;
}

void frmExtract::PreferencesStored(const Settings& before) {
  const Settings& now = context_.settings;
  if (now.UrlExtFilter != before.UrlExtFilter) {
    for (int i = 0; i < kPages; ++i) {
      SetControlText(Item(PageControl(IDC_TXTFILTER0, i)), now.UrlExtFilter);
    }
  }
  if (now.UrlTwinChar != before.UrlTwinChar) {
    CheckDlgButton(hwnd(), IDC_CHKURLTWINCHAR, now.UrlTwinChar ? BST_CHECKED : BST_UNCHECKED);
  }
  if (now.NotReturnSearch != before.NotReturnSearch) {
    CheckDlgButton(hwnd(), IDC_CHKNOTRETURNSEARCH,
                   now.NotReturnSearch ? BST_CHECKED : BST_UNCHECKED);
  }
}

int frmExtract::Mode() const {
  const auto selected = SendDlgItemMessageW(hwnd(), IDC_CMBMODESELECT, CB_GETCURSEL, 0, 0);
  return selected >= 0 && selected < kPages ? static_cast<int>(selected) : 0;
}

HWND frmExtract::BaseUrlBox() const {
  return Item(Mode() == static_cast<int>(ExtractMode::Parsed) ? IDC_TXTBASEURL3 : IDC_TXTBASEURL);
}

void frmExtract::SelectMode(int mode) {
  SendDlgItemMessageW(hwnd(), IDC_CMBMODESELECT, CB_SETCURSEL, mode, 0);
  cmbModeSelect_Click();
}

void frmExtract::cmbModeSelect_Click() {
  const int mode = Mode();
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child) - IDC_EXTRACT_PAGE_FIRST;
    if (id < 0 || id >= kPages * IDC_EXTRACT_PAGE_STEP) continue;
    ShowWindow(child, id / IDC_EXTRACT_PAGE_STEP == mode ? SW_SHOWNA : SW_HIDE);
  }
  SetWindowPos(Item(IDC_CMBMODESELECT), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void frmExtract::cmdBrows_Click(int index) {
  FileDialogOptions options;
  options.title = std::u16string(kCaption) + u" <" + kModes[index] + u">";
  options.filter = index == 0 ? u"すべてのファイル(*.*)|*.*"
                              : u"HTMLファイル(*.html)|*.html|すべてのファイル(*.*)|*.*";
  options.pathMustExist = true;
  options.hideReadOnly = true;
  options.extraFlags = OFN_FILEMUSTEXIST;
  options.owner = reinterpret_cast<std::uintptr_t>(hwnd());
  const auto chosen = context_.shell.ui.ShowOpenDialog(options);
  if (chosen) SetControlText(Item(PageControl(IDC_LBLEXTRACTEDFILE0, index)), chosen->path);
}

void frmExtract::lblExtractedFile_Click(int index) {
  const std::u16string path = ControlText(Item(PageControl(IDC_LBLEXTRACTEDFILE0, index)));
  if (path.empty()) return;
  context_.shell.ui.OpenWithShell(path, ContainingFolder(context_.shell.fs, path),
                                  reinterpret_cast<std::uintptr_t>(hwnd()));
}

void frmExtract::cmdShowTHelp_Click(int) {
  context_.showTopic(hwnd(), u"filter");
}

void frmExtract::cmdShowTHelp2_Click() {
  context_.showTopic(hwnd(), u"baseurl");
}

DWORD frmExtract::lblExtractedFile_OLEDragOver(const DropData& data, DWORD allowed) const {
  if (data.files.empty() && !data.text) return DROPEFFECT_NONE;
  return CopyEffect(allowed);
}

DWORD frmExtract::lblExtractedFile_OLEDragDrop(int index, const DropData& data, DWORD allowed) {
  if (data.files.empty() && !data.text) return DROPEFFECT_NONE;
  SetControlText(Item(PageControl(IDC_LBLEXTRACTEDFILE0, index)),
                 data.files.empty() ? *data.text : data.files.front());
  return CopyEffect(allowed);
}

DWORD frmExtract::txtUrl_OLEDragOver(const DropData& data, DWORD allowed) const {
  return data.text ? CopyEffect(allowed) : DWORD{DROPEFFECT_NONE};
}

DWORD frmExtract::txtUrl_OLEDragDrop(const DropData& data, DWORD allowed) {
  if (!data.text) return DROPEFFECT_NONE;
  SetControlText(Item(IDC_TXTURL), *data.text);
  return CopyEffect(allowed);
}

void frmExtract::cmdStartCancel_Click(int index) {
  if (index == 1 && Running()) {
    CancelRun();
    return;
  }
  if (index == 1) {
    if (Form_QueryUnload()) Close(IDCANCEL);
    return;
  }
  // One extraction at a time: the dialog takes no input until this one ends.
  EnableWindow(hwnd(), FALSE);
  Ui& ui = context_.shell.ui;
  const int mode = Mode();
  if (mode == kDownloadPage) {
    std::u16string typed = ControlText(Item(IDC_TXTURL));
    while (!typed.empty() && (typed.back() == u'\r' || typed.back() == u'\n')) typed.pop_back();
    const bool linked = IsDlgButtonChecked(hwnd(), IDC_CHKURLLINKED) == BST_CHECKED;
    const bool several = linked || typed.find_first_of(u"\r\n") != std::u16string::npos;
    if (pages_.Running() || (several && !typed.empty() && StartPages(typed))) {
      // Several addresses, or one to follow: the progress window runs them and the dialog
      // is free again, behind that window rather than over it.
      ShowWindow(pages_.hwnd(), SW_SHOWNORMAL);
      SetForegroundWindow(pages_.hwnd());
      EnableWindow(hwnd(), TRUE);
      return;
    }
    if (typed.empty()) {
      ShowError(ui, kNoUrl);
    } else if (!several) {
      SetControlText(Item(IDC_TXTURL), typed);
      StartDownload();
      if (Downloading()) return;
    }
  } else {
    const std::u16string path = ControlText(Item(PageControl(IDC_LBLEXTRACTEDFILE0, mode)));
    if (!IsExistingFile(context_.shell.fs, path)) {
      ShowError(ui, kNoFile);
    } else if (StartExtraction(path, {}, {}, false)) {
      return;
    }
  }
  EndRun();
}

ExtractOptions frmExtract::CurrentOptions() const {
  ExtractOptions options;
  options.mode = static_cast<ExtractMode>(Mode());
  if (options.mode == ExtractMode::Download &&
      IsDlgButtonChecked(hwnd(), IDC_CHKURLPARSED) == BST_CHECKED) {
    options.mode = ExtractMode::Parsed;
  }
  options.protocol = ControlText(Item(IDC_CMBPROTOCOL));
  options.fullWidth = IsDlgButtonChecked(hwnd(), IDC_CHKURLTWINCHAR) == BST_CHECKED;
  options.notReturnSearch = IsDlgButtonChecked(hwnd(), IDC_CHKNOTRETURNSEARCH) == BST_CHECKED;
  options.baseUrlBox = ControlText(BaseUrlBox());
  return options;
}

bool frmExtract::StartExtraction(const std::u16string& path, const std::u16string& pageUrl,
                                 std::string contentType, bool fromDownload) {
  ExtractOptions options = CurrentOptions();
  options.pageUrl = pageUrl;
  // The worker works on copies of everything; the list is changed here, when it ends.
  auto work = [path, options, filter = ControlText(Item(PageControl(IDC_TXTFILTER0, Mode()))),
               contentType = std::move(contentType),
               pending = PendingLines(context_.shell.list)](DownloadControl& control) mutable {
    long long reported = 0;
    Extraction done;
    done.result = GatherUrlsFromFile(
        path, options, filter, pending, contentType,
        [&](long long bytes) {
          const long long step = bytes - reported;
          reported = bytes;
          return control.Guarded(static_cast<std::size_t>(step), [] { return true; });
        },
        &done.leftOut);
    done.lines = std::move(pending);
    return done;
  };
  if (!extraction_.Start(std::move(work), {}, hwnd(), kExtractionDone)) {
    ShowError(context_.shell.ui, kNoWorker);
    return false;
  }
  extractedPath_ = path;
  fromDownload_ = fromDownload;
  EnableWindow(hwnd(), TRUE);
  ShowRunning(true, kExtractingCaption);
  // Without the timer the bytes so far go unshown; the download itself goes on.
  CARDO_CHECK_WIN32(SetTimer(hwnd(), kProgressTimer, kProgressMilliseconds, nullptr));
  return true;
}

void frmExtract::ExtractionEnded() {
  KillTimer(hwnd(), kProgressTimer);
  Extraction done = extraction_.Finish();
  ShowRunning(false, kCaption);
  EnableWindow(hwnd(), FALSE);
  Ui& ui = context_.shell.ui;
  if (done.lines) AddGatheredToList(*done.lines, context_.shell);
  switch (done.result) {
    case ExtractResult::Done:
      if (done.leftOut > 0) {
        ui.ShowMessage(kFinished + (u"\r\n\r\n" + LeftOutNote(done.leftOut) + u"。"),
                       msg::kInfoTitle, MessageIcon::Information, MessageButtons::Ok);
      } else if (fromDownload_) {
        ui.ShowMessage(kFinished, msg::kInfoTitle, MessageIcon::Information, MessageButtons::Ok);
      } else {
        ui.Beep();
      }
      break;
    case ExtractResult::Unreadable:
      ShowError(ui, msg::kUnreadableFile + extractedPath_);
      break;
    case ExtractResult::OutOfMemory:
      ShowError(ui, kOutOfMemory + extractedPath_);
      break;
  }
  if (IsOpen()) EndRun();
}

void frmExtract::StartDownload() {
  HWND box = Item(IDC_TXTURL);
  const std::u16string typed = ControlText(box);
  const std::u16string url = DownloadAddress(typed);
  if (url != typed) SetControlText(box, url);
  const std::u16string temp = context_.appDirectory + kTempFile;
  DownloadLimits limits;
  limits.pageBytes =
      static_cast<long long>(SettingInRange<&Settings::MaxPageMiB>(context_.settings)) << 20;
  if (!download_.Start(runDownload_, url, temp, hwnd(), kDownloadDone, limits)) {
    ShowError(context_.shell.ui, kDownloadFailed);
    return;
  }
  EnableWindow(hwnd(), TRUE);
  ShowRunning(true, kDownloadingCaption);
  // Without the timer the bytes so far go unshown; the download itself goes on.
  CARDO_CHECK_WIN32(SetTimer(hwnd(), kProgressTimer, kProgressMilliseconds, nullptr));
}

bool frmExtract::StartPages(const std::u16string& addresses) {
  Ui& ui = context_.shell.ui;
  const StartAddresses starts = ReadStartAddresses(addresses);
  if (!starts.invalidLines.empty()) {
    std::u16string lines;
    for (const int line : starts.invalidLines) {
      lines += (lines.empty() ? u"" : u", ") + Utf8ToUtf16(std::to_string(line));
    }
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_TXTURL)), TRUE);
    ShowError(ui, kBadAddressLines + lines);
    return false;
  }
  CrawlRules rules;
  rules.depth = IsDlgButtonChecked(hwnd(), IDC_CHKURLLINKED) == BST_CHECKED ? 1 : 0;
  rules.maxPages = SettingInRange<&Settings::MaxCrawlPages>(context_.settings);
  rules.limits.pageBytes =
      static_cast<long long>(SettingInRange<&Settings::MaxPageMiB>(context_.settings)) << 20;
  // Each download has a file of its own in the system's temporary folder, gone once scanned.
  PageFetcher fetch = [download = runDownload_, options = CurrentOptions()](
                          const std::u16string& url, int, DownloadControl& control,
                          PageLinks& links) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"crd", 0, path)) {
      FetchedLinks failed;
      failed.reason = u"一時ファイルを作れませんでした。";
      return failed;
    }
    const std::u16string file = reinterpret_cast<const char16_t*>(path);
    FetchedLinks fetched =
        ScanFetchedPage(download(url, file, control), file, options, control, links);
    // The links are read: a download left in the temporary folder is reported, not fatal.
    CARDO_CHECK_WIN32(DeleteFileW(path));
    return fetched;
  };
  auto crawl = std::make_shared<PageCrawl>(starts.urls, rules,
                                           ControlText(Item(PageControl(IDC_TXTFILTER0, Mode()))),
                                           std::move(fetch), pages_.GatherForList());
  if (!pages_.Start(context_.main, std::move(crawl))) {
    ShowError(ui, kNoWorker);
    return false;
  }
  return true;
}

void frmExtract::ShowRunning(bool running, const char16_t* caption) {
  HWND cancel = Item(IDC_CMDSTARTCANCEL1);
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child != cancel) EnableWindow(child, running ? FALSE : TRUE);
  }
  SetControlText(cancel, running ? kCancel : kClose);
  if (running) SetFocus(cancel);
  SetControlText(hwnd(), caption);
}

void frmExtract::ShowProgress() {
  const bool downloading = Downloading();
  const long long bytes = downloading ? download_.Bytes() : extraction_.Bytes();
  if (bytes == 0) return;
  SetControlText(hwnd(), (downloading ? kDownloadingCaption : kExtractingCaption) +
                             (u" " + GroupedDecimalText(bytes) + u" バイト"));
}

void frmExtract::CancelRun() {
  if (!Running()) return;
  const bool downloading = Downloading();
  download_.Cancel();
  // A stopped page is no page: it is not left behind at whatever size it had reached. The
  // worker may still hold the file (it writes nothing more), so it is emptied, not removed.
  if (downloading) {
    if (std::FILE* emptied = OpenStream(context_.appDirectory + kTempFile, "wb")) {
      std::fclose(emptied);
    }
  }
  extraction_.Cancel();
  KillTimer(hwnd(), kProgressTimer);
  ShowRunning(false, kCaption);
  EndRun();
}

void frmExtract::DownloadEnded() {
  KillTimer(hwnd(), kProgressTimer);
  const DownloadOutcome outcome = download_.Finish();
  ShowRunning(false, kCaption);
  EnableWindow(hwnd(), FALSE);
  const std::u16string temp = context_.appDirectory + kTempFile;
  if (outcome.status == DownloadStatus::Failed) {
    // A page refused at its limit may have reached it: nothing is left of what failed.
    SystemFileSystem().Remove(temp);
    ShowError(context_.shell.ui, kDownloadFailed + (u"\r\n\r\n" + outcome.reason));
  } else if (outcome.status == DownloadStatus::Done && !IsScannedStartType(outcome.contentType)) {
    SystemFileSystem().Remove(temp);
    ShowError(context_.shell.ui, NotAPageReason(outcome.contentType));
  } else if (outcome.status == DownloadStatus::Done &&
             StartExtraction(context_.appDirectory + kTempFile, outcome.finalUrl,
                             outcome.contentType, true)) {
    return;
  }
  if (IsOpen()) EndRun();
}

void frmExtract::EndRun() {
  EnableWindow(hwnd(), TRUE);
  SetFocus(hwnd());
}

}  // namespace cardo
