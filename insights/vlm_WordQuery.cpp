#include "vlm_WordQuery.h"

#include <algorithm>

#include "vlm_InsightsData.h"

std::vector<TWordTerm> ParseWordQuery(std::string_view text) {
  std::vector<TWordTerm> terms;
  std::string folded;
  // The pieces between quotes alternate: outside, inside, outside, ...
  bool quoted = false;
  for (std::size_t from = 0; from <= text.size();) {
    std::size_t to = text.find('"', from);
    if (to == std::string_view::npos) to = text.size();
    const std::string_view piece = text.substr(from, to - from);
    if (quoted) {
      TWordTerm term;
      ForEachWord(piece, [&](std::size_t begin, std::size_t end) {
        FoldWord(piece.substr(begin, end - begin), folded);
        term.Words.push_back(folded);
      });
      if (!term.Words.empty()) {
        term.Kind = term.Words.size() == 1 ? TWordTerm::Exact : TWordTerm::Phrase;
        terms.push_back(std::move(term));
      }
    } else {
      ForEachWord(piece, [&](std::size_t begin, std::size_t end) {
        FoldWord(piece.substr(begin, end - begin), folded);
        terms.push_back({end < piece.size() && piece[end] == '*' ? TWordTerm::Prefix : TWordTerm::Forms, {folded}});
      });
    }
    quoted = !quoted;
    from = to + 1;
  }
  return terms;
}

TWordQuery::TWordQuery(std::vector<TWordTerm> terms) {
  for (TWordTerm& term : terms) {
    if (FSlots.size() + term.Words.size() > 64) break;  // the rest cannot be told apart: left out
    FFirstSlot.push_back(static_cast<std::uint32_t>(FSlots.size()));
    for (const std::string& word : term.Words)
      FSlots.push_back({term.Kind == TWordTerm::Phrase ? TWordTerm::Exact : term.Kind,
                        term.Kind == TWordTerm::Forms ? std::string(FStemmer.Stem(word)) : word});
    FTerms.push_back(std::move(term));
  }
  FAll = FSlots.size() == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << FSlots.size()) - 1;
}

bool TWordQuery::HasPhrase() const {
  return std::any_of(FTerms.begin(), FTerms.end(), [](const TWordTerm& t) { return t.Kind == TWordTerm::Phrase; });
}

std::uint64_t TWordQuery::WordMask(std::string_view folded, std::string_view stem) const {
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < FSlots.size(); ++k) {
    const TSlot& slot = FSlots[k];
    const bool hit = slot.Kind == TWordTerm::Forms    ? stem == slot.Word
                     : slot.Kind == TWordTerm::Prefix ? folded.starts_with(slot.Word)
                                                      : folded == slot.Word;
    if (hit) mask |= std::uint64_t{1} << k;
  }
  return mask;
}

std::uint64_t TWordQuery::MaskOf(std::string_view word) {
  FoldWord(word, FFolded);
  const std::uint64_t hash = TStringTable::Hash(FFolded);
  if (const auto seen = FSeen.Find(FFolded, hash)) return FSeenMasks[*seen];
  const std::string folded = FFolded;
  const std::uint64_t mask = WordMask(folded, FStemmer.Stem(folded));
  FSeen.Intern(folded, hash);
  FSeenMasks.push_back(mask);
  return mask;
}

std::vector<TWordMatch> TWordQuery::Find(std::string_view text) {
  struct TToken {
    std::uint32_t Begin, End;
    std::uint64_t Mask;
  };
  std::vector<TToken> tokens;
  ForEachWord(text, [&](std::size_t begin, std::size_t end) {
    tokens.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end), MaskOf(text.substr(begin, end - begin))});
  });
  std::vector<TWordMatch> matches;
  for (std::uint32_t t = 0; t < FTerms.size(); ++t) {
    const std::size_t length = FTerms[t].Words.size();
    for (std::size_t i = 0; i + length <= tokens.size(); ++i) {
      bool all = true;
      for (std::size_t j = 0; j < length && all; ++j) all = (tokens[i + j].Mask >> (FFirstSlot[t] + j)) & 1;
      if (all) matches.push_back({tokens[i].Begin, tokens[i + length - 1].End, t});
    }
  }
  std::sort(matches.begin(), matches.end(),
            [](const TWordMatch& a, const TWordMatch& b) { return a.Begin != b.Begin ? a.Begin < b.Begin : a.Term < b.Term; });
  return matches;
}

