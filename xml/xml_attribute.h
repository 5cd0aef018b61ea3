#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "xml_list.h"
#include "xml_string.h"
#include "xml_types.h"

class TXMLAttribute {
public:
  TXMLAttribute() = default;
  TXMLAttribute(std::string_view name, std::string_view value) : Name(name), Value(value) {}

  // Reads `name="value"` from one token (trailing blank included); returns a result code.
  TXMLResult Parse(std::string_view token);
  // The same for a token whose trailing blank is not stored; xrMalformedAttribute without "=".
  TXMLResult ParseBody(std::string_view body);

  TXMLString Name;
  TXMLString Value;
};

// The attribute list of an element.
using TXMLAttributeList = TXMLList<TXMLAttribute>;
