#include "vlm_Lexicon.h"

#include <cstring>
#include <limits>
#include <stdexcept>

void TStringTable::Grow() {
  std::vector<std::uint32_t> slots(FSlots.empty() ? 1024 : FSlots.size() * 2, 0);
  const std::size_t mask = slots.size() - 1;
  for (std::uint32_t id = 0; id < FEnds.size(); ++id) {
    std::size_t slot = static_cast<std::size_t>(TStringTable::Hash((*this)[id]) >> 32) & mask;
    while (slots[slot]) slot = (slot + 1) & mask;
    slots[slot] = id + 1;
  }
  FSlots.swap(slots);
}

std::uint32_t TStringTable::Intern(std::string_view s, std::uint64_t hash) {
  if (const std::uint32_t id = Lookup(s, hash); id != kMissing) return id;
  if ((FEnds.size() + 1) * 2 > FSlots.size()) Grow();
  const std::size_t mask = FSlots.size() - 1;
  std::size_t slot = static_cast<std::size_t>(hash >> 32) & mask;
  while (FSlots[slot]) slot = (slot + 1) & mask;
  if (FBytes.size() + s.size() > std::numeric_limits<std::uint32_t>::max() || FEnds.size() >= (1u << 30))
    throw std::length_error("TStringTable");
  FBytes.append(s);
  FEnds.push_back(static_cast<std::uint32_t>(FBytes.size()));
  FHashes.push_back(static_cast<std::uint32_t>(hash));
  FSlots[slot] = static_cast<std::uint32_t>(FEnds.size());
  return static_cast<std::uint32_t>(FEnds.size() - 1);
}

std::size_t TStringTable::MemoryBytes() const {
  return FBytes.capacity() + (FEnds.capacity() + FHashes.capacity() + FSlots.capacity()) * sizeof(std::uint32_t);
}

std::uint32_t TLexicon::Add(std::string_view lower, std::uint64_t hash) {
  const std::uint32_t word = FWords.Intern(lower, hash);
  FoldWord(lower, FFolded);
  const std::string_view stem = FStemmer.Stem(FFolded);
  std::uint32_t entry = FStems.Intern(stem, TStringTable::Hash(stem));
  if (ScriptOf(FFolded) != TWordScript::Other && FFolded.size() >= 2 && !IsStopWord(FFolded)) entry |= kCountable;
  FStemOf.push_back(entry);
  return word;
}

std::optional<std::uint32_t> TLexicon::FindWord(std::string_view lower) const {
  return FWords.Find(lower, TStringTable::Hash(lower));
}

std::optional<std::uint32_t> TLexicon::FindStem(std::string_view stem) const {
  return FStems.Find(stem, TStringTable::Hash(stem));
}

std::size_t TLexicon::MemoryBytes() const {
  return FWords.MemoryBytes() + FStems.MemoryBytes() + FStemOf.capacity() * sizeof(std::uint32_t);
}
