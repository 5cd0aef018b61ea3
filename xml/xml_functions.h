#pragma once
// Text helpers of the XML library.
#include <cstddef>
#include <string>
#include <string_view>

#include "xml_types.h"

// Trims bytes of code 32 or less at both ends and reduces each run of blanks (code 32) to one.
std::string CollapseBlanks(std::string_view s);

// Value of a declaration or attribute token: what follows "=", trailing blank included.
std::string UnquoteValue(std::string_view token);
// The same for a token whose trailing blank is not stored (the tokenisers pass views of the text).
std::string UnquoteBody(std::string_view body);
// The part of `body` that UnquoteBody returns.
std::string_view UnquotedPart(std::string_view body);

// Windows-1251 bytes to UTF-8 and back. Characters without a Windows-1251 byte become '?';
// byte 0x98, which has no character, becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view s);
std::string Utf8ToCp1251(std::string_view s);

// True when `s` is well-formed UTF-8: no stray or missing continuation byte, no overlong form,
// no surrogate, nothing above U+10FFFF.
bool ValidUtf8(std::string_view s);

// The file-system path for a path held in a document (Windows-1251 bytes).
std::string NativePath(std::string_view cp1251Path);

// The reason for a failed file operation as the user reads it, in UTF-8: Russian for the common
// errno values (no space, no permission, read-only file system, missing file or folder, a folder,
// I/O error, quota, file too large), the system's own text for the others.
std::string SystemErrorText(int errnum);

// What the writer puts on disk for names, values and text that the dialect cannot carry
// (see the README's section on the file format).
std::string SafeName(std::string_view name);
std::string SafeValue(std::string_view value);
// An attribute value as it reads back after a save: SafeValue, then blank runs reduced to one.
std::string StoredValue(std::string_view value);
std::string SafeText(std::string_view text);

// Declaration keys and values: blanks, CR, LF and byte 26 (which would split the declaration into
// other tokens or lines) become "_", "<" becomes 0x8B and a ">" after "?" becomes 0x9B.
std::string SafeDeclaration(std::string_view piece);

// The document type line as it reads back: CR, LF and byte 26 become blanks, "<" after the first
// byte becomes 0x8B and ">" before the last 0x9B; the ends are trimmed and blank runs reduced to one.
std::string SafeDocType(std::string_view line);

// Appending forms used by the writer; AppendTextNode appends CollapseBlanks(SafeText(text)).
void AppendSafeName(std::string& out, std::string_view name);
void AppendSafeValue(std::string& out, std::string_view value);
void AppendTextNode(std::string& out, std::string_view text);

// Reading steps. JoinLines: lines end at CR LF; empty lines (also lines of blanks and control
// bytes only) are skipped, each line is trimmed, its runs of blanks reduced to one, and it is
// joined directly when it begins with "<", else after one blank. The string form first ends the
// text at its first byte 26.
void JoinLines(std::string& text);
// The same from in[0..n) to out, which has room for n + 1 bytes; returns the length written.
std::size_t JoinLines(const char* in, std::size_t n, char* out);
// Deletes every "<!--" .. "-->"; xrTruncated when a comment has no end.
TXMLResult RemoveComments(std::string& text);

// Removes comments from a text that arrives in pieces of whole joined lines (a "<!--" or "-->"
// never spans two such pieces, as every line after the first begins with "<" or a blank).
class TCommentFilter {
public:
  // d[0..from) is the text kept so far, d[from..n) a new piece; removes the piece's comments in
  // place and returns the end of the text kept. Bytes before the end may still go (SettledEnd).
  std::size_t Run(char* d, std::size_t from, std::size_t n);
  // After Run: the end of the part of the kept text d[0..n) that no later piece can change. What
  // follows it is a run of "<", "<!" and "<!-", which deleting later comments may join into new
  // "<!--"s, one at a time.
  std::size_t SettledEnd(const char* d, std::size_t n);
  // The kept text lost its first `by` bytes (all settled).
  void Dropped(std::size_t by) noexcept {
    if (FRunStart != std::string_view::npos) FRunStart -= by;
  }
  bool InComment = false;  // the text so far ends inside a comment

private:
  std::size_t FChangedFrom = 0;  // the first byte the last Run wrote or removed
  std::size_t FRunStart = std::string_view::npos;  // where that run began, npos when there is none
};
