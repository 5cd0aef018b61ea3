#pragma once
#include <string>
#include <string_view>

#include "xml_types.h"

class TXMLTextFile;

// The document type line, kept verbatim from "<!" through its first ">".
class TXMLDocType {
public:
  TXMLResult Parse(std::string_view text, std::size_t& pos);
  void WriteTo(TXMLTextFile& file) const;

  std::string Text;
};
