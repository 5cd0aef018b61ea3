#pragma once
// Basic types of the XML document library: node kinds, load result codes, the write error.
#include <cstdint>
#include <stdexcept>
#include <string>

enum TXMLNodeKind : std::uint8_t {
  nkText = 0,     // character data only
  nkElement = 1,  // start tag, children, end tag (default of a new node)
  nkEmpty = 2,    // one self-closing tag; children are not written
};

// Load result codes kept in TXMLParser::Status. 0 is success.
using TXMLResult = std::uint8_t;
inline constexpr TXMLResult xrOk = 0;
inline constexpr TXMLResult xrCannotOpen = 1;       // file cannot be opened for reading
inline constexpr TXMLResult xrNoFileName = 2;       // empty file name
inline constexpr TXMLResult xrNoDeclaration = 3;    // text does not start with "<?xml " or "<? xml "
inline constexpr TXMLResult xrRepeatedOrTrailing = 4;  // declaration key twice, or text after the root
inline constexpr TXMLResult xrBadTag = 6;           // empty start-tag name, or a stray end tag
inline constexpr TXMLResult xrTruncated = 7;        // the text ends inside a construct (tag, declaration, comment, element)
inline constexpr TXMLResult xrMalformedAttribute = 8;  // an attribute token without "="
inline constexpr TXMLResult xrNoRoot = 9;           // no element follows the prologue (nothing, or text)
inline constexpr TXMLResult xrTooDeep = 10;         // elements nested deeper than kMaxDepth
inline constexpr TXMLResult xrRefused = 11;         // not in the form expected (xml_sealing.h): TXMLParser::Refusal says why

// Elements nested deeper than this fail the load with xrTooDeep.
inline constexpr int kMaxDepth = 1'000'000;

// Indentation grows with Level up to this many levels (two blanks each) and no further, so that a
// very deep document does not write gigabytes of blanks. The reader ignores indentation.
inline constexpr int kMaxIndentLevel = 100;

// The literal read for an absent attribute.
inline constexpr const char* xml_Undefined = "undefined";

// Raised by SaveToFile when the file cannot be written; the old file is left untouched.
class EInOutError : public std::runtime_error {
public:
  EInOutError(const std::string& fileName, const std::string& reason)
      : std::runtime_error(reason + ": " + fileName), FileName(fileName), Reason(reason) {}
  std::string FileName;  // as given to SaveToFile (Windows-1251 bytes)
  std::string Reason;
};
