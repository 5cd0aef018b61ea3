#include "vlm_Resources.h"

#include <string>

namespace res {

std::string LoadStatusText(int status) {
  switch (status) {
    case 0: return {};
    case 1: return StatusCannotOpen;
    case 2: return StatusNoFileName;
    case 3: return StatusNoDeclaration;
    case 4: return StatusRepeatedOrTrailing;
    case 6: return StatusBadTag;
    case 7: return StatusTruncated;
    case 8: return StatusMalformedAttribute;
    case 9: return StatusNoRoot;
    case 10: return StatusTooDeep;
    case 11: return StatusRefused;
    default: return Format(StatusUnknown, {std::to_string(status)});
  }
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (n < args.size()) {
        out.append(*(args.begin() + n));
        ++i;
        continue;
      }
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace res
