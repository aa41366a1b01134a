// The extraction dialog's download from a URL over the program's own HTTP client (WinHTTP),
// through the rows of the table of server behaviours (http_behaviours.h) marked for it: the
// page's one link in the list, or the failure message with the reason every face gives.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "tests/net/http_behaviours.h"
#include "tests/net/http_places.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using testing::PumpUntil;

constexpr char16_t kFailed[] =
    u"URL先のドキュメントが無いか、URLが存在しないか、ファイルの取得に失敗しました。\r\n"
    u"URLやネットワークの接続を確認してください。";

class ExtractFromTheWeb : public testing::MainWindowTest {
 protected:
  static void SetUpTestSuite() { tls = new testing::ScriptServer(CARDO_TLS_SERVER_SCRIPT); }
  static void TearDownTestSuite() { delete tls; }
  static testing::ScriptServer* tls;
};
testing::ScriptServer* ExtractFromTheWeb::tls = nullptr;

TEST_F(ExtractFromTheWeb, EveryRowGivesTheListOrTheReason) {
  ASSERT_TRUE(tls->ready()) << "tls_server.py did not start or its CA was not trusted";
  Command(IDM_VIEW_EXTRACT);
  frmExtract& form = window->Tools().Extract();
  HWND d = form.hwnd();
  SendMessageW(GetDlgItem(d, IDC_CMBMODESELECT), CB_SETCURSEL, 2, 0);
  form.cmbModeSelect_Click();
  SetControlText(GetDlgItem(d, IDC_TXTFILTER2), u"*.zip");
  for (const testing::Behaviour& row : testing::Behaviours()) {
    if (!(row.faces & testing::kDialog)) continue;
    const testing::Places places(row, *tls);
    window->list().ReplaceAll({});
    ui.messages.clear();
    SetControlText(GetDlgItem(d, IDC_TXTURL), places.Fill16(row.ask));
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_CMDSTARTCANCEL0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_CMDSTARTCANCEL0)));
    ASSERT_TRUE(PumpUntil([&] { return !form.Running(); }, 30000)) << row.name;
    const testing::Expected expected = places.Expect(row);
    ASSERT_EQ(ui.messages.size(), 1u) << row.name;
    if (expected.failure == HttpFailure::None) {
      EXPECT_EQ(Utf16ToUtf8(ui.messages[0].text), "終了しました。") << row.name;
      EXPECT_EQ(window->list().Lines(), std::vector<std::u16string>{places.Fill16(row.listed)})
          << row.name;
    } else {
      EXPECT_EQ(Utf16ToUtf8(ui.messages[0].text),
                Utf16ToUtf8(kFailed + (u"\r\n\r\n" + expected.reason)))
          << row.name;
      EXPECT_TRUE(window->list().Lines().empty()) << row.name;
    }
  }
}

}  // namespace
}  // namespace cardo
