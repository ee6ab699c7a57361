#include "export/slot_index.h"

namespace tos {

std::string SlotIndex::Key(std::string_view day, std::string_view period) {
  // The day's length first, so that no split of the same bytes into day and
  // period gives the same key.
  std::string key = std::to_string(day.size());
  key += ':';
  key += day;
  key += period;
  return key;
}

bool SlotIndex::ReadNext() {
  if (!started_) {
    table_.First();
    started_ = true;
  } else {
    table_.Next();
  }
  if (table_.Eof()) return false;
  ++read_;
  // A DIA that cannot be read stops every walk that comes this far.
  std::string day = table_.FieldByName("DIA").AsString();
  std::string period;
  try {
    period = table_.FieldByName("HORA").AsString();
  } catch (const std::exception&) {
    dayFailures_.try_emplace(day, Outcome{read_, {}, std::current_exception()});
    return true;
  }
  auto [at, added] = pairs_.try_emplace(Key(day, period), Outcome{read_, {}, nullptr});
  if (added) {
    try {
      at->second.code = table_.FieldByName("CODDIHO").AsString();
    } catch (const std::exception&) {
      at->second.error = std::current_exception();
    }
  }
  return true;
}

std::string_view SlotIndex::Find(std::string_view day, std::string_view period) {
  std::string key = Key(day, period);
  for (;;) {
    auto pair = pairs_.find(key);
    auto failure = dayFailures_.find(std::string(day));
    const Outcome* first = nullptr;
    if (pair != pairs_.end()) first = &pair->second;
    if (failure != dayFailures_.end() && (!first || failure->second.record < first->record))
      first = &failure->second;
    if (first) {
      if (first->error) std::rethrow_exception(first->error);
      return first->code;
    }
    if (!ReadNext()) return {};
  }
}

}  // namespace tos
