#pragma once
// The HTTP client's output file through the C library, opened by its path bytes (ANSI on
// Windows, as the library's callers pass it; UTF-8 natively) unless a caller opens its paths
// another way (cardo-cli.exe by their UTF-16 form).
#include <cstdio>
#include <string>

#include "fnc/http_client.h"

namespace cardo::fnc {

class StdioOutput final : public HttpOutput {
 public:
  using Opener = std::FILE* (*)(const std::string& path, const char* mode);
  explicit StdioOutput(std::string path, Opener open = OpenByBytes)
      : path_(std::move(path)), open_(open) {}
  ~StdioOutput() override { CloseFile(); }
  StdioOutput(const StdioOutput&) = delete;
  StdioOutput& operator=(const StdioOutput&) = delete;

  void Truncate() override;
  bool OpenForAppend() override;
  bool Append(std::string_view bytes) override;
  bool CloseFile() override;

 private:
  static std::FILE* OpenByBytes(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
  }
  std::string path_;
  Opener open_;
  std::FILE* file_ = nullptr;
};

}  // namespace cardo::fnc
