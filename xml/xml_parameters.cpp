#include "xml_parameters.h"

#include "xml_functions.h"
#include "xml_textFile.h"

TXMLResult TXMLParameters::ParseAfterDeclaration(std::string_view text, std::size_t& pos) {
  std::string_view rest = text.substr(pos);
  if (rest.starts_with("<?")) return SkipInstruction(text, pos);
  if (rest.starts_with("<!")) return DocType.Parse(text, pos);
  return xrOk;
}

TXMLResult TXMLParameters::ParseDeclaration(std::string_view text, std::size_t& pos) {
  ExtraAttributes.clear();
  std::string_view rest = text.substr(pos);
  std::size_t skip = rest.starts_with("<?xml ") ? 6 : rest.starts_with("<? xml ") ? 7 : 0;
  if (skip == 0) return xrNoDeclaration;
  std::size_t end = rest.find("?>");
  if (end == std::string_view::npos) return xrTruncated;
  std::string_view decl = rest.substr(skip, end + 2 - skip);
  pos += end + 2;

  TXMLResult result = xrOk;
  std::string* keys[] = {&Version, &Encoding, &Language, &Standalone};
  static constexpr std::string_view kKeys[] = {"version=", "encoding=", "language=", "standalone="};
  bool seen[4] = {false, false, false, false};
  // Tokens run up to a blank; the text always ends with one more blank, never stored here.
  std::size_t p = 0;
  while (p <= decl.size()) {
    std::size_t blank = decl.find(' ', p);
    if (blank == std::string_view::npos) blank = decl.size();
    std::string_view body = decl.substr(p, blank - p);
    p = blank + 1;
    if (body == "?>" || body == ">") continue;
    // An empty token (two blanks, left where a comment was removed) is an attribute without "=".
    if (body.empty()) return xrMalformedAttribute;
    int key = -1;
    for (int k = 0; k < 4; ++k)
      if (body.starts_with(kKeys[k])) key = k;
    if (key >= 0) {
      if (seen[key]) result = xrRepeatedOrTrailing;
      else *keys[key] = UnquoteBody(body.substr(kKeys[key].size()));
      seen[key] = true;
      continue;
    }
    TXMLAttribute attribute;
    if (TXMLResult r = attribute.ParseBody(body)) return r;
    ExtraAttributes.push_back(std::move(attribute));
  }
  return result;
}

TXMLResult TXMLParameters::SkipInstruction(std::string_view text, std::size_t& pos) {
  std::size_t end = text.find("?>", pos);
  if (end == std::string_view::npos) return xrTruncated;
  pos = end + 2;
  return xrOk;
}

void TXMLParameters::WriteTo(TXMLTextFile& file) const {
  // The pieces are made safe for the tokeniser of the declaration (see the README's section on the file format).
  std::string line = "<?xml version=\"";
  line += SafeDeclaration(Version);
  line += "\" encoding=\"";
  line += SafeDeclaration(Encoding);
  line += "\" language=\"";
  line += SafeDeclaration(Language);
  line += "\" standalone=\"";
  line += SafeDeclaration(Standalone);
  line += '"';
  for (const TXMLAttribute& a : ExtraAttributes) {
    line += ' ';
    std::string name = SafeDeclaration(a.Name);
    for (char& c : name)
      if (c == '=') c = '_';
    line += name;
    line += "=\"";
    line += SafeDeclaration(a.Value);
    line += '"';
  }
  line += "?>";
  file.WriteLine(line);
  if (!StyleSheet.empty()) file.WriteLine("<?stylesheet link=\"" + StyleSheet + "\"?>");
  DocType.WriteTo(file);
  file.WriteLine("");
}
