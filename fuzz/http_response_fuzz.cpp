// Any server response, cut into any pieces: the client never crashes and saves exactly the
// bytes received, each LF as CR LF.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fnc/http_client.h"

namespace {

class FuzzNetwork final : public cardo::fnc::HttpNetwork {
 public:
  FuzzNetwork(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  cardo::fnc::HttpResult Start() override { return cardo::fnc::kHttpOk; }
  bool Open() override { return true; }
  std::optional<std::uint32_t> Resolve(const std::string&) override { return 0x0100007F; }
  bool Connect(std::uint32_t, std::uint16_t) override { return true; }
  bool SendAll(std::string_view) override { return true; }
  long Receive(char* buffer, std::size_t size) override {
    if (at_ >= size_) return 0;
    // The first byte of each piece says how long the piece is.
    const std::size_t want = std::min<std::size_t>({size, size_ - at_, 1u + data_[at_] % 64});
    std::copy(data_ + at_, data_ + at_ + want, buffer);
    at_ += want;
    received.append(buffer, want);
    return static_cast<long>(want);
  }
  void Shutdown() override {}
  void Close() override {}
  std::string received;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

class MemoryOutput final : public cardo::fnc::HttpOutput {
 public:
  void Truncate() override { text.clear(); }
  bool OpenForAppend() override { return true; }
  bool Append(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  bool CloseFile() override { return true; }
  std::string text;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzNetwork network(data, size);
  MemoryOutput output;
  const auto result =
      cardo::fnc::FetchHttp("http://127.0.0.1/", network, output, [](const std::string&) {});
  if (result != cardo::fnc::kHttpOk) std::abort();
  std::string expected;
  cardo::fnc::AppendWithCrLf(network.received, expected);
  if (output.text != expected) std::abort();
  return 0;
}
