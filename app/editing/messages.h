#pragma once
// Texts of the find window and of find and replace, spelled exactly as the program shows them.

#include "app/platform/ui_messages.h"

namespace cardo::msg {

inline constexpr char16_t kFindCaption[] = u"検索";
inline constexpr char16_t kReplaceCaption[] = u"置換";
inline constexpr char16_t kFindButton[] = u"検索(&F)";
inline constexpr char16_t kReplaceButton[] = u"置換(&R)";
inline constexpr char16_t kNoFindWord[] = u"検索する文字が指定されていません。";
inline constexpr char16_t kNoReplaceWord[] = u"置換される文字が指定されていません。";
inline constexpr char16_t kSearchReachedEnd[] = u"最後まで検索しました。";
inline constexpr char16_t kReplaceDone[] = u"終了しました。";
inline constexpr char16_t kReplaceCount[] = u"置き換えた回数:";
inline constexpr char16_t kReplaceTooLarge[] =
    u"置換後のリストが大きすぎるため、置換を中止しました。リストは変更されていません。";

}  // namespace cardo::msg
