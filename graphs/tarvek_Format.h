#pragma once
// Number-to-text conversions of the label formats. "%.2n" writes the number rounded to two decimals
// (halves away from zero, like the old platform's Format) with `thousands` between groups of three
// digits and `decimal` before the decimals; "%.2f" does the same without grouping. The precision
// defaults to 2 and is capped at 18. "%%" is a percent sign; other text is copied, and a conversion
// this function does not know is copied as written. Every conversion takes the same value.
#include <string>

std::string FormatFloat(const std::string& format, double value, const std::string& thousands,
                        const std::string& decimal);
