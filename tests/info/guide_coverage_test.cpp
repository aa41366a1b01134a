// The user's guide keeps up with the program: every command of the main menu is named in it,
// and every window it shows has its picture, made by tools/screenshot-guide.sh (the browser
// extension's by tools/screenshot-extension.sh).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace cardo {
namespace {

std::string Source(const std::string& path) {
  std::ifstream in(std::string(CARDO_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Spaces left out: the guide writes "URL の抜き出し" where the menu has "URLの抜き出し".
std::string WithoutSpaces(std::string text) {
  std::erase(text, ' ');
  return text;
}

TEST(GuideCoverageTest, EveryMainMenuCommandIsNamed) {
  const std::string rc = Source("app/resources/cardo.rc");
  const auto begin = rc.find("IDR_MAINMENU MENU");
  const auto end = rc.find("IDR_POPUPMENUS MENU");
  ASSERT_NE(begin, std::string::npos);
  const std::string menu = rc.substr(begin, end - begin);
  const std::string guide = WithoutSpaces(Source("app/info/CARDHELP.html"));
  const std::regex item(R"re(MENUITEM "([^"\\]*)[^"]*"[^\n]*)re");
  int named = 0;
  for (std::sregex_iterator i(menu.begin(), menu.end(), item), last; i != last; ++i) {
    if (i->str().find("GRAYED") != std::string::npos) continue;  // a placeholder
    std::string name = std::regex_replace((*i)[1].str(), std::regex(R"(\(&.\)|&|\.\.\.)"), "");
    EXPECT_NE(guide.find(WithoutSpaces(name)), std::string::npos) << name;
    ++named;
  }
  EXPECT_GT(named, 40);
}

TEST(GuideCoverageTest, EveryWindowHasItsPicture) {
  const std::string guide = Source("app/info/CARDHELP.html");
  const char* const pictures[] = {
      "main",           "filter",          "search",
      "link_check",     "drop_dialog",     "free_input",
      "spread_url",     "gene_list",       "extract",
      "extract_pages",  "preferences",     "preferences_export",
      "version",        "edit_line",       "viewer",
      "extension_menu", "extension_popup", "preferences_receive",
  };
  for (const char* picture : pictures) {
    const std::string path = std::string("guide/") + picture + ".png";
    EXPECT_NE(guide.find("src=\"" + path + "\""), std::string::npos) << path;
    EXPECT_TRUE(std::filesystem::exists(std::string(CARDO_SOURCE_DIR) + "/app/info/" + path))
        << path;
  }
}

}  // namespace
}  // namespace cardo
