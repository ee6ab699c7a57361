#include "core/error_text.h"

namespace tos {

std::string DefaultErrorText(const std::string& message) {
  // Compared as the byte it is: a UTF-8 letter's last byte is above "." too.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace tos
