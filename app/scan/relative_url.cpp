#include "app/scan/relative_url.h"

namespace cardo {

BaseParts::BaseParts(std::u16string base) : text_(std::move(base)), givenSize_(text_.size()) {
  const std::u16string_view view(text_);
  std::size_t hostStart = 0;
  if (view.find(u"://") != std::u16string_view::npos) {
    const std::u16string_view sep =
        view.find(u":///") != std::u16string_view::npos ? u":///" : u"://";
    hostStart = view.find(sep) + sep.size();
  }
  std::size_t slash = view.find(u'/', hostStart);
  if (slash == std::u16string_view::npos) {
    slash = text_.size();
    text_ += u'/';
  }
  rootSize_ = slash + 1;
  directoryStart_ = slash;
  directorySize_ = std::u16string_view(text_).find_last_of(u'/') + 1 - slash;
}

std::u16string_view BaseParts::Scheme() const {
  const std::size_t sep = std::u16string_view(text_).substr(0, rootSize_).find(u"://");
  return sep == std::u16string_view::npos ? std::u16string_view()
                                          : std::u16string_view(text_).substr(0, sep + 1);
}

std::u16string_view BaseParts::Root() const {
  return std::u16string_view(text_).substr(0, rootSize_);
}

std::u16string_view BaseParts::Directory() const {
  return std::u16string_view(text_).substr(directoryStart_, directorySize_);
}

std::size_t BaseParts::Climb(std::size_t levels) {
  if (levels == 0) return directorySize_;
  const std::u16string_view directory = Directory();
  while (climbs_.size() < levels) {
    const std::size_t from = climbs_.empty() ? directorySize_ : climbs_.back();
    if (from == 0) return 0;
    const std::size_t last = directory.substr(0, from - 1).find_last_of(u'/');
    const std::size_t kept = last == std::u16string_view::npos ? 0 : last + 1;
    unitsClimbed_ += from - kept;
    climbs_.push_back(kept);
  }
  return climbs_[levels - 1];
}

std::u16string ResolveRelativeUrl(BaseParts& base, std::u16string_view relative) {
  if (relative.starts_with(u"//")) return std::u16string(base.Scheme()).append(relative);
  if (relative.starts_with(u"#")) return std::u16string(base.Whole());
  std::size_t levels = 0;
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
  const std::size_t keep = base.Climb(levels);  // the directory climbed to is [0, keep)
  if (keep == 0) return u"不正";
  const std::u16string_view root = base.Root();
  std::u16string result;
  result.reserve(root.size() + keep + relative.size());
  result = root;
  if (!relative.empty() && relative.front() == u'/') {
    result.append(relative.substr(1));
  } else {
    result.append(base.Directory().substr(1, keep - 1));
    result.append(relative);
  }
  return result;
}

std::u16string ResolveRelativeUrl(std::u16string_view base, std::u16string_view relative) {
  BaseParts parts{std::u16string(base)};
  return ResolveRelativeUrl(parts, relative);
}

}  // namespace cardo
