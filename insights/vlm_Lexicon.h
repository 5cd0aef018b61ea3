#pragma once
// Every distinct word an engine has met, interned once: its lowercase spelling, its stem (its word
// form, shared by all spellings of one word) and whether it may be a theme. A dream keeps only
// the ids. Interning and stemming happen once per distinct word, never per occurrence.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vlm_Words.h"

// Strings by id, in one byte buffer, found by an open-addressing hash table. The look-up is inline:
// it runs for every word of every dream.
class TStringTable {
public:
  static std::uint64_t Hash(std::string_view s) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = s.size() * kMul;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
      std::uint64_t chunk;
      std::memcpy(&chunk, s.data() + i, 8);
      h = (h ^ chunk) * kMul;
      h ^= h >> 29;
    }
    h = (h ^ Tail(s.data() + i, s.size() - i)) * kMul;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    return h ^ (h >> 32);
  }
  static constexpr std::uint32_t kMissing = 0xFFFFFFFFu;
  // The id of `s`, or kMissing.
  std::uint32_t Lookup(std::string_view s, std::uint64_t hash) const {
    if (FSlots.empty()) return kMissing;
    const std::size_t mask = FSlots.size() - 1;
    const auto low = static_cast<std::uint32_t>(hash);
    for (std::size_t slot = static_cast<std::size_t>(hash >> 32) & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t entry = FSlots[slot];
      if (entry == 0) return kMissing;
      if (FHashes[entry - 1] == low) {
        const std::uint32_t begin = entry > 1 ? FEnds[entry - 2] : 0;
        if (FEnds[entry - 1] - begin == s.size() && Same(FBytes.data() + begin, s.data(), s.size())) return entry - 1;
      }
    }
  }
  // The id of `s`; a new one (the next number) when `s` was not there.
  std::uint32_t Intern(std::string_view s, std::uint64_t hash);
  std::optional<std::uint32_t> Find(std::string_view s, std::uint64_t hash) const {
    const std::uint32_t id = Lookup(s, hash);
    return id == kMissing ? std::nullopt : std::optional(id);
  }
  std::string_view operator[](std::uint32_t id) const {
    const std::uint32_t begin = id ? FEnds[id - 1] : 0;
    return {FBytes.data() + begin, FEnds[id] - begin};
  }
  std::size_t size() const { return FEnds.size(); }
  std::size_t MemoryBytes() const;

private:
  // The n < 8 bytes at p as a number: loads that overlap instead of a call to memcpy.
  static std::uint64_t Tail(const char* p, std::size_t n) {
    if (n >= 4) {
      std::uint32_t lo, hi;
      std::memcpy(&lo, p, 4);
      std::memcpy(&hi, p + n - 4, 4);
      return lo | std::uint64_t{hi} << 32;
    }
    if (n == 0) return 0;
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | std::uint64_t{u[n / 2]} << 8 | std::uint64_t{u[n - 1]} << 16;
  }
  static bool Same(const char* a, const char* b, std::size_t n) {
    if (n > 16) return std::memcmp(a, b, n) == 0;
    if (n >= 8) {
      std::uint64_t a0, a1, b0, b1;
      std::memcpy(&a0, a, 8);
      std::memcpy(&b0, b, 8);
      std::memcpy(&a1, a + n - 8, 8);
      std::memcpy(&b1, b + n - 8, 8);
      return a0 == b0 && a1 == b1;
    }
    return Tail(a, n) == Tail(b, n);
  }
  void Grow();
  std::string FBytes;
  std::vector<std::uint32_t> FEnds;    // string id ends at FEnds[id]
  std::vector<std::uint32_t> FHashes;  // the low half of each string's hash: fewer compares, no rehashing
  std::vector<std::uint32_t> FSlots;   // id + 1; 0 is empty; a power of two in size, at most half full
};

class TLexicon {
public:
  // The id of a lowercase word (see LowerWord); a new word is stemmed here.
  std::uint32_t Intern(std::string_view lower) {
    const std::uint64_t hash = TStringTable::Hash(lower);
    const std::uint32_t word = FWords.Lookup(lower, hash);
    return word != TStringTable::kMissing ? word : Add(lower, hash);
  }
  std::optional<std::uint32_t> FindWord(std::string_view lower) const;
  std::optional<std::uint32_t> FindStem(std::string_view stem) const;

  std::size_t WordCount() const { return FWords.size(); }
  std::size_t StemCount() const { return FStems.size(); }
  std::string_view Word(std::uint32_t word) const { return FWords[word]; }
  std::string_view Stem(std::uint32_t stem) const { return FStems[stem]; }
  std::uint32_t StemOf(std::uint32_t word) const { return FStemOf[word] & ~kCountable; }
  // A word that may be a theme: letters of one alphabet, two or more, and no stop word.
  bool Countable(std::uint32_t word) const { return FStemOf[word] & kCountable; }

  TStemmer& Stemmer() { return FStemmer; }
  std::size_t MemoryBytes() const;

private:
  std::uint32_t Add(std::string_view lower, std::uint64_t hash);  // a new word, stemmed
  static constexpr std::uint32_t kCountable = 0x80000000u;
  TStringTable FWords, FStems;
  std::vector<std::uint32_t> FStemOf;  // by word: its stem's id, with kCountable
  TStemmer FStemmer;
  std::string FFolded;
};
