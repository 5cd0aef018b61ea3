// Fuzz target of the reader: any bytes must load without a crash, a hang or a read outside the
// text, and to the same result when the reader takes the text in pieces of a few bytes; a document
// that loaded must save and read back, and after that one round the text must stay the same (the
// first round may still collapse blanks that the writer's substitutions made).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xml_mainUnit.h"
#include "xml_textStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TXMLParser parser;
  parser.LoadFromString(text);
  const std::size_t pieceBytes = TXMLTextStream::PieceBytes;
  for (std::size_t piece : {1, 3}) {
    TXMLTextStream::PieceBytes = piece;
    TXMLParser inPieces;
    inPieces.LoadFromString(text);
    if (inPieces.Status != parser.Status || inPieces.SaveToString() != parser.SaveToString()) std::abort();
  }
  TXMLTextStream::PieceBytes = pieceBytes;
  if (parser.Status != xrOk) return 0;
  TXMLParser once;
  if (once.LoadFromString(parser.SaveToString()) != xrOk) std::abort();
  const std::string saved = once.SaveToString();
  TXMLParser twice;
  if (twice.LoadFromString(saved) != xrOk) std::abort();
  if (twice.SaveToString() != saved) std::abort();
  return 0;
}
