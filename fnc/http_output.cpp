#include "fnc/http_output.h"

namespace cardo::fnc {

void StdioOutput::Truncate() {
  if (std::FILE* f = open_(path_, "wb")) std::fclose(f);
}

bool StdioOutput::OpenForAppend() {
  CloseFile();
  file_ = open_(path_, "ab");
  return file_ != nullptr;
}

bool StdioOutput::Append(std::string_view bytes) {
  return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() &&
         std::fflush(file_) == 0;
}

bool StdioOutput::CloseFile() {
  if (!file_) return true;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return closed;
}

}  // namespace cardo::fnc
