#include "xml_textStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "xml_scan.h"
#include "xml_string.h"

namespace {

void* Grow(void* p, std::size_t size) {
  void* bigger = std::realloc(p, size);
  if (!bigger) throw std::bad_alloc();
  return bigger;
}

}  // namespace

TXMLTextStream::TXMLTextStream(std::string_view whole) : FRaw(whole.data()), FRawEnd(whole.size()), FTotal(whole.size()) {
  FRawDone = true;
  FFailed = FTotal > TXMLString::MaxSize - 1;
}

TXMLTextStream::TXMLTextStream(int fd) : FFd(fd) {}

TXMLTextStream::TXMLTextStream(std::function<std::ptrdiff_t(char*, std::size_t)> source) : FSource(std::move(source)) {}

TXMLTextStream::~TXMLTextStream() {
  std::free(FOwnedRaw);
  std::free(FWindow);
}

bool TXMLTextStream::ReadSome() {
  if (FRawPos > 0) {  // keep the unjoined rest at the start of the buffer
    std::memmove(FOwnedRaw, FOwnedRaw + FRawPos, FRawEnd - FRawPos);
    FRawEnd -= FRawPos;
    FRawPos = 0;
  }
  if (FRawCapacity - FRawEnd < PieceBytes) {
    FRawCapacity = std::max(2 * FRawCapacity, FRawEnd + PieceBytes);
    FOwnedRaw = static_cast<char*>(Grow(FOwnedRaw, FRawCapacity));
  }
  FRaw = FOwnedRaw;
  for (;;) {
    const std::size_t room = std::min(PieceBytes, FRawCapacity - FRawEnd);
    const ssize_t got = FSource ? FSource(FOwnedRaw + FRawEnd, room) : ::read(FFd, FOwnedRaw + FRawEnd, room);
    if (got < 0 && FSource) return FFailed = true, false;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) FFailed = true;
    if (got <= 0) return false;
    FRawEnd += static_cast<std::size_t>(got);
    FTotal += static_cast<std::size_t>(got);
    if (FTotal > TXMLString::MaxSize - 1) FFailed = true;  // a text the tree's strings cannot hold
    return !FFailed;
  }
}

// The end of the next piece: after the last CR LF within PieceBytes, else after the first one
// beyond it, else the end of the text; 0 when the raw bytes hold no whole line yet.
std::size_t TXMLTextStream::PieceEnd() const {
  const std::size_t limit = std::min(FRawEnd, FRawPos + PieceBytes);
  for (std::size_t e = limit; e > FRawPos + 1;) {  // a line feed at FRawPos ends no line of this piece
    const void* lf = memrchr(FRaw + FRawPos + 1, '\n', e - FRawPos - 1);
    if (!lf) break;
    e = static_cast<std::size_t>(static_cast<const char*>(lf) - FRaw);
    if (FRaw[e - 1] == '\r') return e + 1;
  }
  for (std::size_t e = std::max(limit, FRawPos + 1); e < FRawEnd;) {
    const void* lf = std::memchr(FRaw + e, '\n', FRawEnd - e);
    if (!lf) break;
    e = static_cast<std::size_t>(static_cast<const char*>(lf) - FRaw) + 1;
    if (FRaw[e - 2] == '\r') return e;
  }
  return FRawDone ? FRawEnd : 0;
}

bool TXMLTextStream::More() {
  if (FEnd) return false;
  std::size_t end = 0;
  while (!FFailed && (end = PieceEnd()) == 0 && !FRawDone)
    if (!ReadSome()) FRawDone = true;
  if (FFailed) {
    FEnd = true;
    FSettled = FLength;
    return false;
  }
  // Byte 26 ends the text.
  if (const void* eof = end > FRawPos ? std::memchr(FRaw + FRawPos, 26, end - FRawPos) : nullptr) {
    end = static_cast<std::size_t>(static_cast<const char*>(eof) - FRaw);
    FRawDone = true;
    FRawEnd = end;
  }
  const std::size_t n = end - FRawPos;
  if (FCapacity - FLength < n + 1) {
    FCapacity = std::max(2 * FCapacity, FLength + n + 1);
    FWindow = static_cast<char*>(Grow(FWindow, FCapacity));
  }
  const std::size_t joined = JoinLines(FRaw + FRawPos, n, FWindow + FLength);
  FLength = FComments.Run(FWindow, FLength, FLength + joined);
  FRawPos = end;
  FEnd = FRawDone && FRawPos == FRawEnd;
  FSettled = FEnd ? FLength : FComments.SettledEnd(FWindow, FLength);
  return true;
}

void TXMLTextStream::Drop(std::size_t& pos) {
  if (pos == 0) return;
  std::memmove(FWindow, FWindow + pos, FLength - pos);
  FLength -= pos;
  FSettled -= pos;
  FComments.Dropped(pos);
  pos = 0;
}

std::size_t TXMLTextStream::Need(std::size_t& pos, std::string_view needle) {
  std::size_t from = pos;
  for (;;) {
    const std::string_view text = Text();
    std::size_t at = needle.size() == 1 ? FindByte(text, needle[0], from) : text.find(needle, from);
    if (at == text.size()) at = std::string_view::npos;
    if (at != std::string_view::npos || FEnd) return at;
    from = std::max(pos, FSettled - std::min(FSettled, needle.size() - 1));
    from -= pos;
    Drop(pos);
    More();
  }
}

void TXMLTextStream::NeedBytes(std::size_t& pos, std::size_t n) {
  while (FSettled - pos < n && !FEnd) {
    Drop(pos);
    More();
  }
}

bool TXMLTextStream::Finish() {
  while (More()) {
    std::size_t pos = FSettled;
    Drop(pos);
  }
  return !FComments.InComment;
}
