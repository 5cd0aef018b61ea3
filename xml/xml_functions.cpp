#include "xml_functions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xml_resources.h"

namespace {

inline bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// The first of two adjacent blanks in p[0..n), or the first `mark` or `mark2` if it comes earlier;
// nullptr when there is none. Sixteen bytes at a time where the processor allows.
const char* FindBlankPairOr(const char* p, std::size_t n, char mark, char mark2) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' '), m1 = _mm_set1_epi8(mark), m2 = _mm_set1_epi8(mark2);
  for (; i + 17 <= n; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(a, blank), _mm_cmpeq_epi8(b, blank));
    hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(a, m1), _mm_cmpeq_epi8(a, m2)));
    if (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit))) return p + i + __builtin_ctz(mask);
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == mark || p[i] == mark2) return p + i;
    if (p[i] == ' ' && i + 1 < n && p[i + 1] == ' ') return p + i;
  }
  return nullptr;
}

// Unicode code points of the Windows-1251 bytes 0x80..0xFF; 0 marks 0x98, which has none.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char CodePointToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  for (int i = 0; i < 128; ++i)
    if (kCp1251High[i] != 0 && kCp1251High[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

// Replacement bytes of the writer; 0 means "keep".
constexpr char kLowQuote = static_cast<char>(0x94);   // ” for '"' in values
constexpr char kRightAngle = static_cast<char>(0x9B); // › for '>' in values
constexpr char kLeftAngle = static_cast<char>(0x8B);  // ‹ for '<' in values and text

inline char NameByte(char c, bool first) {
  switch (c) {
    case '/': case '>': case '<': case '"': case '=': return '_';
    case '!': case '?': return first ? '_' : c;  // "<!" and "<?" would start a DOCTYPE, comment or instruction
    default: return IsControlOrBlank(c) ? '_' : c;
  }
}

inline char ValueByte(char c) {
  switch (c) {
    case '"': return kLowQuote;
    case '>': return kRightAngle;
    case '<': return kLeftAngle;
    case '\r': case '\n': case 26: return ' ';
    default: return c;
  }
}

inline char TextByte(char c) {
  if (c == '<') return kLeftAngle;
  if (c == 26) return ' ';
  return c;
}

}  // namespace

std::string CollapseBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsControlOrBlank(s[b])) ++b;
  while (e > b && IsControlOrBlank(s[e - 1])) --e;
  std::string out;
  out.reserve(e - b);
  for (std::size_t i = b; i < e; ++i)
    if (s[i] != ' ' || s[i - 1] != ' ') out += s[i];  // s[b] is never a blank, so i - 1 >= b here
  return out;
}

std::string_view UnquotedPart(std::string_view body) {
  // `body` is the token without the blank that tokenising leaves at its end.
  const std::size_t m = body.size();
  std::size_t tail;
  if (m >= 1 && body[m - 1] == '>')
    tail = (m >= 2 && (body[m - 2] == '/' || body[m - 2] == '?')) ? 3 : 2;
  else
    tail = 1;
  if (m < tail + 1) return {};
  return body.substr(1, m - 1 - tail);
}

std::string UnquoteBody(std::string_view body) { return std::string(UnquotedPart(body)); }

std::string UnquoteValue(std::string_view token) {
  if (token.empty()) return std::string();
  return UnquoteBody(token.substr(0, token.size() - 1));
}

std::string Cp1251ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) out += ch;
    else AppendUtf8(out, kCp1251High[c - 0x80] ? kCp1251High[c - 0x80] : 0xFFFD);
  }
  return out;
}

std::string Utf8ToCp1251(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = len > 0 && i + len <= s.size();
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; ok && k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc >> 6) != 2) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    out += CodePointToCp1251(cp);
    i += len;
  }
  return out;
}

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    char32_t cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc >> 6) != 0x2) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};  // below these, a shorter form exists
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
    i += n;
  }
  return true;
}

std::string NativePath(std::string_view cp1251Path) { return Cp1251ToUtf8(cp1251Path); }

