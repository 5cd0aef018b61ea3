#include "tarvek_Format.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMaxPrecision = 18;
// Digits printed beyond the last one kept: enough to see the rounding digit of any double exactly.
constexpr int kGuardDigits = 25;

std::string FixedText(double value, int precision, bool grouped, const std::string& thousands,
                      const std::string& decimal) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const double magnitude = std::fabs(value);
  const int n = std::snprintf(nullptr, 0, "%.*f", precision + kGuardDigits, magnitude);
  std::vector<char> buf(static_cast<std::size_t>(n) + 1);
  std::snprintf(buf.data(), buf.size(), "%.*f", precision + kGuardDigits, magnitude);
  const std::string text(buf.data());
  const std::size_t point = text.find('.');
  std::string digits = text.substr(0, point) + text.substr(point + 1, static_cast<std::size_t>(precision));
  // The printed digits are exact for the leading ones glibc gives, so digit >= 5 means "half or more".
  if (text[point + 1 + static_cast<std::size_t>(precision)] >= '5') {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0)
      digits.insert(digits.begin(), '1');
    else
      ++digits[i - 1];
  }
  const std::size_t intLen = digits.size() - static_cast<std::size_t>(precision);
  std::string out;
  for (std::size_t i = 0; i < intLen; ++i) {
    if (grouped && i > 0 && (intLen - i) % 3 == 0) out += thousands;
    out += digits[i];
  }
  if (precision > 0) out += decimal + digits.substr(intLen);
  const bool zero = digits.find_first_not_of('0') == std::string::npos;
  return (value < 0 && !zero) ? "-" + out : out;
}

}  // namespace

std::string FormatFloat(const std::string& format, double value, const std::string& thousands,
                        const std::string& decimal) {
  std::string out;
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    int precision = 2;
    if (j < format.size() && format[j] == '.') {
      precision = 0;
      ++j;
      while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
        if (precision <= kMaxPrecision) precision = precision * 10 + (format[j] - '0');
        ++j;
      }
      if (precision > kMaxPrecision) precision = kMaxPrecision;
    }
    if (j < format.size() && (format[j] == 'n' || format[j] == 'f')) {
      out += FixedText(value, precision, format[j] == 'n', thousands, decimal);
      i = j + 1;
    } else {
      out += format[i++];  // not a conversion of ours: keep the text
    }
  }
  return out;
}
