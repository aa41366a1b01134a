#include "fnc/http_output.h"

namespace cardo::fnc {

void StdioOutput::Truncate() {
  if (std::FILE* f = std::fopen(path_.c_str(), "wb")) std::fclose(f);
}

bool StdioOutput::OpenForAppend() {
  CloseFile();
  file_ = std::fopen(path_.c_str(), "ab");
  return file_ != nullptr;
}

bool StdioOutput::Append(std::string_view bytes) {
  return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

void StdioOutput::CloseFile() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace cardo::fnc
