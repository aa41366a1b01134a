#pragma once
// The failures a window procedure may meet that no command names, each with the message the
// user is shown for it.
#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

#include "app/platform/ui_messages.h"

namespace cardo {

struct UnexpectedFailure {
  std::exception_ptr failure;
  const char16_t* text;
};

inline std::vector<UnexpectedFailure> UnexpectedFailures() {
  return {
      {std::make_exception_ptr(std::bad_alloc()), msg::kUnexpectedOutOfMemory},
      {std::make_exception_ptr(std::runtime_error("x")), msg::kUnexpectedFailure},
  };
}

}  // namespace cardo
