// The two integer readings of settings values.
#include "ui/IniFile.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
  const char* Text;
  std::int32_t Expected;
};

class LenientTest : public ::testing::TestWithParam<TCase> {};

TEST_P(LenientTest, Converts) {
  EXPECT_EQ(ui::StrToIntLenient(GetParam().Text), GetParam().Expected) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(Table, LenientTest,
                         ::testing::Values(TCase{"30", 30}, TCase{"2.5", 2}, TCase{" 100", 100},
                                           TCase{"\t-7x", -7}, TCase{"+15", 15}, TCase{"", 0},
                                           TCase{"yes", 0}, TCase{"ON", 0}, TCase{"-", 0},
                                           TCase{"1", 1}, TCase{"2", 2}, TCase{"-1", -1},
                                           TCase{"2147483647", 2147483647},
                                           TCase{"2147483648", INT32_MIN}, TCase{"4294967297", 1},
                                           TCase{"-2147483649", INT32_MAX}, TCase{"0x10", 0}));

class StrictTest : public ::testing::TestWithParam<TCase> {};

TEST_P(StrictTest, ConvertsOrGivesTheDefault) {
  EXPECT_EQ(ui::StrToIntStrict(GetParam().Text, -999), GetParam().Expected) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StrictTest,
    ::testing::Values(TCase{"512", 512}, TCase{" 100", 100}, TCase{"100abc", -999},
                      TCase{"abc", -999}, TCase{"", -999}, TCase{" ", -999}, TCase{"0x10", 16},
                      TCase{"0X1f", 31}, TCase{"$10", 16}, TCase{"x10", 16}, TCase{"X10", 16},
                      TCase{"-0x10", -999}, TCase{"+$10", -999}, TCase{"0x", -999}, TCase{"-5", -5},
                      TCase{"+5", 5}, TCase{"- 5", -999}, TCase{"2147483647", 2147483647},
                      TCase{"-2147483648", INT32_MIN}, TCase{"2147483648", -999},
                      TCase{"-2147483649", -999}, TCase{"0xFFFFFFFF", -1},
                      TCase{"0x100000000", -999}, TCase{"1.5", -999}, TCase{"\t100", -999},
                      TCase{"100 ", -999}));

} // namespace
