// The main window's command table against the places that name its commands: the menus,
// the accelerators and the toolbar.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <vector>

#include "app/export/messages.h"
#include "app/platform/text.h"
#include "app/platform/win_handle.h"
#include "app/resources/resource.h"
#include "app/shell/main_window.h"
#include "tests/net/http_behaviours.h"
#include "tests/net/http_places.h"
#include "tests/support/loopback_server.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using testing::MainWindowTest;
using testing::MenuEnabled;

void AddMenuCommands(HMENU menu, std::set<int>& ids) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU submenu = GetSubMenu(menu, i)) {
      AddMenuCommands(submenu, ids);
    } else if (const UINT id = GetMenuItemID(menu, i); id != 0) {  // 0: a separator
      ids.insert(static_cast<int>(id));
    }
  }
}

int RowsCovering(int id) {
  const auto commands = frmMain::Commands();
  return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                        [id](const frmMain::Command& c) { return c.Covers(id); }));
}

// A menu item, key or button without its row does nothing; a row no place names cannot be
// run; two rows for one identifier leave the second unreachable.
TEST_F(MainWindowTest, EveryCommandHasAPlaceAndEveryPlaceOneCommand) {
  std::set<int> named;
  AddMenuCommands(GetMenu(window->hwnd()), named);
  const UniqueMenu popups(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENUS)));
  AddMenuCommands(popups.get(), named);
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  std::vector<ACCEL> keys(static_cast<std::size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
  CopyAcceleratorTableW(table, keys.data(), static_cast<int>(keys.size()));
  for (const ACCEL& key : keys) named.insert(key.cmd);
  const int buttons = static_cast<int>(SendMessageW(window->toolbarHwnd(), TB_BUTTONCOUNT, 0, 0));
  EXPECT_EQ(buttons, 19);
  for (int position = 1; position <= buttons; ++position) {
    if (const int command = ToolbarCommand(position)) named.insert(command);
  }

  for (const int id : named) EXPECT_EQ(RowsCovering(id), 1) << "identifier " << id;
  for (const auto& command : frmMain::Commands()) {
    EXPECT_TRUE(named.count(command.id)) << "command " << command.id << " has no place";
    EXPECT_TRUE(command.enabled || !command.settingsOnly) << command.id;
  }
}

// The right-click menu runs the Edit menu's commands and follows the same states.
TEST_F(MainWindowTest, RightClickMenuFollowsSelectionAndClipboard) {
  const UniqueMenu popups(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENUS)));
  HMENU menu = GetSubMenu(popups.get(), POPUP_RMNU);
  window->list().ReplaceAll({u"a", u"b"});
  const struct {
    bool selected;
    bool clipboard;
  } states[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const auto& state : states) {
    window->list().SetSelected(1, state.selected);
    ui.clipboard = state.clipboard ? std::optional<std::u16string>(u"x") : std::nullopt;
    SendMessageW(window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    for (const int id : {IDM_EDIT_LINE, IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_DELETE}) {
      EXPECT_EQ(MenuEnabled(menu, id), state.selected) << id;
    }
    for (const int id : {IDM_EDIT_PASTE, IDM_PASTE_LINKS}) {
      EXPECT_EQ(MenuEnabled(menu, id), state.clipboard) << id;
    }
    EXPECT_TRUE(MenuEnabled(menu, IDM_EDIT_SELECT_ALL));
  }
}

// Only the managers' buttons follow their commands' states: the others stay enabled, with
// nothing selected and nothing on the clipboard too.
TEST_F(MainWindowTest, OnlyTheManagersButtonsFollowTheSettings) {
  const auto check = [this](bool pathsSet) {
    window->SetPrefarence();
    for (int position = 1; position <= 19; ++position) {
      if (ToolbarCommand(position) == 0) continue;
      const bool manager = position == 13 || position == 14 || position == 19;
      EXPECT_EQ(ToolbarEnabled(position), !manager || pathsSet) << position;
    }
  };
  check(false);
  settings.ReGetPath = u"C:\\m\\ReGet.exe";
  settings.IriaPath = u"C:\\m\\Iria.exe";
  settings.OtherPath = u"C:\\m\\aria2c.exe";
  check(true);
}

