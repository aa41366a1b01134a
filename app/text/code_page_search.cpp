#include "app/text/code_page_search.h"

#include "app/platform/code_page_932.h"

namespace cardo {

std::size_t CharacterLength(std::string_view bytes, std::size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  return IsCp932LeadByte(lead) && at + 1 < bytes.size() &&
                 IsCp932TrailByte(static_cast<unsigned char>(bytes[at + 1]))
             ? 2
             : 1;
}

}  // namespace cardo
