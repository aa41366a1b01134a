#include "app/check/link_check_text.h"

#include "app/platform/text.h"

namespace cardo {
namespace {

struct FailureLabel {
  LinkFailure failure;
  const char16_t* label;
};
constexpr FailureLabel kFailureLabels[] = {
    {LinkFailure::Dns, u"ホスト名不明"},        {LinkFailure::Refused, u"接続拒否"},
    {LinkFailure::Tls, u"TLSエラー"},           {LinkFailure::TimedOut, u"時間切れ"},
    {LinkFailure::Closed, u"接続が切れました"}, {LinkFailure::Other, u"エラー"},
};

}  // namespace

std::u16string StatusLabel(const LinkResult& result) {
  if (result.loop) return u"転送のループ";
  if (result.tooManyHops) return u"転送が多すぎます";
  for (const FailureLabel& row : kFailureLabels) {
    if (row.failure == result.failure) return row.label;
  }
  if (result.verdict == LinkVerdict::NotChecked) return u"未確認";
  if (result.status == 0) return u"エラー";
  const std::u16string status = Utf8ToUtf16(std::to_string(result.status));
  switch (result.verdict) {
    case LinkVerdict::Alive:
      return status + u" 正常";
    case LinkVerdict::Dead:
      return status + u" 無効";
    default:
      return status + u" エラー";
  }
}

std::u16string TabSeparatedRows(const std::vector<std::vector<std::u16string>>& rows) {
  std::u16string text;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) text += u'\t';
      for (const char16_t c : row[i]) {
        text += c == u'\t' || c == u'\r' || c == u'\n' ? u' ' : c;
      }
    }
    text += u"\r\n";
  }
  return text;
}

}  // namespace cardo
