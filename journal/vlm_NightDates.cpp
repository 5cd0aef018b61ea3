#include "vlm_NightDates.h"

#include "vlm_Search.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {
std::optional<int> DateOf(const TXMLNode& child) {
  if (child.Name != tagDay) return std::nullopt;
  return DayNumberOfName(child.GetAttribute(attrName));
}
}  // namespace

bool LooksLikeDate(std::string_view name) {
  bool digit = false, separator = false;
  for (const char c : name) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c == '.' || c == ',' || c == '/' || c == '-')
      separator = true;
    else
      return false;
  }
  return digit && separator;
}

const TXMLNode* NightOfDate(const TXMLNode& journalRoot, int day) {
  for (const auto& child : journalRoot.Children)
    if (DateOf(*child) == day) return child.get();
  return nullptr;
}

TXMLNode* NightAfterDate(const TXMLNode& journalRoot, int day) {
  for (const auto& child : journalRoot.Children)
    if (const std::optional<int> date = DateOf(*child); date && *date > day) return child.get();
  return nullptr;
}