// Delivers this thread's messages until `count` messages were shown, for at most 20 s.
void WaitForMessages(const testing::ScriptedUi& ui, std::size_t count) {
  const DWORD deadline = GetTickCount() + 20000;
  while (ui.messages.size() < count && static_cast<int>(deadline - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// aria2 に送る posts the list over WinHTTP to the address the settings name and says what
// aria2 answered; with nothing listening there the message names the address.
TEST_F(MainWindowTest, SendToAria2PostsTheListAndSaysHowItWent) {
  const std::string reply = R"({"id":"cardo","jsonrpc":"2.0","result":[["2089b05ecca3d829"]]})";
  testing::ServerScript script;
  script.response = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                    std::to_string(reply.size()) + "\r\n\r\n" + reply;
  testing::LoopbackServer server(script);
  window->list().AppendLine(u"http://h/\u8868.jpg");
  window->list().AppendLine(u"gopher://h/x");
  settings.Aria2RpcAddress =
      Utf8ToUtf16("http://127.0.0.1:" + std::to_string(server.port()) + "/jsonrpc");
  settings.Aria2RpcSecret = u"s3";
  Command(IDM_EXPORT_ARIA2_RPC);
  // On a worker, with a copy of the list: a line added meanwhile is not sent.
  window->list().AppendLine(u"http://h/later.jpg");
  WaitForMessages(ui, 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            u"1" + std::u16string(msg::kAria2Accepted) + u"\r\n1" + msg::kAria2Skipped);
  EXPECT_EQ(ui.messages[0].title, u"情報");
  const std::string& request = server.request();
  EXPECT_EQ(request.rfind("POST /jsonrpc HTTP/1.1\r\n", 0), 0u) << request;
  EXPECT_NE(request.find(R"(["token:s3",["http://h/%E8%A1%A8.jpg"],{"out":"%E8%A1%A8.jpg"}])"),
            std::string::npos)
      << request;

  settings.Aria2RpcAddress = Utf8ToUtf16(
      "http://127.0.0.1:" + std::to_string(testing::LoopbackServer::ClosedPort()) + "/jsonrpc");
  Command(IDM_EXPORT_ARIA2_RPC);
  WaitForMessages(ui, 2);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(
      ui.messages[1].text.rfind(msg::kAria2NotConnected + (u"\r\n" + settings.Aria2RpcAddress)), 0u)
      << Utf16ToUtf8(ui.messages[1].text);
  EXPECT_EQ(ui.messages[1].title, u"エラー");
}

// An address that answers the send with a redirect: the program says so, with the status
// and the Location, and sends nothing there.
TEST_F(MainWindowTest, SendToAria2FollowsNoRedirect) {
  const testing::ScriptServer tls(CARDO_TLS_SERVER_SCRIPT);
  window->list().AppendLine(u"http://h/a.zip");
  settings.Aria2RpcSecret = u"s3cret";
  for (const testing::Behaviour& row : testing::Behaviours()) {
    if (!(row.faces & testing::kRpcRedirect)) continue;
    const testing::Places places(row, tls);
    ui.messages.clear();
    settings.Aria2RpcAddress = places.Fill16(row.ask);
    Command(IDM_EXPORT_ARIA2_RPC);
    WaitForMessages(ui, 1);
    ASSERT_EQ(ui.messages.size(), 1u) << row.name;
    EXPECT_EQ(Utf16ToUtf8(ui.messages[0].text),
              Utf16ToUtf8(msg::kAria2Redirected + (u"\r\n" + settings.Aria2RpcAddress) + u"\r\n" +
                          places.Expect(row).reason + u"\r\n1" + msg::kAria2Unsent))
        << row.name;
    EXPECT_EQ(ui.messages[0].title, u"エラー") << row.name;
    EXPECT_TRUE(places.OtherUntouched(row)) << row.name;
  }
}

LRESULT CALLBACK RecordPopup(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR opened) {
  auto& menu = *reinterpret_cast<HMENU*>(opened);
  if (message == WM_INITMENUPOPUP && !menu) menu = reinterpret_cast<HMENU>(wParam);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  EndMenu();
}

// The menu a toolbar arrow drops down, caught as it opens; the menu's loop dispatches the
// timer, which closes it.
HMENU DroppedMenu(HWND window, HWND toolbar, int command) {
  HMENU opened = nullptr;
  SetWindowSubclass(window, RecordPopup, 1, reinterpret_cast<DWORD_PTR>(&opened));
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, CloseMenu);
  NMTOOLBARW note{};
  note.hdr = {toolbar, IDC_TOOLBAR, static_cast<UINT>(TBN_DROPDOWN)};
  note.iItem = command;
  SendMessageW(window, WM_NOTIFY, IDC_TOOLBAR, reinterpret_cast<LPARAM>(&note));
  KillTimer(nullptr, timer);
  RemoveWindowSubclass(window, RecordPopup, 1);
  return opened;
}

TEST_F(MainWindowTest, ToolbarArrowsDropTheRecentFilesAndTheToolMenu) {
  HMENU history = GetSubMenu(GetSubMenu(GetMenu(window->hwnd()), 0), 6);
  EXPECT_EQ(DroppedMenu(window->hwnd(), window->toolbarHwnd(), ToolbarCommand(2)), history);
  HMENU tools = DroppedMenu(window->hwnd(), window->toolbarHwnd(), ToolbarCommand(17));
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(GetMenuItemID(tools, 0), static_cast<UINT>(ToolMenuCommand(1)));
  EXPECT_EQ(DroppedMenu(window->hwnd(), window->toolbarHwnd(), ToolbarCommand(1)), nullptr);
}

}  // namespace
}  // namespace cardo
