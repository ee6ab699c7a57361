#include "data/error.h"

namespace tos {

namespace {
std::string ReplaceOnce(std::string text, std::string_view value, size_t& from) {
  size_t at = text.find("%s", from);
  if (at == std::string::npos) return text;
  text.replace(at, 2, value);
  from = at + value.size();
  return text;
}
}  // namespace

std::string Format(std::string_view pattern, std::string_view value) {
  size_t from = 0;
  return ReplaceOnce(std::string(pattern), value, from);
}

std::string Format(std::string_view pattern, std::string_view first, std::string_view second) {
  size_t from = 0;
  std::string text = ReplaceOnce(std::string(pattern), first, from);
  return ReplaceOnce(std::move(text), second, from);
}

}  // namespace tos
