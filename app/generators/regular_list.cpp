#include "app/generators/regular_list.h"

#include "app/platform/text.h"

namespace cardo {

namespace {

// A letter index outside 0-25 (a hand-edited settings file) counts as 0.
int LetterIndex(int index) {
  return index < 0 || index > 25 ? 0 : index;
}

}  // namespace

char16_t VolumeLetter(int index) {
  index = LetterIndex(index);
  return static_cast<char16_t>(index <= 8 ? u'r' + index : u'a' + (index - 9));
}

std::u16string ZeroPad(std::int32_t n, int width) {
  std::u16string digits = DecimalText(n);
  if (width > 0 && digits.size() < static_cast<std::size_t>(width)) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), u'0');
  }
  return digits;
}

RegularListError CheckRegularList(const RegularListOptions& o) {
  if (o.padWidth > 32767 || o.padWidth < 0) return RegularListError::BadPadWidth;
  if (o.step < 1 || o.step > kMaxRegularListStep) return RegularListError::BadStep;
  if (!o.winRar) return RegularListError::None;
  if (o.start > 99) return RegularListError::StartTooLarge;
  if (o.end > 99) return RegularListError::EndTooLarge;
  if (LetterIndex(o.endLetter) * 100 + o.end < LetterIndex(o.startLetter) * 100 + o.start) {
    return RegularListError::StartAfterEnd;
  }
  return RegularListError::None;
}

const char16_t* RegularListMessage(RegularListError error) {
  switch (error) {
    case RegularListError::BadPadWidth:
      return u"桁あわせの桁数不正です。";
    case RegularListError::BadStep:
      return u"増分は1から32767までの値にしてください。";
    case RegularListError::StartTooLarge:
      return u"初期値の値が大きすぎます(2桁まで)。";
    case RegularListError::EndTooLarge:
      return u"終値の値が大きすぎます(2桁まで)。";
    case RegularListError::StartAfterEnd:
      return u"終値より初期値の方が大きい値に設定されています。";
    case RegularListError::None:
      break;
  }
  return u"";
}

void GenerateRegularList(const RegularListOptions& o,
                         const std::function<bool(const std::u16string&)>& sink) {
  const std::u16string suffix = o.extension.empty() ? u"" : u"." + o.extension;
  auto name = [&](const std::u16string& number) {
    return o.numberInFileName ? o.base + number + suffix : o.base + u"." + number;
  };
  if (!o.winRar) {
    for (std::int64_t n = o.start; n <= o.end; n += o.step) {
      const auto value = static_cast<std::int32_t>(n);
      if (!sink(name(o.pad ? ZeroPad(value, o.padWidth) : DecimalText(value)))) return;
    }
    return;
  }
  // Positions (letter index x 100 + number) in order: r98, r99, s00 ...
  const int last = LetterIndex(o.endLetter) * 100 + o.end;
  for (int p = LetterIndex(o.startLetter) * 100 + o.start; p <= last; p += o.step) {
    if (!sink(name(std::u16string(1, VolumeLetter(p / 100)) + ZeroPad(p % 100, 2)))) return;
  }
  if (o.withRar) sink(o.numberInFileName ? o.base + u"rar" + suffix : o.base + u".rar");
}

}  // namespace cardo
