#include "core/error_text.h"

#include <gtest/gtest.h>

namespace tos {
namespace {

TEST(DefaultErrorTextTest, PeriodRule) {
  const std::pair<std::string, std::string> cases[] = {
      {"'$xyz' no es un valor entero válido", "'$xyz' no es un valor entero válido."},
      {"Hecho.", "Hecho."},
      {"Cuidado!", "Cuidado!"},
      {"coma,", "coma,"},
      {"blanco ", "blanco "},
      {"guion-", "guion-"},  // "-" (45) is below "." (46)
      {"dos puntos:", "dos puntos:."},
      {"Disco lleno", "Disco lleno."},
      {"año ñ", "año ñ."},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DefaultErrorText(in), out) << in;
}

}  // namespace
}  // namespace tos
