// The start and end times of SICE's time slots ("0830") read as whole
// decimal numbers, and the duration figure Orvalent keeps for a slot.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tos {

// An optional "+" or "-" and one or more decimal digits (leading zeros
// allowed), within the 32-bit range; nothing for any other text, the empty
// one included.
std::optional<int32_t> LeerEnteroDecimal(std::string_view text);

// MINUTOS of a slot: end minus start minus 40. That is the length in
// minutes for a slot crossing exactly one full hour (0830-0925 gives 55);
// Orvalent has always stored it this way, so it stays.
inline int64_t MinutosDeTramo(int32_t start, int32_t end) {
  return static_cast<int64_t>(end) - start - 40;
}

}  // namespace tos
