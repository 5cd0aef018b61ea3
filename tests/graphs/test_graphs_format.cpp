// The "%.0n" / "%.2n" label formats with given separators (no Qt).
#include <gtest/gtest.h>

#include <cmath>

#include "tarvek_Format.h"

namespace {
std::string En(const std::string& f, double v) { return FormatFloat(f, v, ",", "."); }
std::string Ru(const std::string& f, double v) { return FormatFloat(f, v, "\xA0", ","); }
}  // namespace

TEST(GraphsFormat, GroupsThousandsWithTheGivenSeparators) {
  EXPECT_EQ(En("%.0n", 1234), "1,234");
  EXPECT_EQ(Ru("%.0n", 1234), "1\xA0" "234");
  EXPECT_EQ(En("%.2n", -0.75), "-0.75");
  EXPECT_EQ(Ru("%.2n", -0.75), "-0,75");
  EXPECT_EQ(En("%.2n", -1234567.891), "-1,234,567.89");
  EXPECT_EQ(En("%.0n", 999), "999");
  EXPECT_EQ(En("%.0n", 100000), "100,000");
  EXPECT_EQ(En("%.2n", 0), "0.00");
  EXPECT_EQ(En("%n", 3), "3.00");  // precision defaults to 2
}

TEST(GraphsFormat, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(En("%.0n", 2.5), "3");
  EXPECT_EQ(En("%.0n", -2.5), "-3");
  EXPECT_EQ(En("%.0n", 3.5), "4");
  EXPECT_EQ(En("%.2n", 0.125), "0.13");
  EXPECT_EQ(En("%.2n", 1.005), "1.00");  // the double lies just below 1.005
  EXPECT_EQ(En("%.0n", 9999.5), "10,000");
  EXPECT_EQ(En("%.2n", 999.999), "1,000.00");
  EXPECT_EQ(En("%.0n", -0.4), "0");  // no minus sign on a zero
}

TEST(GraphsFormat, OtherTextAndOddValues) {
  EXPECT_EQ(En("%.2f", 1234.5), "1234.50");
  EXPECT_EQ(En("x=%.1n%%", 1.46), "x=1.5%");
  EXPECT_EQ(En("%d items", 4), "%d items");
  EXPECT_EQ(En("", 4), "");
  EXPECT_EQ(En("%.0n", std::nan("")), "NAN");
  EXPECT_EQ(En("%.0n", -INFINITY), "-INF");
  EXPECT_EQ(En("%.0n", 1e20), "100,000,000,000,000,000,000");
  EXPECT_EQ(En("%.99n", 1.5).size(), std::string("1.").size() + 18);  // precision capped at 18
  EXPECT_EQ(En("%.", 1), "%.");
}
