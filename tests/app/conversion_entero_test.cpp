#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/conversion_entero.h"
#include "platform/error.h"

using pontexa::app::LeerEntero;
using pontexa::app::StrToInt;

namespace {

struct Caso {
  const char* texto;
  std::optional<std::int32_t> valor;
};

TEST(ConversionEntero, ReadsAsTheRuntimeDoes) {
  const Caso casos[] = {
      {"$1A04C2", 0x1A04C2},    {"$1a04c2", 0x1A04C2},     {"$0", 0},
      {"$00000000FF", 0xFF},    {"$7FFFFFFF", 2147483647}, {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN}, {"$100000000", std::nullopt},
      {"$", std::nullopt},      {"$XYZ", std::nullopt},    {"$1A 04", std::nullopt},
      {"$ 1A", std::nullopt},   {"$1A ", std::nullopt},    {"$0x1A", std::nullopt},
      {"$-5", std::nullopt},    {"-$10", -16},             {"  $10", 16},
      {"0x10", 16},             {"x10", 16},               {"123", 123},
      {"-2147483648", INT32_MIN}, {"2147483648", std::nullopt},
      {"+7", 7},                {"", std::nullopt},        {"-", std::nullopt},
  };
  for (const Caso& caso : casos) {
    EXPECT_EQ(LeerEntero(caso.texto), caso.valor) << caso.texto;
  }
}

TEST(ConversionEntero, FailureNamesTheText) {
  try {
    StrToInt("$XYZ");
    FAIL();
  } catch (const pontexa::Error& e) {
    EXPECT_STREQ(e.what(), "'$XYZ' no es un valor entero válido");
  }
}

}  // namespace
