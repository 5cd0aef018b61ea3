#include "vlm_Search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vlm_EntryFields.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {

constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDF; ++c) t[c] = static_cast<unsigned char>(c + 32);  // А..Я
  // The other Cyrillic capitals of the code page, each to its small letter.
  const unsigned char pairs[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                                    {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                                    {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
  for (const auto& p : pairs) t[p[0]] = p[1];
  t[0xA8] = t[0xB8] = 0xE5;  // Ё, ё: е
  t['\t'] = t['\r'] = t['\n'] = t[0xA0] = ' ';
  t[0] = ' ';  // 0 separates the fields in an index
  return t;
}
constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

// Folds n bytes from `in` to `out` as kFold does. Sixteen bytes at a time where the processor
// can: Latin and Russian capitals and the blanks by arithmetic, and the few bytes 0x80..0xBF (ё,
// the other Cyrillic letters, the no-break blank) from the table. The index of a large journal
// folds tens of megabytes at its first search.
void FoldInto(char* out, const char* in, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  auto inRange = [&](__m128i v, int lo, int count) {  // lo <= v < lo + count, unsigned
    const __m128i shifted = _mm_xor_si128(_mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(lo))), bias);
    return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(count - 128)));
  };
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i capital = _mm_or_si128(inRange(v, 'A', 26), inRange(v, 0xC0, 32));
    const __m128i blank = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(v, _mm_setzero_si128())));
    __m128i folded = _mm_add_epi8(v, _mm_and_si128(capital, _mm_set1_epi8(0x20)));
    folded = _mm_or_si128(_mm_andnot_si128(blank, folded), _mm_and_si128(blank, _mm_set1_epi8(' ')));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), folded);
    for (unsigned table = static_cast<unsigned>(_mm_movemask_epi8(inRange(v, 0x80, 64))); table; table &= table - 1) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(table));
      out[at] = static_cast<char>(kFold[static_cast<unsigned char>(in[at])]);
    }
  }
#endif
  for (; i < n; ++i) out[i] = static_cast<char>(kFold[static_cast<unsigned char>(in[i])]);
}

bool IsBlank(unsigned char c) { return c <= ' ' || c == 0xA0; }

std::string_view AttributeView(const TXMLNode& node, std::string_view name) {
  for (const auto& a : node.Attributes)
    if (a.Name == name) return a.Value.view();
  return {};
}

std::string_view ChildTextView(const TXMLNode* element, std::string_view name) {
  if (!element) return {};
  const TXMLNode* child = DirectChild(*element, name);
  if (!child || child->Children.empty()) return {};
  return child->Children.front()->Text.view();
}

// The first place of `term` in text[from, to), or nullptr. Sixteen places at a time where the
// processor can: those whose first and last bytes match are compared whole; that is most of the
// time of a search through the whole index of a large journal.
const char* Find(std::string_view text, std::size_t from, std::size_t to, const std::string& term) {
  const std::size_t n = term.size();
  if (n == 0) return text.data() + from;
  if (to - from < n) return nullptr;
#if defined(__SSE2__)
  if (n >= 2) {
    const char* base = text.data();
    const __m128i first = _mm_set1_epi8(term.front()), last = _mm_set1_epi8(term.back());
    std::size_t i = from;
    for (; i + n - 1 + 16 <= to; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + n - 1));
      for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
           m; m &= m - 1) {
        const char* at = base + i + static_cast<std::size_t>(__builtin_ctz(m));
        if (std::memcmp(at + 1, term.data() + 1, n - 2) == 0) return at;
      }
    }
    from = i;
  }
#endif
  return static_cast<const char*>(memmem(text.data() + from, to - from, term.data(), term.size()));
}

// Checks every term within one dream; `at` and `length` take the earliest match.
bool HoldsAll(const TJournalIndex& index, std::size_t dream, const std::vector<std::string>& terms,
              std::uint32_t& at, std::uint32_t& length) {
  const std::string_view text = index.Text();
  const std::size_t from = index.Dreams()[dream].Begin, to = index.End(dream);
  at = std::numeric_limits<std::uint32_t>::max();
  for (const std::string& term : terms) {
    const char* found = Find(text, from, to, term);
    if (!found) return false;
    const auto pos = static_cast<std::uint32_t>(found - text.data());
    if (pos < at) {
      at = pos;
      length = static_cast<std::uint32_t>(term.size());
    }
  }
  if (terms.empty()) {
    at = static_cast<std::uint32_t>(from);
    length = 0;
  }
  return true;
}

// The longest term first: it is the rarest, as a rule, and the one the whole text is scanned for.
std::vector<std::string> Ordered(std::vector<std::string> terms) {
  std::stable_sort(terms.begin(), terms.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
  return terms;
}

}  // namespace

