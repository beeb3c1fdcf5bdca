// The one reader of numbers and squares: what it takes, what it refuses, and that nothing is cut
// to fit before a range or board check.
#include "base/decimal_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/square_text.h"
#include "zarvo/text_args.h"

namespace zarvo {
namespace {

TEST(DecimalText, SignedNumbersClampedBeyondSixtyFourBits) {
  struct Case {
    std::string_view Text;
    std::optional<int64_t> Value;
  } const cases[] = {
      {"0", 0},
      {"007", 7},
      {"+8", 8},
      {"-12", -12},
      {"9223372036854775807", INT64_MAX},
      {"99999999999999999999999", INT64_MAX},
      {"-99999999999999999999999", -INT64_MAX},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"+-1", std::nullopt},
      {"--1", std::nullopt},
      {" 1", std::nullopt},  // blanks are the caller's to trim
      {"1 ", std::nullopt},
      {"0x10", std::nullopt},
      {"1e3", std::nullopt},
      {std::string_view("4\0", 2), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.Text), c.Value) << "'" << c.Text << "'";

  EXPECT_EQ(ParseDecimalIn("-2147483648", INT32_MIN, INT32_MAX), INT32_MIN);
  EXPECT_EQ(ParseDecimalIn("2147483648", INT32_MIN, INT32_MAX), std::nullopt);
  EXPECT_EQ(ParseDecimalIn("99999999999999999999", 0, 100), std::nullopt);
  EXPECT_EQ(ParseDigits("4294967295", UINT32_MAX), UINT32_MAX);
  for (std::string_view bad : {"4294967296", "+5", "-0", ""})
    EXPECT_EQ(ParseDigits(bad, UINT32_MAX), std::nullopt) << bad;
}

TEST(DecimalText, SquaresAreNeverCutToFitTheBoard) {
  EXPECT_EQ(ParseSquareText("3,4"), (TSquare{3, 4}));
  EXPECT_EQ(ParseSquareText("-1,25"), (TSquare{-1, 25}));  // a square, though off the board
  // 4294967305 is 9 in its low 32 bits.
  for (std::string_view bad :
       {"4294967305,9", "9,4294967305", "3", "3,", ",4", "3,4,5", "3;4", " 3,4", "a,b"})
    EXPECT_EQ(ParseSquareText(bad), std::nullopt) << bad;

  EXPECT_EQ(tool::ParseSquare("19,0"), (TSquare{19, 0}));
  for (std::string_view bad : {"4294967305,9", "20,0", "0,-1"})
    EXPECT_EQ(tool::ParseSquare(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace zarvo
