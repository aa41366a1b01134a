#include "app/extract/relative_url.h"

namespace cardo {

BaseParts SplitBase(std::u16string_view base) {
  std::size_t hostStart = 0;
  if (base.find(u"://") != std::u16string_view::npos) {
    const std::u16string_view sep =
        base.find(u":///") != std::u16string_view::npos ? u":///" : u"://";
    hostStart = base.find(sep) + sep.size();
  }
  const std::size_t slash = base.find(u'/', hostStart);
  BaseParts parts;
  if (slash == std::u16string_view::npos) {
    parts.root = std::u16string(base) + u"/";
    parts.directory = u"/";
  } else {
    parts.root = std::u16string(base.substr(0, slash + 1));
    parts.directory = u"/" + std::u16string(base.substr(slash + 1));
    if (parts.directory.back() != u'/') {
      parts.directory.erase(parts.directory.find_last_of(u'/') + 1);
    }
  }
  return parts;
}

std::u16string ResolveRelativeUrl(const BaseParts& base, std::u16string_view relative) {
  const std::u16string_view directory = base.directory;
  std::size_t keep = directory.size();  // the directory climbed to is directory[0, keep)
  int levels = 0;
  for (;;) {
    if (relative.substr(0, 3) == u"../") {
      relative.remove_prefix(3);
      ++levels;
    } else if (relative.substr(0, 2) == u"./") {
      relative.remove_prefix(2);
    } else {
      break;
    }
  }
  for (; levels > 0 && keep > 0; --levels) {
    const std::size_t last = directory.substr(0, keep - 1).find_last_of(u'/');
    keep = last == std::u16string_view::npos ? 0 : last + 1;
  }
  if (keep == 0) return u"不正";
  std::u16string result;
  result.reserve(base.root.size() + keep + relative.size());
  result = base.root;
  if (!relative.empty() && relative.front() == u'/') {
    result.append(relative.substr(1));
  } else {
    result.append(directory.substr(1, keep - 1));
    result.append(relative);
  }
  return result;
}

std::u16string ResolveRelativeUrl(std::u16string_view base, std::u16string_view relative) {
  return ResolveRelativeUrl(SplitBase(base), relative);
}

}  // namespace cardo