void TWordQuery::FoundIn(const std::vector<std::uint64_t>& masks, std::vector<char>& found) const {
  for (std::size_t t = 0; t < FTerms.size(); ++t) {
    const std::size_t length = FTerms[t].Words.size();
    for (std::size_t i = 0; !found[t] && i + length <= masks.size(); ++i) {
      bool all = true;
      for (std::size_t j = 0; j < length && all; ++j) all = (masks[i + j] >> (FFirstSlot[t] + j)) & 1;
      found[t] = all;
    }
  }
}

bool TWordQuery::Matches(std::initializer_list<std::string_view> texts) {
  if (FTerms.empty()) return false;
  std::vector<char> found(FTerms.size(), 0);
  std::vector<std::uint64_t> masks;
  for (const std::string_view text : texts) {
    masks.clear();
    ForEachWord(text, [&](std::size_t begin, std::size_t end) { masks.push_back(MaskOf(text.substr(begin, end - begin))); });
    FoundIn(masks, found);
  }
  return std::all_of(found.begin(), found.end(), [](char f) { return f; });
}

std::vector<TDreamRef> TInsights::FindDreams(const TScope& scope, const TDateRange& range, TWordQuery& query) {
  std::vector<TDreamRef> found;
  if (query.Empty()) return found;
  F->EnsureWords();
  // Each word the engine knows, judged once; a dream is then judged by its ids alone.
  const TLexicon& lexicon = F->Lexicon;
  std::vector<std::uint64_t> masks(lexicon.WordCount());
  std::string folded;
  for (std::uint32_t w = 0; w < masks.size(); ++w) {
    FoldWord(lexicon.Word(w), folded);
    masks[w] = query.WordMask(folded, lexicon.Stem(lexicon.StemOf(w)));
  }
  const std::uint64_t all = query.All();
  const bool phrase = query.HasPhrase();
  const bool open = !range.From && !range.To;
  // A phrase's words are all there: whether one after the other, the text tells, read as the word
  // forms were made (each word's mask by its id).
  std::vector<char> lowered, termFound;
  std::vector<std::uint32_t> bounds;
  std::vector<std::uint64_t> tokenMasks;
  auto inSequence = [&](std::initializer_list<std::string_view> texts) {
    termFound.assign(query.Terms().size(), 0);
    for (const std::string_view text : texts) {
      if (lowered.size() < text.size()) lowered.resize(text.size());
      LowerInto(lowered.data(), text.data(), text.size());
      bounds.clear();
      FindWords({lowered.data(), text.size()}, bounds);
      tokenMasks.clear();
      for (std::size_t k = 0; k < bounds.size(); k += 2) {
        const auto word = lexicon.FindWord({lowered.data() + bounds[k], bounds[k + 1] - bounds[k]});
        tokenMasks.push_back(word ? masks[*word] : 0);
      }
      query.FoundIn(tokenMasks, termFound);
    }
    return std::all_of(termFound.begin(), termFound.end(), [](char f) { return f; });
  };
  for (const std::uint32_t j : scope) {
    const TJournalData* data = F->LiveJournal(j);
    if (!data) continue;
    for (std::uint32_t d = 0; d < data->Dreams.size(); ++d) {
      const TDreamRecord& dream = data->Dreams[d];
      if (!dream.Experience || (dream.Date == kNoDate ? !open : !range.Holds(dream.Date))) continue;
      std::uint64_t mask = 0;
      data->Pool.ForEach(dream.Words, [&](std::uint32_t w) { mask |= masks[w]; });
      const TNightRecord& night = data->Nights[dream.Night];
      if ((mask & all) != all) data->Pool.ForEach(night.Words, [&](std::uint32_t w) { mask |= masks[w]; });
      if ((mask & all) != all) continue;
      if (phrase) {
        const auto fields = DreamFields(*dream.Experience);
        if (!inSequence({fields[0], fields[1], fields[2], NightCommentText(*night.Node)})) continue;
      }
      found.push_back({j, d});
    }
  }
  return found;
}
