#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "xml_types.h"

class TXMLAttribute {
public:
  TXMLAttribute() = default;
  TXMLAttribute(std::string name, std::string value) : Name(std::move(name)), Value(std::move(value)) {}

  // Reads `name="value"` from one token (trailing blank included); returns a result code.
  TXMLResult Parse(std::string_view token);
  // The same for a token whose trailing blank is not stored; xrMalformedAttribute without "=".
  TXMLResult ParseBody(std::string_view body);

  std::string Name;
  std::string Value;
};
