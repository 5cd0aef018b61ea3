#include "xml_attribute.h"

#include "xml_functions.h"

TXMLResult TXMLAttribute::ParseBody(std::string_view body) {
  std::size_t eq = body.find('=');
  if (eq == std::string_view::npos) return xrMalformedAttribute;
  Name.assign(body.substr(0, eq));
  Value.assign(UnquotedPart(body.substr(eq + 1)));
  return xrOk;
}

TXMLResult TXMLAttribute::Parse(std::string_view token) {
  // The token ends with the blank that tokenising leaves; the rules never look at that byte.
  return ParseBody(token.empty() ? token : token.substr(0, token.size() - 1));
}