unsigned char FoldByte(unsigned char c) { return kFold[c]; }

std::string FoldText(std::string_view cp1251) {
  std::string out(cp1251.size(), '\0');
  FoldInto(out.data(), cp1251.data(), cp1251.size());
  return out;
}

std::vector<std::string> ParseSearchQuery(std::string_view text) {
  std::vector<std::string> terms;
  std::string term;
  bool quoted = false;
  auto finish = [&] {
    while (!term.empty() && term.back() == ' ') term.pop_back();
    if (!term.empty()) terms.push_back(term);
    term.clear();
  };
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"') {
      finish();
      quoted = !quoted;
    } else if (IsBlank(c)) {
      if (!quoted) finish();
      else if (!term.empty() && term.back() != ' ') term += ' ';
    } else {
      term += static_cast<char>(kFold[c]);
    }
  }
  finish();
  return terms;
}

bool QueryNarrows(const std::vector<std::string>& wider, const std::vector<std::string>& narrower) {
  if (wider.empty()) return false;  // no terms: the filter alone decided, not the text
  return std::all_of(wider.begin(), wider.end(), [&](const std::string& w) {
    return std::any_of(narrower.begin(), narrower.end(),
                       [&](const std::string& n) { return n.find(w) != std::string::npos; });
  });
}

std::optional<int> DayNumber(int year, int month, int day) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return std::nullopt;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > days[month - 1] + (month == 2 && leap ? 1 : 0)) return std::nullopt;
  // Days from civil (H. Hinnant's algorithm).
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yoe = year - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::optional<int> DayNumberOfName(std::string_view name, int thisYear) {
  if (name.size() != 8 || name[2] != '.' || name[5] != '.') return std::nullopt;
  int parts[3];
  for (int k = 0; k < 3; ++k) {
    const char a = name[static_cast<std::size_t>(k * 3)], b = name[static_cast<std::size_t>(k * 3 + 1)];
    if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
    parts[k] = (a - '0') * 10 + (b - '0');
  }
  return DayNumber(FullYear(parts[2], thisYear), parts[1], parts[0]);
}

bool TSearchFilter::Active() const {
  for (const TLabelFilter l : Labels)
    if (l != lfEither) return true;
  return EnergyMin > 0 || EnergyMax < 200 || DateFrom || DateTo;
}

TJournalIndex::TJournalIndex(const TXMLNode& root) {
  // Every experience anywhere in the journal, in document order, with an explicit stack: the file
  // decides how deep its elements go.
  struct TFrame {
    const TXMLNode* Node;
    std::size_t Next;
  };
  std::vector<TFrame> stack{{&root, 0}};
  std::vector<std::string_view> fields;  // kFieldCount a dream
  const int thisYear = ThisYear();
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Next >= frame.Node->Children.size()) {
      stack.pop_back();
      continue;
    }
    const TXMLNode* parent = frame.Node;
    const TXMLNode* child = frame.Node->Children[frame.Next++].get();
    if (child->Name != tagExperience) {
      if (!child->Children.empty()) stack.push_back({child, 0});
      continue;
    }
    TDream dream;
    dream.Experience = child;
    dream.Day = parent;
    if (parent->Name == tagDay) dream.Date = DayNumberOfName(AttributeView(*parent, attrName), thisYear);
    dream.Energy = ReadEnergyLevel(*child).Level;
    dream.Labels = static_cast<std::uint8_t>(ReadLabelFlags(*child));
    FDreams.push_back(dream);
    for (int f = 0; f < kFieldCount; ++f) fields.push_back(FieldText(dream, static_cast<TField>(f)));
  }
  // The folded text in one buffer, sized once: growing it would copy tens of megabytes again.
  std::size_t total = 0;
  for (const std::string_view field : fields) total += field.size() + 1;
  if (total > std::numeric_limits<std::uint32_t>::max() / 2) throw std::length_error("TJournalIndex");
  FText.reset(new char[total]);
  FTextSize = total;
  char* out = FText.get();
  const std::string_view* field = fields.data();
  for (TDream& dream : FDreams) {
    dream.Begin = static_cast<std::uint32_t>(out - FText.get());
    for (int f = 0; f < kFieldCount; ++f, ++field) {
      FoldInto(out, field->data(), field->size());
      out += field->size();
      dream.FieldEnd[f] = static_cast<std::uint32_t>(out - FText.get());
      *out++ = '\0';
    }
  }
}

