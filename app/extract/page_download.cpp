#include "app/extract/page_download.h"

#include "app/platform/text.h"

namespace cardo {

PageFile::PageFile(const std::u16string& path, DownloadControl& control) : control_(control) {
  control_.Guarded(0, [&] {
#ifdef _WIN32
    file_ = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wb");
#else
    file_ = std::fopen(Utf16ToUtf8(path).c_str(), "wb");
#endif
    return file_ != nullptr;
  });
  failed_ = file_ == nullptr;
}

PageFile::~PageFile() {
  if (file_) std::fclose(file_);
}

bool PageFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  return control_.Guarded(bytes.size(), [&] {
    failed_ = std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
              std::fflush(file_) != 0;
    return !failed_;
  });
}

bool PageFile::Close() {
  if (!file_) return false;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  failed_ = failed_ || !closed;
  return !failed_;
}

}  // namespace cardo
