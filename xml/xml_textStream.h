#pragma once
// The text of a document as the reader sees it, produced a piece at a time.
#include <cstddef>
#include <functional>
#include <string_view>

#include "xml_functions.h"

// Reads a document from a file or from memory a piece of whole lines at a time, joins its lines
// and removes its comments (the rules of JoinLines and RemoveComments over the whole text), and
// keeps only the part the reader has not yet consumed: a large file is never held whole.
class TXMLTextStream {
public:
  explicit TXMLTextStream(std::string_view whole);  // a document in memory, not copied
  explicit TXMLTextStream(int fd);                   // a file open for reading, not closed here
  // Bytes handed out as read(2) does: the count, 0 at the end, -1 on an error (an opened sealed file).
  explicit TXMLTextStream(std::function<std::ptrdiff_t(char* to, std::size_t n)> source);
  ~TXMLTextStream();
  TXMLTextStream(const TXMLTextStream&) = delete;
  TXMLTextStream& operator=(const TXMLTextStream&) = delete;

  // The settled text from the start of the window on; it only grows, and at the end it is all of
  // the text that is left.
  std::string_view Text() const noexcept { return {FWindow, FSettled}; }
  // Makes Text() hold `needle` at or after pos, or all that is left of the text; returns where
  // the needle is, or npos. May move the window: pos then counts from its new start.
  std::size_t Need(std::size_t& pos, std::string_view needle);
  // The same for n bytes after pos.
  void NeedBytes(std::size_t& pos, std::size_t n);
  // Reads the rest of the text. False when a comment has no end.
  bool Finish();
  bool Failed() const noexcept { return FFailed; }  // the file could not be read whole
  std::size_t BytesRead() const noexcept { return FTotal; }

  // Bytes taken from the source at a time (the tests make it small to try every boundary).
  static inline std::size_t PieceBytes = 64 << 10;

private:
  bool More();       // appends the next piece to the window; false at the end of the text
  void Drop(std::size_t& pos);
  bool ReadSome();  // file: appends raw bytes; false at the end of the file
  std::size_t PieceEnd() const;

  int FFd = -1;
  std::function<std::ptrdiff_t(char*, std::size_t)> FSource;
  const char* FRaw = nullptr;  // unjoined bytes [FRawPos, FRawEnd)
  char* FOwnedRaw = nullptr;   // the read buffer of a file
  std::size_t FRawPos = 0, FRawEnd = 0, FRawCapacity = 0, FTotal = 0;
  bool FRawDone = false, FEnd = false, FFailed = false;
  char* FWindow = nullptr;
  std::size_t FLength = 0, FSettled = 0, FCapacity = 0;
  TCommentFilter FComments;
};
