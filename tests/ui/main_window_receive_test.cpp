// The main window as the receiver of the browser extension's links, over real HTTP on the
// loopback address: the requests run on a thread of the test while this one pumps the
// window's messages, as the program's loop would.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <future>
#include <new>
#include <string>
#include <utility>

#include "app/controls/dialog_win.h"
#include "app/export/export.h"
#include "app/list/url_list.h"
#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "app/resources/version.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using testing::MainWindowTest;
using testing::PumpUntil;

constexpr unsigned short kPort = 48765;

class Winsock {
 public:
  Winsock() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~Winsock() { WSACleanup(); }
};

// A connection to the receiver, tried again for a while: it starts listening on its thread.
SOCKET Connect(unsigned short port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (int i = 0;; ++i) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || i == 200) {
      return s;
    }
    closesocket(s);
    Sleep(10);
  }
}

// Sends `request` and reads the answer until the receiver closes.
std::string Exchange(std::string request) {
  const Winsock winsock;
  const SOCKET s = Connect(kPort);
  send(s, request.data(), static_cast<int>(request.size()), 0);
  std::string answer;
  char chunk[4096];
  for (int got; (got = recv(s, chunk, sizeof chunk, 0)) > 0;) answer.append(chunk, got);
  closesocket(s);
  return answer;
}

std::string Request(std::string_view method, std::string_view path, std::string_view token,
                    std::string_view body = "") {
  return std::string(method) + " " + std::string(path) +
         " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(kPort) + "\r\nAuthorization: Bearer " +
         std::string(token) + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         std::string(body);
}

std::string Body(const std::string& answer) {
  const auto end = answer.find("\r\n\r\n");
  return end == std::string::npos ? answer : answer.substr(end + 4);
}

