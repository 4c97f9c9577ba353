#include "text/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "support/environment.h"

namespace pontexa::text {
namespace {

TEST(RegionalSettings, TheLocaleNameDecidesTheSeparator) {
  struct Case {
    const char* name;
    char separator;
  };
  for (const Case c : {Case{"es_ES.UTF-8", ','}, Case{"es_ES@euro", ','}, Case{"es", ','}, Case{"ca_ES.UTF-8", ','},
                       Case{"es_MX.UTF-8", '.'}, Case{"C", '.'}, Case{"POSIX", '.'}, Case{"C.UTF-8", '.'},
                       Case{"en_US.UTF-8", '.'}, Case{"est_XX", '.'}, Case{"", '.'}}) {
    EXPECT_EQ(RegionalSettings::FromLocaleName(c.name).decimalSeparator, c.separator) << c.name;
  }
}

TEST(RegionalSettings, LcAllWinsOverLcNumericOverLang) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows takes the separator from the user's regional settings, not from these variables";
#endif
  testing::ScopedEnv all("LC_ALL", std::nullopt), numeric("LC_NUMERIC", std::nullopt), lang("LANG", std::nullopt);
  const auto with = [](const char* all, const char* numeric, const char* lang) {
    const auto set = [](const char* name, const char* value) {
      testing::SetEnv(name, value ? std::optional<std::string>(value) : std::nullopt);
    };
    set("LC_ALL", all);
    set("LC_NUMERIC", numeric);
    set("LANG", lang);
    return RegionalSettings::FromEnvironment().decimalSeparator;
  };
  EXPECT_EQ(with("es_ES.UTF-8", "C", "C"), ',');
  EXPECT_EQ(with(nullptr, "es_ES.UTF-8", "C"), ',');
  EXPECT_EQ(with("", "C", "es_ES.UTF-8"), '.');
  EXPECT_EQ(with(nullptr, nullptr, "es_ES.UTF-8"), ',');
  EXPECT_EQ(with(nullptr, nullptr, nullptr), '.');
}

TEST(FormatGeneral, WritesTheGeneralNumberFormat) {
  struct Case {
    double value;
    const char* comma;
  };
  for (const Case c : {Case{3, "3"}, Case{12, "12"}, Case{-1, "-1"}, Case{0, "0"}, Case{2.5, "2,5"},
                       Case{-0.5, "-0,5"}, Case{0.1, "0,1"}, Case{1.0 / 3, "0,333333333333333"},
                       Case{123456789012345, "123456789012345"}, Case{1e15, "1E15"}, Case{1.5e20, "1,5E20"},
                       Case{0.0001, "0,0001"}, Case{0.00005, "5E-5"}, Case{2.675, "2,675"},
                       Case{100, "100"}, Case{0.30000000000000004, "0,3"}}) {
    EXPECT_EQ(FormatGeneral(c.value, ','), c.comma) << c.value;
  }
  EXPECT_EQ(FormatGeneral(2.5, '.'), "2.5");
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN(), ','), "NAN");
  EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity(), ','), "-INF");
}

TEST(ParseFloat, AcceptsWhatThePlatformConversionAccepts) {
  struct Case {
    const char* text;
    char separator;
    std::optional<double> value;
  };
  for (const Case c : {Case{"2,5", ',', 2.5}, Case{" 2,5 ", ',', 2.5}, Case{"-2", ',', -2.0},
                       Case{"+4", ',', 4.0}, Case{",5", ',', 0.5}, Case{"5,", ',', 5.0}, Case{"1E3", ',', 1000.0},
                       Case{"1e-2", ',', 0.01}, Case{"2.5", '.', 2.5}, Case{"2.5", ',', std::nullopt},
                       Case{"", ',', std::nullopt}, Case{"  ", ',', std::nullopt}, Case{"abc", ',', std::nullopt},
                       Case{"1E", ',', std::nullopt}, Case{"1,2,3", ',', std::nullopt},
                       Case{"--1", ',', std::nullopt}, Case{"1 2", ',', std::nullopt},
                       Case{"\t1", ',', std::nullopt}, Case{"1E400", ',', std::nullopt},
                       Case{"1E30", ',', 1e30}, Case{",", ',', std::nullopt}}) {
    EXPECT_EQ(ParseFloat(c.text, c.separator), c.value) << "'" << c.text << "'";
  }
}

TEST(ParseInt32, AcceptsDecimalIntegersInRange) {
  EXPECT_EQ(ParseInt32("7"), 7);
  EXPECT_EQ(ParseInt32("  -12"), -12);
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", " ", "2147483648", "1.5", "1 ", "x", "-", "99999999999999999999"}) {
    EXPECT_EQ(ParseInt32(bad), std::nullopt) << "'" << bad << "'";
  }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  for (const auto [value, rounded] : {std::pair{2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {-3.5, -4.0}, {2.4, 2.0},
                                      {2.6, 3.0}, {0.5, 0.0}, {-0.5, -0.0}, {7.0, 7.0}}) {
    EXPECT_EQ(RoundHalfEven(value), rounded) << value;
  }
}

TEST(FormatInteger, IsLocaleFree) {
  EXPECT_EQ(FormatInteger(-1234567), "-1234567");
  EXPECT_EQ(FormatInteger(0), "0");
}

}  // namespace
}  // namespace pontexa::text
