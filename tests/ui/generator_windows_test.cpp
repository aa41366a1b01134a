// The list generators' windows, driven in-process through the main window; the library's
// expansion is stood in for where a test needs to steer it.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/controls/up_down_text_box_win.h"
#include "app/controls/vo_panel_win.h"
#include "app/list/messages.h"
#include "app/resources/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using testing::U;

class GeneratorWindowsTest : public testing::MainWindowTest {
 protected:
  ToolWindows& generators() { return window->Tools(); }
  static void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  static void Type(HWND dialog, int id, const std::u16string& text) {
    SetControlText(GetDlgItem(dialog, id), text);
  }
  static UpDownTextBox& Spin(HWND dialog, int id) {
    return *UpDownTextBox::From(GetDlgItem(dialog, id));
  }
  static void TypeNumber(HWND dialog, int id, const std::u16string& text) {
    SetControlText(Spin(dialog, id).EditHwnd(), text);
  }
  static std::u16string ListItem(HWND list, int index) {
    wchar_t text[512] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return std::u16string(reinterpret_cast<const char16_t*>(text));
  }
  Lines Messages() const {
    Lines texts;
    for (const auto& m : ui.messages) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(GeneratorWindowsTest, ViewMenuToolbarAndToolMenuOpenOneInstanceEach) {
  HMENU view = GetSubMenu(GetMenu(window->hwnd()), 2);
  SendMessageW(window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
  for (const int command :
       {IDM_VIEW_DROP_DIALOG, IDM_VIEW_FREE_INPUT, IDM_VIEW_SPREAD_URL, IDM_VIEW_GENE_LIST}) {
    EXPECT_TRUE(testing::MenuEnabled(view, command)) << command;
  }
  EXPECT_TRUE(ToolbarEnabled(16));
  EXPECT_TRUE(ToolbarEnabled(17));

  const struct {
    int command;
    DialogWindow& form;
    const char16_t* caption;
  } cases[] = {
      {IDM_VIEW_DROP_DIALOG, generators().DropDialog(), u"Drop Dialog"},
      {ToolMenuCommand(1), generators().FreeInput(), u"フリー入力"},
      {ToolMenuCommand(2), generators().SpreadUrl(), u"短縮リストの伸長"},
      {IDM_VIEW_GENE_LIST, generators().GeneList(), u"規則的リストの生成"},
  };
  for (const auto& c : cases) {
    Command(c.command);
    ASSERT_TRUE(c.form.IsOpen()) << c.command;
    const HWND first = c.form.hwnd();
    EXPECT_EQ(testing::WindowText(first), c.caption);
    EXPECT_EQ(GetWindow(first, GW_OWNER), window->hwnd());
    Command(c.command);
    EXPECT_EQ(c.form.hwnd(), first);  // one instance
  }
  ClickToolbar(16);
  EXPECT_EQ(GetWindow(generators().DropDialog().hwnd(), GW_OWNER), window->hwnd());
}

TEST_F(GeneratorWindowsTest, GeneratorLoadsRunsAndStoresItsSettings) {
  settings.ListHistory = Lines{u"http://b/", u"http://a/"};
  settings.ExtList = Lines{u"lzh", u"zip"};
  settings.ContinueFileName = 1;
  settings.CharStart = 30;  // hand-edited: shows the first letter
  settings.CharEnd = 1;
  settings.NumStart = 9;
  settings.NumEnd = 11;
  settings.FigLength = 0;  // below the box's minimum
  settings.ListMax = 10;
  generators().GeneList().Show();
  HWND gen = generators().GeneList().hwnd();
  EXPECT_EQ(SendDlgItemMessageW(gen, IDC_CMBURL, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendDlgItemMessageW(gen, IDC_CMBEXTLIST, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendDlgItemMessageW(gen, IDC_CMBCHAR0, CB_GETCOUNT, 0, 0), 26);
  EXPECT_EQ(SendDlgItemMessageW(gen, IDC_CMBCHAR0, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(IsDlgButtonChecked(gen, IDC_OPTCONTINUE1), BST_CHECKED);
  EXPECT_EQ(Spin(gen, IDC_UDTFIGURE).Value(), 1);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(gen, IDC_CMBCHAR0)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(gen, IDC_CHKVALUERAR)));
  EXPECT_FALSE(IsWindowEnabled(Spin(gen, IDC_UDTFIGURE).EditHwnd()));
  CheckDlgButton(gen, IDC_CHKWINRAR, BST_CHECKED);
  Click(gen, IDC_CHKWINRAR);
  CheckDlgButton(gen, IDC_CHKSETFIGURE, BST_CHECKED);
  Click(gen, IDC_CHKSETFIGURE);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(gen, IDC_CMBCHAR1)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(gen, IDC_FRAWINRARMODE)));
  EXPECT_TRUE(IsWindowEnabled(Spin(gen, IDC_UDTFIGURE).EditHwnd()));

  // Refusals leave the base text, the history and the list as they were.
  const struct {
    const char16_t* figure;
    const char16_t* start;
    const char16_t* message;
  } refusals[] = {
      {u"99999", u"9", u"桁あわせの桁数不正です。"},
      {u"-1", u"9", u"桁あわせの桁数不正です。"},
      {u"3", u"100", u"初期値の値が大きすぎます(2桁まで)。"},
  };
  Type(gen, IDC_CMBURL, u"http://c/");
  for (const auto& r : refusals) {
    ui.messages.clear();
    TypeNumber(gen, IDC_UDTFIGURE, r.figure);
    TypeNumber(gen, IDC_UDTNUM0, r.start);
    Click(gen, IDC_CMDGENECLOSE0);
    EXPECT_EQ(Messages(), Lines{r.message});
    EXPECT_EQ(testing::WindowText(GetDlgItem(gen, IDC_CMBURL)), u"http://c/");
  }
  EXPECT_EQ(window->list().Count(), 0);

  // WinRAR, file-name mode: from s 98 to t 01 with the rar name.
  SendDlgItemMessageW(gen, IDC_CMBCHAR0, CB_SETCURSEL, 1, 0);
  SendDlgItemMessageW(gen, IDC_CMBCHAR1, CB_SETCURSEL, 2, 0);
  TypeNumber(gen, IDC_UDTNUM0, u"98");
  TypeNumber(gen, IDC_UDTNUM1, u"1");
  Type(gen, IDC_CMBEXTLIST, u"part");
  CheckDlgButton(gen, IDC_CHKVALUERAR, BST_CHECKED);
  ui.messages.clear();
  Click(gen, IDC_CMDGENECLOSE0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(window->list().Lines(),
            (Lines{u"http://c/s98.part", u"http://c/s99.part", u"http://c/t00.part",
                   u"http://c/t01.part", u"http://c/rar.part"}));
  EXPECT_EQ(testing::WindowText(gen), u"規則的リストの生成");
  EXPECT_EQ(testing::WindowText(GetDlgItem(gen, IDC_CMBURL)), u"");
  EXPECT_EQ(testing::WindowText(window->hwnd()), u"Cardo - [無題*]");

  TypeNumber(gen, IDC_UDTNUM1, u"40000");  // past the box's maximum: stored as the maximum
  Click(gen, IDC_CMDGENECLOSE1);
  EXPECT_FALSE(generators().GeneList().IsOpen());
  EXPECT_EQ(settings.ListHistory, (Lines{u"http://c/", u"http://b/", u"http://a/"}));
  EXPECT_EQ(settings.WinRarMode, 1);
  EXPECT_EQ(settings.ValueRar, 1);
  EXPECT_EQ(settings.SetFigure, 1);
  EXPECT_EQ(settings.CharStart, 1);
  EXPECT_EQ(settings.CharEnd, 2);
  EXPECT_EQ(settings.NumStart, 98);
  EXPECT_EQ(settings.NumEnd, 32767);
  EXPECT_EQ(settings.FigLength, 3);
}

TEST_F(GeneratorWindowsTest, StepFieldGeneratesEveryNthNameAndIsStored) {
  settings.NumStart = 1;
  settings.NumEnd = 10;
  settings.NumStep = 0;  // hand-edited: shows the nearest step
  generators().GeneList().Show();
  HWND gen = generators().GeneList().hwnd();
  EXPECT_EQ(Spin(gen, IDC_UDTSTEP).Value(), 1);
  Type(gen, IDC_CMBURL, u"u");
  TypeNumber(gen, IDC_UDTSTEP, u"0");
  Click(gen, IDC_CMDGENECLOSE0);
  EXPECT_EQ(Messages(), Lines{u"増分は1から32767までの値にしてください。"});
  EXPECT_EQ(window->list().Count(), 0);
  ui.messages.clear();
  TypeNumber(gen, IDC_UDTSTEP, u"4");
  Click(gen, IDC_CMDGENECLOSE0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(window->list().Lines(), (Lines{u"u.1", u"u.5", u"u.9"}));
  Click(gen, IDC_CMDGENECLOSE1);
  EXPECT_EQ(settings.NumStep, 4);
}

TEST_F(GeneratorWindowsTest, ArrowKeysStepTheSpinBoxesWithinTheirBounds) {
  settings.NumStart = 9;
  settings.NumEnd = 32767;
  settings.SetFigure = 1;
  settings.FigLength = 1;
  generators().GeneList().Show();
  HWND gen = generators().GeneList().hwnd();
  const struct {
    int id;
    const char16_t* typed;  // nullptr: as loaded
    WPARAM key;
    std::int32_t after;
  } steps[] = {
      {IDC_UDTNUM0, nullptr, VK_UP, 10},      {IDC_UDTNUM0, nullptr, VK_DOWN, 9},
      {IDC_UDTNUM0, u"25", VK_UP, 26},        {IDC_UDTNUM1, nullptr, VK_UP, 32767},
      {IDC_UDTNUM1, nullptr, VK_DOWN, 32766}, {IDC_UDTFIGURE, nullptr, VK_DOWN, 1},
      {IDC_UDTFIGURE, nullptr, VK_UP, 2},     {IDC_UDTNUM0, u"99999", VK_UP, 99999},
  };
  for (const auto& step : steps) {
    if (step.typed) TypeNumber(gen, step.id, step.typed);
    testing::PressKey(Spin(gen, step.id).EditHwnd(), step.key);
    EXPECT_EQ(Spin(gen, step.id).Value(), step.after) << step.id << " " << step.key;
  }
}

TEST_F(GeneratorWindowsTest, TabOrAnAccessKeyIntoASpinBoxSelectsItsNumber) {
  settings.NumStart = 7;
  settings.NumEnd = 0;
  generators().GeneList().Show();
  HWND gen = generators().GeneList().hwnd();
  auto selection = [](HWND edit) {
    DWORD start = 1, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return std::pair<DWORD, DWORD>(start, end);
  };
  auto type = [](HWND to, const wchar_t* text) {
    for (; *text; ++text) {
      MSG msg{to, WM_CHAR, static_cast<WPARAM>(*text), 0, 0, {}};
      testing::Deliver(msg);
    }
  };

  // Tab and an access key hand the box to the dialog manager's WM_NEXTDLGCTL.
  for (const int id : {IDC_UDTNUM1, IDC_UDTNUM0}) {
    SetFocus(GetDlgItem(gen, IDC_CMBURL));
    SendMessageW(gen, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(gen, id)), TRUE);
    HWND edit = Spin(gen, id).EditHwnd();
    ASSERT_EQ(GetFocus(), edit) << id;
    EXPECT_EQ(selection(edit), (std::pair<DWORD, DWORD>(0, 1))) << id;
    type(edit, L"120");
    EXPECT_EQ(Spin(gen, id).Value(), 120) << id;
  }
  // A click in the text box keeps the caret where it was put.
  HWND edit = Spin(gen, IDC_UDTNUM0).EditHwnd();
  SendMessageW(edit, EM_SETSEL, 1, 1);
  SetFocus(edit);
  EXPECT_EQ(selection(edit), (std::pair<DWORD, DWORD>(1, 1)));
}

TEST_F(GeneratorWindowsTest, ExtensionsConfirmedInThePreferencesReachTheOpenGenerator) {
  settings.ExtList = Lines{u"lzh"};
  generators().GeneList().Show();
  HWND gen = generators().GeneList().hwnd();
  Type(gen, IDC_CMBEXTLIST, u"typed");
  Command(IDM_VIEW_PREFERENCES);
  frmPrefarence& prefs = generators().Prefarence();
  SetControlText(prefs.Control(IDC_TXTADDEXT), u"rar");
  prefs.cmdExtCmd_Click(0);
  Click(prefs.hwnd(), IDC_CMDOKCANCEL0);
  EXPECT_EQ(ComboItems(GetDlgItem(gen, IDC_CMBEXTLIST)), (Lines{u"lzh", u"rar"}));
  EXPECT_EQ(testing::WindowText(GetDlgItem(gen, IDC_CMBEXTLIST)), u"typed");
}

TEST_F(GeneratorWindowsTest, GeneratorStopsAtTheListLimitWithOneMessage) {
  generators().GeneList().Show();
  HWND gen = generators().GeneList().hwnd();
  Type(gen, IDC_CMBURL, u"u");
  TypeNumber(gen, IDC_UDTNUM0, u"0");
  TypeNumber(gen, IDC_UDTNUM1, u"32767");
  Click(gen, IDC_CMDGENECLOSE0);
  EXPECT_EQ(window->list().Count(), kMaxListLines);
  EXPECT_EQ(window->list().Line(kMaxListLines - 1), u"u.32766");
  EXPECT_EQ(Messages(), Lines{msg::kListFull});
}

TEST_F(GeneratorWindowsTest, UrlBoxCompletesFromTheHistoryUnlessDeletingOrSwitchedOff) {
  settings.ListHistory = Lines{u"ftp://x/", u"http://Host/a/"};
  settings.CmbIntl = 1;
  generators().GeneList().Show();
  frmGeneList& form = generators().GeneList();
  HWND url = GetDlgItem(form.hwnd(), IDC_CMBURL);
  auto typeKey = [&](WPARAM key, const std::u16string& text) {
    form.cmbUrl_KeyDown(key);
    SetControlText(url, text);
    SendMessageW(url, CB_SETEDITSEL, 0, MAKELPARAM(text.size(), text.size()));
    form.cmbUrl_Change();
  };
  typeKey('H', u"htt");
  EXPECT_EQ(testing::WindowText(url), u"http://Host/a/");
  DWORD from = 0, to = 0;
  SendMessageW(url, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 3u);
  EXPECT_EQ(to, 14u);
  typeKey(VK_BACK, u"htt");
  EXPECT_EQ(testing::WindowText(url), u"htt");
  settings.CmbIntl = 0;
  typeKey('H', u"htt");
  EXPECT_EQ(testing::WindowText(url), u"htt");
  EXPECT_EQ(form.cmbUrl_OLEDragDrop(DropData{u"  dropped", {}}, DROPEFFECT_COPY),
            DWORD{DROPEFFECT_COPY});
  EXPECT_EQ(testing::WindowText(url), u"  dropped");
  EXPECT_EQ(form.cmbUrl_OLEDragOver(DropData{std::nullopt, {u"C:\\a.txt"}}, DROPEFFECT_COPY),
            DWORD{DROPEFFECT_NONE});
}

class SpreadWindowTest : public GeneratorWindowsTest {
 protected:
  SpreadWindowTest() {
    spread = [this](HWND owner, std::string_view line) {
      ++calls;
      mainEnabledDuringCall = IsWindowEnabled(window->hwnd()) != FALSE;
      EXPECT_EQ(owner, generators().SpreadUrl().hwnd());
      if (onCall) return onCall(std::string(line));
      SpreadCall call;
      if (line.find('[') == std::string_view::npos) {
        call.code = 1;
      } else {
        call.result = std::string(line.substr(0, line.find('['))) + "1\r\n  \r\n " +
                      std::string(line.substr(0, line.find('['))) + "2\r\n";
      }
      return call;
    };
  }
  int calls = 0;
  bool mainEnabledDuringCall = true;
  std::function<SpreadCall(const std::string&)> onCall;
};

TEST_F(SpreadWindowTest, ExpandsEachLineReportsFailuresAndKeepsTheSource) {
  generators().SpreadUrl().Show();
  HWND form = generators().SpreadUrl().hwnd();
  const std::u16string source = u"a[1-2]\r\nplain\r\n\r\nb[1-2]";
  Type(form, IDC_TXTSOURCE, source);
  generators().SpreadUrl().UpdateCount();
  EXPECT_EQ(testing::WindowText(GetDlgItem(form, IDC_LBLSPREADCOUNT)),
            u"4 行 (リストに入るのは 32,767 行まで)、エラーの行が 1 行");
  Click(form, IDC_CMDSPREAD);
  EXPECT_EQ(testing::WindowText(GetDlgItem(form, IDC_LBLSPREADCOUNT)),
            u"4 行 (リストに入るのは 32,763 行まで)、エラーの行が 1 行");
  EXPECT_EQ(calls, 3);  // the empty line is skipped
  EXPECT_FALSE(mainEnabledDuringCall);
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
  EXPECT_EQ(window->list().Lines(), (Lines{u"a1", u" a2", u"b1", u" b2"}));
  EXPECT_EQ(Messages(), Lines{u"plain - 文字列内に[が見つかりません。"});
  EXPECT_EQ(testing::WindowText(GetDlgItem(form, IDC_TXTSOURCE)), source);
  EXPECT_EQ(testing::WindowText(window->hwnd()), u"Cardo - [無題*]");

  // No library: one message, the loop ends there.
  ui.messages.clear();
  calls = 0;
  onCall = [](const std::string&) {
    SpreadCall call;
    call.status = SpreadCall::Status::NoLibrary;
    return call;
  };
  Click(form, IDC_CMDSPREAD);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Messages(),
            Lines{u"CARDOFNC.DLLが無いか、または壊れています。\r\n伸長に失敗しました。"});
  EXPECT_EQ(window->list().Count(), 4);
}

TEST_F(SpreadWindowTest, ExtendedSyntaxCountsListsFaultsAndRefusesPastTheRoom) {
  settings.SpreadExtended = 1;
  generators().SpreadUrl().Show();
  HWND form = generators().SpreadUrl().hwnd();
  HWND faults = GetDlgItem(form, IDC_LSTSPREADERRORS);
  EXPECT_EQ(IsDlgButtonChecked(form, IDC_CHKEXTENDED), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(faults));
  const std::u16string source = u"v[n=1-2]/c[n=a,b]\r\nx[1-]\r\n[10-1:4]";
  Type(form, IDC_TXTSOURCE, source);
  generators().SpreadUrl().UpdateCount();
  EXPECT_EQ(testing::WindowText(GetDlgItem(form, IDC_LBLSPREADCOUNT)),
            u"5 行 (リストに入るのは 32,767 行まで)、エラーの行が 1 行");
  Click(form, IDC_CMDSPREAD);
  EXPECT_EQ(calls, 0);  // the program expands the extended syntax itself
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(window->list().Lines(), (Lines{u"v1/ca", u"v2/cb", u"10", u"6", u"2"}));
  ASSERT_EQ(SendMessageW(faults, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(ListItem(faults, 0), u"2 行目 5 文字目: 範囲の終わりがありません。");
  generators().SpreadUrl().lstSpreadErrors_DblClick(0);
  DWORD first = 0, last = 0;
  SendDlgItemMessageW(form, IDC_TXTSOURCE, EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                      reinterpret_cast<LPARAM>(&last));
  EXPECT_EQ(first, source.find(u"]", source.find(u"x[")));

  // Past the room nothing is made, and the window says why.
  Type(form, IDC_TXTSOURCE, u"[0-9][0-9][0-9][0-32]");
  Click(form, IDC_CMDSPREAD);
  EXPECT_EQ(
      Messages(),
      Lines{
          u"伸長すると 33,000 行になり、リストに入る 32,762 行を超えるため、伸長しませんでした。"});
  EXPECT_EQ(window->list().Count(), 5);

  // Off: the library's syntax again, stored at once.
  CheckDlgButton(form, IDC_CHKEXTENDED, BST_UNCHECKED);
  Click(form, IDC_CHKEXTENDED);
  EXPECT_EQ(settings.SpreadExtended, 0);
  EXPECT_FALSE(IsWindowEnabled(faults));
  EXPECT_EQ(SendMessageW(faults, LB_GETCOUNT, 0, 0), 0);
  Click(form, IDC_CMDSPREAD);
  EXPECT_EQ(calls, 1);
}

TEST_F(SpreadWindowTest, AHugeResultIsCutAtTheLimitAndAClosedWindowTakesNothing) {
  onCall = [](const std::string&) {
    SpreadCall call;
    for (int i = 0; i < 100000; ++i) call.result += "http://h/" + std::to_string(i) + "\r\n";
    return call;
  };
  generators().SpreadUrl().Show();
  HWND form = generators().SpreadUrl().hwnd();
  Type(form, IDC_TXTSOURCE, u"http://h/[0-99999]\r\nnever[1-2]");
  Click(form, IDC_CMDSPREAD);
  EXPECT_EQ(calls, 1);  // the list is full: the next line is not expanded
  EXPECT_EQ(window->list().Count(), kMaxListLines);
  EXPECT_EQ(Messages(), Lines{msg::kListFull});

  window->list().Clear();
  onCall = [this](const std::string&) {
    DestroyWindow(generators().SpreadUrl().hwnd());  // the program closes meanwhile
    SpreadCall call;
    call.result = "late\r\n";
    return call;
  };
  Click(form, IDC_CMDSPREAD);
  EXPECT_EQ(window->list().Count(), 0);
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
}

TEST_F(SpreadWindowTest, RightClickMenuActsOnTheTextBox) {
  generators().SpreadUrl().Show();
  frmSpreadUrl& form = generators().SpreadUrl();
  HWND box = GetDlgItem(form.hwnd(), IDC_TXTSOURCE);
  SetControlText(box, u"abc");
  form.mnuRMnuSub_Click(8);  // select all
  DWORD from = 0, to = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(to - from, 3u);
  form.mnuRMnuSub_Click(9);  // delete all, undoable
  EXPECT_EQ(testing::WindowText(box), u"");
  form.mnuRMnuSub_Click(1);
  EXPECT_EQ(testing::WindowText(box), u"abc");
  SendMessageW(box, EM_SETSEL, 3, 3);
  form.txtSource_OLEDragDrop(DropData{u"[1-2]", {}}, DROPEFFECT_COPY);
  EXPECT_EQ(testing::WindowText(box), u"abc[1-2]");
}

TEST_F(GeneratorWindowsTest, FreeInputAddsLinesAndStaysOpen) {
  settings.TextClear = 0;
  generators().FreeInput().Show();
  frmFreeInput& form = generators().FreeInput();
  HWND box = GetDlgItem(form.hwnd(), IDC_TXTFREEINPUT);
  EXPECT_EQ(IsDlgButtonChecked(form.hwnd(), IDC_CHKTEXTCLEAR), BST_UNCHECKED);
  Click(form.hwnd(), IDC_CMDINPUT);
  EXPECT_EQ(Messages(), Lines{u"追加する文字列が入力されていません。"});
  ui.messages.clear();

  SetControlText(box, u" a \r\n\r\nb\r\n");
  Click(form.hwnd(), IDC_CMDINPUT);
  EXPECT_EQ(window->list().Lines(), (Lines{u" a ", u"", u"b", u""}));
  EXPECT_TRUE(form.IsOpen());
  EXPECT_EQ(testing::WindowText(box), u" a \r\n\r\nb\r\n");  // kept: the box is not cleared
  CheckDlgButton(form.hwnd(), IDC_CHKTEXTCLEAR, BST_CHECKED);
  Click(form.hwnd(), IDC_CMDINPUT);
  EXPECT_EQ(testing::WindowText(box), u"");

  // Files: read, too large, unreadable (the box keeps its text).
  dir.Write(u"a.txt", "x1\r\nx2");
  dir.Write(u"big.txt", std::string(60000, 'y'));
  SetControlText(box, u"t");
  form.txtFreeInput_OLEDragDrop(DropData{std::nullopt, {dir.File(u"a.txt"), dir.File(u"big.txt")}},
                                DROPEFFECT_COPY);
  EXPECT_EQ(testing::WindowText(box), u"tx1\r\nx2\r\n" +
                                          U("[ERR-MSG] ファイルサイズが大きすぎます : ") +
                                          dir.File(u"big.txt") + u"\r\n");
  EXPECT_TRUE(ui.messages.empty());
  SetControlText(box, u"kept");
  form.txtFreeInput_OLEDragDrop(DropData{std::nullopt, {dir.File(u"a.txt"), dir.path()}},
                                DROPEFFECT_COPY);
  EXPECT_EQ(testing::WindowText(box), u"kept");
  EXPECT_EQ(ui.messages.size(), 1u);

  Click(form.hwnd(), IDCANCEL);
  EXPECT_FALSE(form.IsOpen());
  EXPECT_EQ(settings.TextClear, 1);
}

TEST_F(GeneratorWindowsTest, FreeInputKeepsTheTextTheFullListRefused) {
  settings.TextClear = 1;
  std::vector<std::u16string> full(kMaxListLines - 1, u"x");
  window->list().ReplaceAll(full);
  generators().FreeInput().Show();
  HWND form = generators().FreeInput().hwnd();
  SetControlText(GetDlgItem(form, IDC_TXTFREEINPUT), u"fits\r\nrefused");
  Click(form, IDC_CMDINPUT);
  EXPECT_EQ(window->list().Line(kMaxListLines - 1), u"fits");
  EXPECT_EQ(Messages(), Lines{msg::kListFull});
  EXPECT_EQ(testing::WindowText(GetDlgItem(form, IDC_TXTFREEINPUT)), u"fits\r\nrefused");
}

TEST_F(GeneratorWindowsTest, DropDialogPanelsAndMoving) {
  generators().DropDialog().Show();
  frmDropDialog& form = generators().DropDialog();
  const DropData url{u"http://a/\r\nsecond", {}};
  const DropData files{std::nullopt,
                       {dir.File(u"1.txt"), dir.File(u"missing.txt"), dir.File(u"2.txt")}};
  EXPECT_EQ(form.vopDropPanell_OLEDragOver(0, url, DROPEFFECT_COPY), DWORD{DROPEFFECT_COPY});
  EXPECT_EQ(form.vopDropPanell_OLEDragOver(0, DropData{u"https://a/", {}}, DROPEFFECT_COPY),
            DWORD{DROPEFFECT_COPY});
  for (const char16_t* text : {u"HTTP://a/", u" http://a/", u"file://a"}) {
    EXPECT_EQ(form.vopDropPanell_OLEDragOver(0, DropData{text, {}}, DROPEFFECT_COPY),
              DWORD{DROPEFFECT_NONE});
  }
  EXPECT_EQ(form.vopDropPanell_OLEDragOver(0, files, DROPEFFECT_COPY), DWORD{DROPEFFECT_NONE});
  EXPECT_EQ(form.vopDropPanell_OLEDragOver(1, url, DROPEFFECT_COPY), DWORD{DROPEFFECT_NONE});

  form.vopDropPanell_OLEDragDrop(0, url, DROPEFFECT_COPY);
  dir.Write(u"1.txt", "one\r\n");
  dir.Write(u"2.txt", "two\r\nthree\r\n");
  form.vopDropPanell_OLEDragDrop(1, files, DROPEFFECT_COPY);
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://a/\r\nsecond", u"one", u"two", u"three"}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(testing::WindowText(window->hwnd()), u"Cardo - [無題*]");

  // Pressed on a panel, the pointer moved 30 right and 20 down: the window follows.
  HWND panel = GetDlgItem(form.hwnd(), IDC_VOPDROPPANELL1);
  EXPECT_EQ(SendMessageW(GetWindow(panel, GW_CHILD), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
  RECT before{}, after{};
  GetWindowRect(form.hwnd(), &before);
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  POINT at{5, 5};
  MapWindowPoints(panel, form.hwnd(), &at, 1);
  SendMessageW(form.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x + 30, at.y + 20));
  SendMessageW(form.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(at.x + 30, at.y + 20));
  SendMessageW(form.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x + 90, at.y + 90));  // released
  GetWindowRect(form.hwnd(), &after);
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, 20);
}

}  // namespace
}  // namespace cardo