std::string SystemErrorText(int errnum) {
  switch (errnum) {
    case ENOSPC: return xml_res::ReasonNoSpace;
    case EACCES:
    case EPERM: return xml_res::ReasonNoPermission;
    case EROFS: return xml_res::ReasonReadOnlyFileSystem;
    case ENOENT: return xml_res::ReasonNotFound;
    case EISDIR: return xml_res::ReasonIsFolder;
    case EIO: return xml_res::ReasonInputOutput;
    case EDQUOT: return xml_res::ReasonQuota;
    case EFBIG: return xml_res::ReasonTooLarge;
    default: return std::strerror(errnum);
  }
}

void AppendSafeName(std::string& out, std::string_view name) {
  std::size_t start = out.size();
  out.append(name);
  for (std::size_t i = start; i < out.size(); ++i) out[i] = NameByte(out[i], i == start);
}

void AppendSafeValue(std::string& out, std::string_view value) {
  std::size_t start = out.size();
  out.append(value);
  for (std::size_t i = start; i < out.size(); ++i) out[i] = ValueByte(out[i]);
}

void AppendTextNode(std::string& out, std::string_view text) {
  // CollapseBlanks(SafeText(text)): byte 26 becomes a blank first, so it trims and joins runs.
  std::size_t b = 0, e = text.size();
  while (b < e && IsControlOrBlank(text[b])) ++b;
  while (e > b && IsControlOrBlank(text[e - 1])) --e;
  std::string_view body = text.substr(b, e - b);
  if (!FindBlankPairOr(body.data(), body.size(), '<', 26)) {
    out.append(body);  // the usual case: nothing to change
    return;
  }
  char prev = 0;
  for (char raw : body) {
    char c = TextByte(raw);
    if (c == ' ' && prev == ' ') continue;
    out += c;
    prev = c;
  }
}

std::string SafeName(std::string_view name) {
  std::string out;
  AppendSafeName(out, name);
  return out;
}

std::string SafeValue(std::string_view value) {
  std::string out;
  AppendSafeValue(out, value);
  return out;
}

std::string StoredValue(std::string_view value) {
  std::string out;
  AppendSafeValue(out, value);
  // A value sits inside a line, and the reader reduces every run of blanks in a line to one.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < out.size(); ++i)
    if (!(out[i] == ' ' && kept > 0 && out[kept - 1] == ' ')) out[kept++] = out[i];
  out.resize(kept);
  return out;
}

std::string SafeDeclaration(std::string_view piece) {
  std::string out(piece);
  for (std::size_t i = 0; i < out.size(); ++i) {
    char& c = out[i];
    if (c == ' ' || c == '\r' || c == '\n' || c == 26) c = '_';
    else if (c == '<') c = kLeftAngle;
    else if (c == '>' && i > 0 && piece[i - 1] == '?') c = kRightAngle;
  }
  return out;
}

std::string SafeDocType(std::string_view line) {
  std::string safe(line);
  for (std::size_t i = 0; i < safe.size(); ++i) {
    char& c = safe[i];
    if (c == '\r' || c == '\n' || c == 26) c = ' ';
    else if (c == '<' && i > 0) c = kLeftAngle;
    else if (c == '>' && i + 1 < safe.size()) c = kRightAngle;
  }
  return CollapseBlanks(safe);
}

std::string SafeText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = TextByte(c);
  return out;
}

std::size_t JoinLines(const char* in, std::size_t n, char* out) {
  std::size_t r = 0, w = 0;
  for (;;) {
    // The end of the line before, empty lines, and the blanks and control bytes a line begins with.
    while (r < n && IsControlOrBlank(in[r])) ++r;
    if (r == n) return w;
    if (in[r] != '<') out[w++] = ' ';
    // Copy the line up to its CR LF, each run of blanks as one blank.
    for (;;) {
      const char* hit = FindBlankPairOr(in + r, n - r, '\r', '\r');
      const std::size_t at = hit ? static_cast<std::size_t>(hit - in) : n;
      std::memcpy(out + w, in + r, at - r);
      w += at - r;
      r = at;
      if (r == n) break;
      if (in[r] == '\r' && r + 1 < n && in[r + 1] == '\n') {
        r += 2;
        break;
      }
      out[w++] = in[r++];  // a blank (the rest of its run is skipped) or a CR inside the line
      while (out[w - 1] == ' ' && r < n && in[r] == ' ') ++r;
    }
    while (IsControlOrBlank(out[w - 1])) --w;  // the line's first byte is not one of these
  }
}

