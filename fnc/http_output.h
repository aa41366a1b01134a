#pragma once
// The HTTP client's output file through the C library, opened by its path bytes (ANSI on
// Windows, as the library's callers pass it; UTF-8 natively).
#include <cstdio>
#include <string>

#include "fnc/http_client.h"

namespace cardo::fnc {

class StdioOutput final : public HttpOutput {
 public:
  explicit StdioOutput(std::string path) : path_(std::move(path)) {}
  ~StdioOutput() override { CloseFile(); }
  StdioOutput(const StdioOutput&) = delete;
  StdioOutput& operator=(const StdioOutput&) = delete;

  void Truncate() override;
  bool OpenForAppend() override;
  bool Append(std::string_view bytes) override;
  bool CloseFile() override;

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace cardo::fnc
