#include "import/seen_codes.h"

#include <algorithm>
#include <stdexcept>

#include "data/text.h"

namespace tos {

char Cp1252Lower(char c) {
  auto b = static_cast<unsigned char>(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
    return static_cast<char>(b + 0x20);
  }
  switch (b) {
    case 0x8A:
      return '\x9A';  // Š
    case 0x8C:
      return '\x9C';  // Œ
    case 0x8E:
      return '\x9E';  // Ž
    case 0x9F:
      return '\xFF';  // Ÿ
    default:
      return c;
  }
}

namespace {
// A line's two other fields joined by a NUL, which neither holds.
void AppendOtherFields(std::string& out, std::string_view first, std::string_view second) {
  out.append(first).append(1, '\0').append(second);
}
}  // namespace

uint32_t CodigosVistos::Key(std::string_view code) {
  char folded[4];
  size_t n = std::min<size_t>(code.size(), 4);
  for (size_t i = 0; i < n; ++i) folded[i] = Cp1252Lower(code[i]);
  return text::PackedCode({folded, n});
}

const CodigosVistos::Entry* CodigosVistos::Find(uint32_t key) const {
  auto at = std::lower_bound(ascending_.begin(), ascending_.end(), std::pair{key, uint32_t{0}});
  if (at != ascending_.end() && at->first == key) return &entries_[at->second];
  auto other = others_.find(key);
  return other == others_.end() ? nullptr : &entries_[other->second];
}

bool CodigosVistos::Add(std::string_view code, uint64_t line, std::string_view first,
                        std::string_view second) {
  code = code.substr(0, 4);
  const uint32_t key = Key(code);
  const auto place = static_cast<uint32_t>(entries_.size());
  // A key above every one before it is new; any other is looked for.
  if (ascending_.empty() || key > ascending_.back().first) {
    ascending_.emplace_back(key, place);
  } else {
    if (Find(key)) return false;
    others_.emplace(key, place);
  }
  entries_.push_back({line, texts_.size(), static_cast<uint32_t>(code.size()),
                      static_cast<uint32_t>(first.size() + 1 + second.size())});
  texts_.append(code);
  AppendOtherFields(texts_, first, second);
  return true;
}

CodigosVistos::Primera CodigosVistos::First(std::string_view code) const {
  const Entry* e = Find(Key(code.substr(0, 4)));
  if (!e) throw std::out_of_range("CodigosVistos::First");
  std::string_view texts(texts_);
  return {e->line, texts.substr(e->at, e->codeSize),
          texts.substr(e->at + e->codeSize, e->restSize)};
}

std::string OtherFields(std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(first.size() + 1 + second.size());
  AppendOtherFields(text, first, second);
  return text;
}

namespace {
// One of the two fields OtherFields joined.
std::string_view FieldOf(std::string_view joined, int which) {
  size_t nul = joined.find('\0');
  if (nul == std::string_view::npos) return which == 0 ? joined : std::string_view();
  return which == 0 ? joined.substr(0, nul) : joined.substr(nul + 1);
}
}  // namespace

Notice RepeatedCodeNotice(const char* file, uint64_t line, std::string_view code,
                          const CodigosVistos::Primera& first, std::string_view rest, int name) {
  std::string values = "código " + std::string(code) + " (" + std::string(FieldOf(rest, name)) +
                       "); la línea " + std::to_string(first.line) + " tiene " +
                       std::string(first.code) + " (" + std::string(FieldOf(first.rest, name)) +
                       ")";
  if (first.code != code)
    values += ": se toman por el mismo código, sin mirar mayúsculas y minúsculas";
  values += rest == first.rest ? "; los demás datos son iguales" : "; los demás datos difieren";
  return {std::string(file) + ", línea " + std::to_string(line), std::move(values), ""};
}

}  // namespace tos