void JoinLines(std::string& text) {
  std::string out(text.size() + 1, '\0');
  out.resize(JoinLines(text.data(), std::min(text.find('\x1A'), text.size()), out.data()));
  text.swap(out);
}

namespace {

// in.find("<!--", from), looking for "<!" sixteen bytes at a time: tags are frequent, comments rare.
std::size_t FindCommentStart(std::string_view in, std::size_t from) {
  const char* p = in.data();
  const std::size_t n = in.size();
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i lt = _mm_set1_epi8('<'), bang = _mm_set1_epi8('!');
  for (; i + 17 <= n; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, lt), _mm_cmpeq_epi8(b, bang))));
    while (mask) {
      std::size_t k = i + __builtin_ctz(mask);
      if (k + 4 <= n && p[k + 2] == '-' && p[k + 3] == '-') return k;
      mask &= mask - 1;
    }
  }
#endif
  for (; i + 4 <= n; ++i)
    if (p[i] == '<' && p[i + 1] == '!' && p[i + 2] == '-' && p[i + 3] == '-') return i;
  return std::string_view::npos;
}

}  // namespace

std::size_t TCommentFilter::Run(char* d, std::size_t w, std::size_t n) {
  static constexpr char kOpen[] = "<!--";
  const std::string_view in(d, n);
  std::size_t r = w;
  FChangedFrom = w;
  for (;;) {
    if (!InComment) {
      const std::size_t i = FindCommentStart(in, r);
      const std::size_t end = i == std::string_view::npos ? n : i;
      if (w != r) std::memmove(d + w, d + r, end - r);
      w += end - r;
      if (i == std::string_view::npos) return w;
      r = i + 4;
      InComment = true;
    }
    const std::size_t j = in.find("-->", r);
    if (j == std::string_view::npos) return w;
    r = j + 3;
    InComment = false;
    // Deleting a comment may join the text before it and after it into a new "<!--".
    for (std::size_t k = 3; k >= 1; --k)
      if (w >= k && r + 4 - k <= n && !std::memcmp(d + w - k, kOpen, k) && !std::memcmp(d + r, kOpen + k, 4 - k)) {
        w -= k;
        FChangedFrom = std::min(FChangedFrom, w);
        r += 4 - k;
        InComment = true;
        break;
      }
  }
}

std::size_t TCommentFilter::SettledEnd(const char* d, std::size_t n) {
  static constexpr std::size_t kNone = std::string_view::npos;
  // The run can only go on through the bytes Run wrote, and only from after the last byte that
  // no piece of it has; the scan is linear however long the run grows.
  std::size_t start = FRunStart < FChangedFrom ? FRunStart : kNone;
  std::size_t i = n;
  while (i > FChangedFrom && (d[i - 1] == '<' || d[i - 1] == '!' || d[i - 1] == '-')) --i;
  if (i > FChangedFrom) start = kNone;
  for (; i < n; ++i) {
    if (d[i] == '<') {
      if (start == kNone) start = i;
    } else if (start == kNone || !((d[i] == '!' && d[i - 1] == '<') || (d[i] == '-' && d[i - 1] == '!'))) {
      start = kNone;
    }
  }
  FRunStart = start;
  return start == kNone ? n : start;
}

TXMLResult RemoveComments(std::string& text) {
  TCommentFilter filter;
  text.resize(filter.Run(text.data(), 0, text.size()));
  return filter.InComment ? xrTruncated : xrOk;
}
