// The one exception type of the program. Its text is exactly what the user
// sees (the default error box appends "." by its own rule).
#pragma once

#include <stdexcept>
#include <string>

namespace tos {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, int code = 0)
      : std::runtime_error(message), code_(code) {}
  // The platform's error code behind an I/O error (2 file not found, 32
  // sharing violation, ...), 0 when the error has none.
  int Code() const { return code_; }

 private:
  int code_;
};

// Replaces the first "%s" of a message pattern (the system's texts carry
// their placeholders as printf does, but values are never formats).
std::string Format(std::string_view pattern, std::string_view value);
std::string Format(std::string_view pattern, std::string_view first, std::string_view second);

}  // namespace tos
