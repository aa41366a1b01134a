#include "app/platform/string_table.h"

#include <gtest/gtest.h>

#include <string>

namespace cardo {
namespace {

TEST(StringTable, EachStringOnceWithItsNumberThroughEveryGrowth) {
  StringTable table;
  // Short and empty strings, one longer than a block's share, one longer than a block, and
  // enough of them to grow the table and fill several blocks.
  const std::string big(1 << 21, 'b');
  const std::string longer(70000, 'l');
  std::vector<std::string> texts = {"", "a", "A", big, longer, std::string(1, '\0')};
  for (int i = 0; i < 200000; ++i) texts.push_back("http://h/" + std::to_string(i) + ".zip");
  std::vector<std::uint32_t> entries;
  for (const std::string& text : texts) {
    const StringTable::Found found = table.Insert(text);
    ASSERT_TRUE(found.added) << text.substr(0, 20);
    entries.push_back(found.entry);
    table.SetNumber(found.entry, static_cast<std::uint32_t>(entries.size()));
  }
  EXPECT_EQ(table.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const StringTable::Found again = table.Insert(texts[i]);
    EXPECT_FALSE(again.added) << i;
    EXPECT_EQ(again.entry, entries[i]) << i;
    EXPECT_EQ(table.Number(again.entry), i + 1) << i;
  }
  EXPECT_FALSE(table.Contains("http://h/200000.zip"));
  EXPECT_FALSE(table.Contains(std::string(1 << 21, 'c')));
  EXPECT_TRUE(table.Contains(longer));
}

}  // namespace
}  // namespace cardo
