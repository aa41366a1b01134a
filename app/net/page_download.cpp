#include "app/net/page_download.h"

#include "app/platform/file_system.h"
#include "app/platform/text.h"

namespace cardo {

PageFile::PageFile(const std::u16string& path, DownloadControl& control) : control_(control) {
  control_.Guarded(0, [&] {
    file_ = OpenStream(path, "wb");
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

namespace cardo {

PageBody::PageBody(const std::u16string& path, DownloadControl& control,
                   std::string_view contentEncoding)
    : path_(path),
      control_(control),
      decoder_(ParseContentEncoding(contentEncoding)),
      file_(path, control),
      encoding_(Utf8ToUtf16(contentEncoding)) {
  if (decoder_.Corrupt()) {
    Fail(u"対応していない圧縮形式です: " + encoding_);
  } else if (!file_.IsOpen()) {
    Fail(u"ファイルに書き込めません: " + path_);
  }
}

bool PageBody::Fail(std::u16string reason) {
  if (reason_.empty()) reason_ = std::move(reason);
  return false;
}

bool PageBody::Feed(std::string_view received) {
  if (!reason_.empty() || control_.Cancelled()) return false;
  control_.Heard();
  received_ += static_cast<long long>(received.size());
  if (decoder_.Feed(received, [&](std::string_view piece) { return file_.Write(piece); })) {
    return true;
  }
  if (control_.TooLarge()) return Fail(TooLargeReason(control_.Limits().pageBytes));
  if (file_.Failed()) return Fail(u"ファイルに書き込めません: " + path_);
  return Fail(u"圧縮されたデータが壊れています。");
}

bool PageBody::Finish(long long announced) {
  if (!reason_.empty() || control_.Cancelled()) return false;
  if (announced >= 0 && received_ < announced) return Fail(CutShortReason(received_, announced));
  // Headers and then the close: the stacks take headers cut off for whole ones.
  if (announced == kUntilClose && received_ == 0) return Fail(CutShortReason(0, -1));
  if (!decoder_.Finish()) return Fail(CutShortReason(received_, -1));
  if (!file_.Close()) return Fail(u"ファイルに書き込めません: " + path_);
  return true;
}

DownloadOutcome PageBody::Outcome() const {
  if (control_.Cancelled()) return {DownloadStatus::Cancelled, {}, {}, {}};
  return {DownloadStatus::Failed, reason_, {}, {}};
}

}  // namespace cardo