std::string_view TJournalIndex::FieldText(const TDream& dream, TField field) {
  switch (field) {
    case sfTitle: return AttributeView(*dream.Experience, attrTitle);
    case sfDescription: return ChildTextView(dream.Experience, tagDescription);
    case sfComment: return ChildTextView(dream.Experience, tagComment);
    default: return dream.Day && dream.Day->Name == tagDay ? ChildTextView(dream.Day, tagComment) : std::string_view{};
  }
}

bool TJournalIndex::Passes(const TDream& dream, const TSearchFilter& filter) const {
  for (int n = 0; n < 4; ++n) {
    const bool on = dream.Labels & (1u << n);
    if ((filter.Labels[n] == lfYes && !on) || (filter.Labels[n] == lfNo && on)) return false;
  }
  if (dream.Energy < filter.EnergyMin || dream.Energy > filter.EnergyMax) return false;
  if ((filter.DateFrom || filter.DateTo) && !dream.Date) return false;
  if (filter.DateFrom && *dream.Date < *filter.DateFrom) return false;
  if (filter.DateTo && *dream.Date > *filter.DateTo) return false;
  return true;
}

std::vector<TSearchHit> SearchDreams(const std::vector<const TJournalIndex*>& sources,
                                     const std::vector<std::string>& query, const TSearchFilter& filter) {
  std::vector<TSearchHit> hits;
  if (query.empty() && !filter.Active()) return hits;
  const std::vector<std::string> terms = Ordered(query);
  for (std::uint32_t s = 0; s < sources.size(); ++s) {
    const TJournalIndex& index = *sources[s];
    const auto& dreams = index.Dreams();
    TSearchHit hit{s, 0, 0, 0};
    if (filter.Active() || terms.empty()) {
      for (std::size_t d = 0; d < dreams.size(); ++d)
        if (index.Passes(dreams[d], filter) && HoldsAll(index, d, terms, hit.At, hit.Length)) {
          hit.Dream = static_cast<std::uint32_t>(d);
          hits.push_back(hit);
        }
      continue;
    }
    // The whole text is scanned for the first term; each dream it is found in is checked for the
    // rest, and the scan goes on after that dream.
    const std::string_view text = index.Text();
    std::size_t pos = 0, d = 0;
    while (pos < text.size()) {
      const char* found = Find(text, pos, text.size(), terms.front());
      if (!found) break;
      const auto at = static_cast<std::uint32_t>(found - text.data());
      d = static_cast<std::size_t>(std::upper_bound(dreams.begin() + static_cast<std::ptrdiff_t>(d), dreams.end(), at,
                                                    [](std::uint32_t v, const auto& x) { return v < x.Begin; }) -
                                   dreams.begin()) - 1;
      if (HoldsAll(index, d, terms, hit.At, hit.Length)) {
        hit.Dream = static_cast<std::uint32_t>(d);
        hits.push_back(hit);
      }
      pos = index.End(d);
    }
  }
  return hits;
}

std::vector<TSearchHit> RefineSearch(const std::vector<const TJournalIndex*>& sources,
                                     const std::vector<TSearchHit>& previous, const std::vector<std::string>& query) {
  const std::vector<std::string> terms = Ordered(query);
  std::vector<TSearchHit> hits;
  for (TSearchHit hit : previous)
    if (HoldsAll(*sources[hit.Source], hit.Dream, terms, hit.At, hit.Length)) hits.push_back(hit);
  return hits;
}

TSnippet MakeSnippet(const TJournalIndex& index, const TSearchHit& hit, std::size_t radius) {
  TSnippet snippet;
  const TJournalIndex::TDream& dream = index.Dreams()[hit.Dream];
  int field = 0;
  while (field < TJournalIndex::kFieldCount - 1 && hit.At > dream.FieldEnd[field]) ++field;
  snippet.Field = static_cast<TJournalIndex::TField>(field);
  const std::size_t fieldBegin = field == 0 ? dream.Begin : dream.FieldEnd[field - 1] + 1;
  // The field as it is now: an edit since the index was made may have shortened it.
  const std::string_view text = TJournalIndex::FieldText(dream, snippet.Field);
  const std::size_t at = std::min<std::size_t>(hit.At - fieldBegin, text.size());
  const std::size_t length = std::min<std::size_t>(hit.Length, text.size() - at);
  std::size_t from = at > radius ? at - radius : 0;
  std::size_t to = std::min(text.size(), at + length + radius);
  if (from > 0)
    while (from < at && !IsBlank(static_cast<unsigned char>(text[from - 1]))) ++from;
  if (to < text.size())
    while (to > at + length && !IsBlank(static_cast<unsigned char>(text[to]))) --to;
  snippet.Text = std::string(text.substr(from, to - from));
  snippet.MatchBegin = at - from;
  snippet.MatchLength = length;
  return snippet;
}