class ReceiverTest : public MainWindowTest {
 protected:
  void TurnOn() {
    settings.ReceiveLinks = 1;
    settings.ReceivePort = kPort;
    window->SetPrefarence();
  }
  std::string Token() const { return Utf16ToUtf8(settings.ReceiveToken); }
  // The answer to `request`, the window's messages delivered meanwhile.
  std::string Send(std::string request) {
    auto answer = std::async(std::launch::async, Exchange, std::move(request));
    EXPECT_TRUE(PumpUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    return answer.get();
  }
};

TEST_F(ReceiverTest, TurnedOnItMakesATokenAndAddsEachRequestAsOneStepWithItsPages) {
  TurnOn();
  ASSERT_EQ(settings.ReceiveToken.size(), 32u);
  EXPECT_EQ(settings.ReceiveToken.find_first_not_of(u"0123456789abcdef"), std::u16string::npos);

  const std::string sent = Send(
      Request("POST", "/v1/links", Token(),
              R"({"page":"http://p/d/page.html#top","title":"t","urls":["a.jpg","http://h/b.jpg",)"
              R"({"url":"http://f/c.jpg","page":"http://f/frame.html"},"a.jpg"]})"));
  EXPECT_EQ(Body(sent),
            R"({"added":3,"skipped":{"scheme":0,"duplicate":1,"full":0},"room":32764})");
  ASSERT_EQ(window->list().Lines(),
            (Lines{u"http://p/d/a.jpg", u"http://h/b.jpg", u"http://f/c.jpg"}));
  EXPECT_EQ(window->StatusText(3), u"ブラウザから 3 行を追加しました");

  // The pages are what the Referer rule sends.
  dir.Write(u"aria2c.exe", "");
  settings.OtherPath = dir.File(u"aria2c.exe");
  settings.OtherFormat = testing::StoredOtherFormat(ExportFormat::Aria2);
  settings.ExportReferer = static_cast<std::int16_t>(RefererRule::Page);
  Command(IDM_EXPORT_OTHER);
  EXPECT_EQ(dir.Read(u"TEMP.ARIA2"),
            "http://p/d/a.jpg\r\n out=a.jpg\r\n referer=http://p/d/page.html\r\n"
            "http://h/b.jpg\r\n out=b.jpg\r\n referer=http://p/d/page.html\r\n"
            "http://f/c.jpg\r\n out=c.jpg\r\n referer=http://f/frame.html\r\n");

  Command(IDM_EDIT_UNDO);
  EXPECT_EQ(window->list().Count(), 0);
}

TEST_F(ReceiverTest, ThePreferencesMakeTheTokenOnceAndCopyAndRemakeIt) {
  settings.ReceivePort = kPort;
  Command(IDM_VIEW_PREFERENCES);
  frmPrefarence& form = window->Tools().Prefarence();
  const auto press = [&](int id) {
    SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form.Control(id)));
  };
  const auto check = [&](bool on) {
    SendMessageW(form.Control(IDC_PREF_CHKRECEIVE), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED,
                 0);
    press(IDC_PREF_CHKRECEIVE);
  };
  HWND token = form.Control(IDC_PREF_TXTRECEIVETOKEN);
  EXPECT_EQ(ControlText(token), u"");
  const auto greyed = [&] {
    return !IsWindowEnabled(token) && !IsWindowEnabled(form.Control(IDC_PREF_UDTRECEIVEPORT)) &&
           !IsWindowEnabled(form.Control(IDC_PREF_CMDCOPYTOKEN)) &&
           !IsWindowEnabled(form.Control(IDC_PREF_CMDNEWTOKEN));
  };
  EXPECT_TRUE(greyed());
  check(true);
  EXPECT_TRUE(IsWindowEnabled(token));
  EXPECT_TRUE(IsWindowEnabled(form.Control(IDC_PREF_CMDNEWTOKEN)));
  const std::u16string made = ControlText(token);
  EXPECT_EQ(made.size(), 32u);
  press(IDC_PREF_CMDCOPYTOKEN);
  EXPECT_EQ(ui.clipboard, made);
  press(IDC_PREF_CMDNEWTOKEN);
  const std::u16string remade = ControlText(token);
  EXPECT_EQ(remade.size(), 32u);
  EXPECT_NE(remade, made);
  check(false);
  EXPECT_TRUE(greyed());
  check(true);
  EXPECT_EQ(ControlText(token), remade);

  press(IDC_CMDOKCANCEL0);
  EXPECT_EQ(settings.ReceiveLinks, 1);
  EXPECT_EQ(settings.ReceiveToken, remade);
  EXPECT_NE(Send(Request("GET", "/v1/status", Token())).find(" 200 OK"), std::string::npos);
}

TEST_F(ReceiverTest, RefusedRequestsAddNothingAndTheRoomIsTheLists) {
  TurnOn();
  const std::string links = R"({"urls":["http://a/1","http://a/2","http://a/3"]})";
  const struct {
    std::string request;
    const char* status;
  } refused[] = {
      {Request("POST", "/v1/links", "0123456789abcdef0123456789abcdef", links), "401"},
      {Request("POST", "/v1/links", "", links), "401"},
      {"POST /v1/links HTTP/1.1\r\nHost: evil.example:48765\r\nAuthorization: Bearer " + Token() +
           "\r\nContent-Length: " + std::to_string(links.size()) + "\r\n\r\n" + links,
       "421"},
      {Request("POST", "/v1/links", Token(), "{\"urls\":["), "400"},
  };
  for (const auto& row : refused) {
    EXPECT_EQ(Send(row.request).substr(9, 3), row.status) << row.request;
  }
  EXPECT_EQ(window->list().Count(), 0);

  // Near the limit the first lines that fit go in, the rest are said left out.
  std::vector<std::u16string> filler(kMaxListLines - 2, u"http://x/");
  {
    const RedrawSuspension hidden(window->view());
    window->view().AppendLines(filler, false);
  }
  EXPECT_EQ(Body(Send(Request("GET", "/v1/status", Token()))),
            R"({"name":"Cardo","version":")" CARDO_VERSION_TEXT R"(","room":2})");
  EXPECT_EQ(Body(Send(Request("POST", "/v1/links", Token(), links))),
            R"({"added":2,"skipped":{"scheme":0,"duplicate":0,"full":1},"room":0})");
  EXPECT_EQ(window->list().Count(), kMaxListLines);
  EXPECT_EQ(window->StatusText(3), u"ブラウザから 2 行を追加しました (上限のため 1 行は除外)");
  EXPECT_TRUE(ui.messages.empty());
}

// A request that comes while the close asks whether to save waits for the answer: the links
// go into the list when the close is called off (or fails on its way), and are never reported
// as added when the program closes.
TEST_F(ReceiverTest, LinksThatComeWhileTheCloseAsksWaitForItsAnswer) {
  const struct {
    MessageAnswer answer;
    bool fails;
    bool closed;
    const char* heard;
  } cases[] = {
      {MessageAnswer::Cancel, false, false, R"("added":1)"},
      {MessageAnswer::No, true, false, R"("added":1)"},
      {MessageAnswer::No, false, true, ""},
  };
  TurnOn();
  // Called off first, then closed: the same window each time.
  for (const auto& c : cases) {
    window->list().ReplaceAll({u"http://h/first.zip"});
    window->shell().document.MarkModified();
    std::future<std::string> late;
    ui.answers = {c.answer};
    // Only the question asks: a failure's message comes with nothing.
    ui.whileAsking = [&, asked = false]() mutable {
      if (std::exchange(asked, true)) return;
      late = std::async(std::launch::async, Exchange,
                        Request("POST", "/v1/links", Token(), R"({"urls":["http://h/late.zip"]})"));
      // The request reaches the window and is held there, unanswered.
      EXPECT_FALSE(PumpUntil(
          [&] { return late.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
          300));
      if (c.fails) throw std::bad_alloc();
    };
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    ui.whileAsking = nullptr;
    EXPECT_EQ(window->closed(), c.closed);
    ASSERT_TRUE(PumpUntil(
        [&] { return late.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const std::string heard = late.get();
    if (*c.heard) {
      EXPECT_NE(heard.find(c.heard), std::string::npos) << heard;
      EXPECT_EQ(window->list().Lines(), (Lines{u"http://h/first.zip", u"http://h/late.zip"}));
    } else {
      EXPECT_EQ(heard.find("added"), std::string::npos) << heard;
    }
  }
}

TEST_F(ReceiverTest, APortAnotherProgramHoldsIsSaidOnceInTheStatusBar) {
  const Winsock winsock;
  const SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(kPort);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(holder, 1), 0);

  TurnOn();
  ASSERT_TRUE(PumpUntil([&] { return !window->StatusText(3).empty(); }));
  EXPECT_EQ(window->StatusText(3), u"ブラウザから受け取れません: ポート 48765 は使用中です");
  EXPECT_TRUE(StatusPartFits(3));
  EXPECT_TRUE(ui.messages.empty());
  closesocket(holder);

  // Turned off and on again in the preferences, it takes the port now free.
  settings.ReceiveLinks = 0;
  window->SetPrefarence();
  TurnOn();
  EXPECT_NE(Send(Request("GET", "/v1/status", Token())).find("\"room\":32767"), std::string::npos);
}

TEST_F(ReceiverTest, ClosingWithAConnectionOpenStopsAtOnce) {
  TurnOn();
  const Winsock winsock;
  const SOCKET slow = Connect(kPort);
  const std::string head = "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:48765\r\n";
  send(slow, head.data(), static_cast<int>(head.size()), 0);
  const auto start = std::chrono::steady_clock::now();
  window.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  closesocket(slow);
}

}  // namespace
}  // namespace cardo
