#include "export/slot_index.h"

#include <cstdint>

namespace tos {

namespace {
const std::string kNoCode;
}

// The day's length goes first, so that no two (day, period) pairs share a key
// whatever bytes the texts hold.
void SlotIndex::MakeKey(const std::string& day, const std::string& period) {
  key_.clear();
  uint32_t size = static_cast<uint32_t>(day.size());
  key_.append(reinterpret_cast<const char*>(&size), sizeof size);
  key_.append(day);
  key_.append(period);
}

void SlotIndex::Build() {
  built_ = true;
  table_.First();
  empty_ = table_.Eof();
  if (empty_) return;
  int dia = table_.FindField("DIA");
  int hora = table_.FindField("HORA");
  int code = table_.FindField("CODDIHO");
  hasDia_ = dia >= 0;
  hasHora_ = hora >= 0;
  hasCode_ = code >= 0;
  if (!hasDia_) return;
  Field diaField = table_.FieldAt(dia);
  for (; !table_.Eof(); table_.Next()) {
    std::string day = diaField.AsString();
    if (!hasHora_) {
      days_.insert(std::move(day));
      continue;
    }
    MakeKey(day, table_.FieldAt(hora).AsString());
    // try_emplace keeps the first record of a (DIA, HORA) pair.
    auto [at, added] = codes_.try_emplace(key_);
    if (added && hasCode_) at->second = table_.FieldAt(code).AsString();
  }
}

const std::string& SlotIndex::Find(const std::string& day, const std::string& period) {
  if (!built_) Build();
  if (empty_) return kNoCode;
  // FieldByName raises the table object's own message for a missing field.
  if (!hasDia_) table_.FieldByName("DIA");
  if (!hasHora_) {
    if (days_.count(day)) table_.FieldByName("HORA");
    return kNoCode;
  }
  MakeKey(day, period);
  auto found = codes_.find(key_);
  if (found == codes_.end()) return kNoCode;
  if (!hasCode_) table_.FieldByName("CODDIHO");
  return found->second;
}

}  // namespace tos
