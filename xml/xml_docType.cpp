#include "xml_docType.h"

#include "xml_functions.h"
#include "xml_textFile.h"

TXMLResult TXMLDocType::Parse(std::string_view text, std::size_t& pos) {
  std::size_t gt = text.find('>', pos);
  if (gt == std::string_view::npos) return xrTruncated;
  Text.assign(text.substr(pos, gt + 1 - pos));
  pos = gt + 1;
  return xrOk;
}

void TXMLDocType::WriteTo(TXMLTextFile& file) const { file.WriteLine(SafeDocType(Text)); }
