#pragma once
// The prologue: XML declaration, optional stylesheet link and document type line.
#include <string>
#include <string_view>
#include <vector>

#include "xml_attribute.h"
#include "xml_docType.h"
#include "xml_types.h"

class TXMLTextFile;

class TXMLParameters {
public:
  TXMLResult ParseDeclaration(std::string_view text, std::size_t& pos);
  // A stylesheet instruction or a document type line, if one follows the declaration.
  TXMLResult ParseAfterDeclaration(std::string_view text, std::size_t& pos);
  TXMLResult SkipInstruction(std::string_view text, std::size_t& pos);
  void WriteTo(TXMLTextFile& file) const;

  std::string Version = "1.0";
  std::string Encoding = "UTF-8";
  std::string Language = "EN";
  std::string Standalone = "yes";
  std::vector<TXMLAttribute> ExtraAttributes;
  std::string StyleSheet;
  TXMLDocType DocType;
};
