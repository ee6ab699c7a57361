#include "export/slot_index.h"

namespace tos {

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
  auto dayAt = days_.try_emplace(table_.FieldByName("DIA").AsString()).first;
  Day& day = dayAt->second;
  std::string period;
  try {
    period = table_.FieldByName("HORA").AsString();
  } catch (const std::exception&) {
    if (!day.failure) day.failure = Outcome{read_, {}, std::current_exception()};
    return true;
  }
  auto [at, added] = day.periods.try_emplace(std::move(period), Outcome{read_, {}, nullptr});
  if (added) {
    try {
      at->second.code = table_.FieldByName("CODDIHO").AsString();
    } catch (const std::exception&) {
      at->second.error = std::current_exception();
    }
  } else if (repeated_) {
    repeated_(dayAt->first, at->first, read_, at->second.record);
  }
  return true;
}

void SlotIndex::ReadRest() {
  try {
    while (ReadNext()) {
    }
  } catch (const std::exception&) {
    // A DIA that cannot be read ends the walk; the export has what it read.
  }
}

int SlotIndex::MemoPeriod(std::string_view period) {
  if (period.empty() || period.size() > 4 || (period[0] == '0' && period.size() > 1)) return -1;
  int value = 0;
  for (char c : period) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string_view SlotIndex::Find(std::string_view day, std::string_view period) {
  static const std::string kNone;
  int memoPeriod = day.size() == 1 ? MemoPeriod(period) : -1;
  std::vector<Answer>* memo = nullptr;
  if (memoPeriod >= 0) {
    memo = &memo_[static_cast<unsigned char>(day[0])];
    if (static_cast<size_t>(memoPeriod) < memo->size()) {
      const Answer& given = (*memo)[memoPeriod];
      if (given.given)
        return given.longer ? std::string_view(*given.longer)
                            : std::string_view(given.text, given.size);
    }
  }
  auto answer = [&](const std::string& code) -> std::string_view {
    if (memo) {
      if (memo->size() <= static_cast<size_t>(memoPeriod)) memo->resize(memoPeriod + 1);
      Answer& given = (*memo)[memoPeriod];
      given.given = true;
      if (code.size() <= sizeof given.text) {
        given.size = static_cast<uint8_t>(code.size());
        code.copy(given.text, code.size());
      } else {
        given.longer = &code;
      }
    }
    return code;
  };
  for (;;) {
    const Outcome* first = nullptr;
    if (auto d = days_.find(day); d != days_.end()) {
      if (auto p = d->second.periods.find(period); p != d->second.periods.end()) first = &p->second;
      const std::optional<Outcome>& failure = d->second.failure;
      if (failure && (!first || failure->record < first->record)) first = &*failure;
    }
    if (first) {
      if (first->error) std::rethrow_exception(first->error);
      return answer(first->code);
    }
    if (!ReadNext()) return answer(kNone);
  }
}

}  // namespace tos
