#include "app/net/page_download.h"

#include <optional>

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

namespace {

// The answer's body on its way into the page file, once the answer is a page.
class PageSink final : public HttpSink {
 public:
  PageSink(const std::u16string& path, DownloadControl& control) : path_(path), control_(control) {}

  bool Head(const Url& url, const HttpHead& head) override {
    status_ = head.status;
    statusLine_ = Utf8ToUtf16(head.statusLine);
    if (status_ < 200 || status_ >= 300 || status_ == 204) return false;
    finalUrl_ = url.Href(false);
    if (const std::string* type = head.Field("content-type")) contentType_ = *type;
    file_.emplace(path_, control_);
    return file_->IsOpen();
  }
  bool Body(std::string_view bytes) override { return file_->Write(bytes); }

  DownloadOutcome Outcome(const HttpError& error) {
    if (control_.Cancelled())
      return {DownloadStatus::Cancelled, {}, {}, {}, HttpFailure::Cancelled};
    if (file_ && (!file_->IsOpen() || file_->Failed())) return WriteFailed();
    if (error) return Failed(error);
    if (status_ == 204) return Failed(MakeHttpError(HttpFailure::NoPage, statusLine_));
    if (!file_) return Failed(MakeHttpError(HttpFailure::Status, statusLine_));
    if (!file_->Close()) return WriteFailed();
    return {DownloadStatus::Done, {}, finalUrl_, contentType_};
  }

 private:
  static DownloadOutcome Failed(const HttpError& error) {
    return {DownloadStatus::Failed, error.reason, {}, {}, error.kind};
  }
  DownloadOutcome WriteFailed() const {
    return Failed(MakeHttpError(HttpFailure::WriteFailed, path_));
  }

  const std::u16string& path_;
  DownloadControl& control_;
  std::optional<PageFile> file_;
  int status_ = 0;
  std::u16string statusLine_;
  std::u16string finalUrl_;
  std::string contentType_;
};

}  // namespace

DownloadOutcome DownloadPage(const HttpClient& client, const std::u16string& url,
                             const std::u16string& path, DownloadControl& control) {
  PageSink page(path, control);
  HttpError error;
  const std::optional<Url> address = ParseHttpAddress(url, error, UrlForm::AsWritten);
  if (!address) return page.Outcome(error);
  HttpRequest request;
  request.url = *address;
  request.silence = control.Limits().silence;
  request.bodyLimit = control.Limits().pageBytes;
  request.decode = true;
  request.follow = [&control](const Url& target) { return control.MayFollow(target.Href(false)); };
  error = client.Fetch(request, page, control.CancelFlag());
  return page.Outcome(error);
}

Download PageDownload(std::shared_ptr<HttpStack> stack) {
  return [client = HttpClient(std::move(stack))](
             const std::u16string& url, const std::u16string& path, DownloadControl& control) {
    return DownloadPage(client, url, path, control);
  };
}

}  // namespace cardo
