// TInsights: the journals' records, read from their trees and kept up to date, and the word forms
// of every dream.
#include <algorithm>
#include <stdexcept>

#include "vlm_EntryFields.h"
#include "vlm_InsightsData.h"
#include "vlm_Search.h"
#include "vlm_Settings.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {

std::string_view AttributeView(const TXMLNode& node, std::string_view name) {
  for (const auto& a : node.Attributes)
    if (a.Name == name) return a.Value.view();
  return {};
}

std::string_view ChildTextView(const TXMLNode& element, std::string_view name) {
  const TXMLNode* child = DirectChild(element, name);
  if (!child || child->Children.empty()) return {};
  return child->Children.front()->Text.view();
}

// The value of the first attribute named `name`; none when there is none or it reads "undefined"
// (which GetAttribute gives for an absent one).
std::optional<std::string_view> FirstValue(const TXMLNode& node, std::string_view name) {
  for (const auto& a : node.Attributes)
    if (a.Name == name) return a.Value == litUndefined ? std::nullopt : std::optional(a.Value.view());
  return std::nullopt;
}

int DateOfNight(const TXMLNode& night) {
  if (night.Name != tagDay) return kNoDate;
  return DayNumberOfName(AttributeView(night, attrName)).value_or(kNoDate);
}

}  // namespace

std::array<std::string_view, 3> DreamFields(const TXMLNode& experience) {
  // One look at each child: the last description and comment count, as for DirectChild.
  std::array<std::string_view, 3> fields{AttributeView(experience, attrTitle), {}, {}};
  for (const auto& child : experience.Children) {
    const std::string_view name = child->Name.view();
    const std::size_t field = name == tagDescription ? 1 : name == tagComment ? 2 : 0;
    if (field) fields[field] = child->Children.empty() ? std::string_view{} : child->Children.front()->Text.view();
  }
  return fields;
}

void AppendDreamText(const TXMLNode& experience, std::string& out) {
  const auto fields = DreamFields(experience);
  out += fields[0];
  out += '\n';
  out += fields[1];
  out += '\n';
  out += fields[2];
}

std::string_view NightCommentText(const TXMLNode& night) {
  return night.Name == tagDay ? ChildTextView(night, tagComment) : std::string_view{};
}

TIdSpan TIdPool::Add(const std::vector<std::uint32_t>& ids) {
  TIdSpan span{static_cast<std::uint32_t>(FBytes.size()), 0};
  std::uint8_t buffer[256];
  std::size_t used = 0;
  for (std::uint32_t id : ids) {
    if (used > sizeof buffer - 5) {
      FBytes.insert(FBytes.end(), buffer, buffer + used);
      used = 0;
    }
    for (; id >= 0x80; id >>= 7) buffer[used++] = static_cast<std::uint8_t>((id & 0x7F) | 0x80);
    buffer[used++] = static_cast<std::uint8_t>(id);
  }
  FBytes.insert(FBytes.end(), buffer, buffer + used);
  if (FBytes.size() > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("TIdPool");
  span.Size = static_cast<std::uint32_t>(FBytes.size() - span.At);
  return span;
}

TIdSpan TIdPool::CopyFrom(const TIdPool& from, TIdSpan span) {
  const TIdSpan copy{static_cast<std::uint32_t>(FBytes.size()), span.Size};
  FBytes.insert(FBytes.end(), from.FBytes.begin() + span.At, from.FBytes.begin() + span.At + span.Size);
  return copy;
}

void TIdPool::Trim() {
  if (FBytes.capacity() > FBytes.size() + FBytes.size() / 8 + 4096) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(FBytes.size() + FBytes.size() / 8);
    bytes = FBytes;
    FBytes.swap(bytes);
  }
}

TInsights::TInsights() : F(std::make_unique<TData>()) {}
TInsights::~TInsights() = default;
TInsights::TInsights(TInsights&&) noexcept = default;
TInsights& TInsights::operator=(TInsights&&) noexcept = default;

TJournalData& TInsights::TData::Journal(std::uint32_t journal) {
  if (journal >= Journals.size() || !Journals[journal].Root) throw std::out_of_range("TInsights: no such journal");
  return Journals[journal];
}

const TJournalData* TInsights::TData::LiveJournal(std::uint32_t journal) const {
  return journal < Journals.size() && Journals[journal].Root ? &Journals[journal] : nullptr;
}

void TInsights::TData::ReadJournal(TJournalData& data, const TXMLNode& root) {
  data.Root = &root;
  // Every experience anywhere in the journal, in document order, with an explicit stack: the file
  // decides how deep its elements go. The element holding a dream is its night; the element's
  // frame holds the night's record once it has a dream.
  constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
  struct TFrame {
    const TXMLNode* Node;
    std::size_t Next;
    std::uint32_t Night;
  };
  std::vector<TFrame> stack{{&root, 0, kNone}};
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Next >= frame.Node->Children.size()) {
      stack.pop_back();
      continue;
    }
    const auto& siblings = frame.Node->Children;
    const TXMLNode* child = siblings[frame.Next++].get();
    // Reading the records is mostly waiting for nodes: ask early for a later sibling, its child
    // list, and that list's nodes, each a step nearer.
    if (frame.Next + 3 < siblings.size()) __builtin_prefetch(siblings[frame.Next + 3].get());
    if (frame.Next + 2 < siblings.size()) {
      const auto& ahead = siblings[frame.Next + 2]->Children;
      if (!ahead.empty()) __builtin_prefetch(&ahead[0]);
    }
    if (frame.Next + 1 < siblings.size())
      for (const auto& nephew : siblings[frame.Next + 1]->Children) __builtin_prefetch(nephew.get());
    if (child->Name != tagExperience) {
      if (!child->Children.empty()) stack.push_back({child, 0, kNone});
      continue;
    }
    if (frame.Night == kNone) {
      frame.Night = static_cast<std::uint32_t>(data.Nights.size());
      data.Nights.push_back({frame.Node, DateOfNight(*frame.Node), false, {}});
    }
    TDreamRecord& dream = data.Dreams.emplace_back();
    dream.Night = frame.Night;
    dream.Date = data.Nights[frame.Night].Date;
    ReadDream(data, dream, *child);
  }
}

void TInsights::TData::ReadDream(TJournalData&, TDreamRecord& dream, const TXMLNode& experience) {
  // ReadLabelFlags and ReadEnergyLevel in one look at the children: reading the records of a large
  // journal is mostly waiting for its nodes.
  dream.Experience = &experience;
  const TXMLNode *properties = nullptr, *energy = nullptr;
  for (const auto& child : experience.Children)
    if (child->Name == tagEnergy) energy = child.get();
    else if (child->Name == tagProperties) properties = child.get();
  dream.Labels = 0;
  for (int n = 0; properties && n < kLabelCount; ++n) {
    auto value = FirstValue(*properties, attrOlderLabels[n]);
    if (!value) value = FirstValue(*properties, attrLabels[n]);
    if (value == litTrue) dream.Labels |= static_cast<std::uint8_t>(1u << n);
  }
  dream.Energy = -1;
  int level = 0;
  if (const auto text = energy ? FirstValue(*energy, attrLevel) : std::nullopt; text && ParseDecimal(std::string(*text), level))
    dream.Energy = static_cast<std::int16_t>(std::clamp(level, 0, kEnergyMaximum));
}

std::uint32_t TInsights::TData::NightOf(TJournalData& data, const TXMLNode& night) {
  const auto it = std::find_if(data.Nights.begin(), data.Nights.end(), [&](const TNightRecord& n) { return n.Node == &night; });
  const int date = DateOfNight(night);
  if (it == data.Nights.end()) {
    data.Nights.push_back({&night, date, false, {}});
    return static_cast<std::uint32_t>(data.Nights.size() - 1);
  }
  const auto index = static_cast<std::uint32_t>(it - data.Nights.begin());
  if (it->Date != date) {
    it->Date = date;
    for (TDreamRecord& dream : data.Dreams)
      if (dream.Experience && dream.Night == index) {
        CountDream(data, dream, -1);
        dream.Date = date;
        CountDream(data, dream, +1);
      }
  }
  return index;
}

void TInsights::TData::CollectWords(std::string_view text) {
  FIds.clear();
  FStems.clear();
  if (++FStamp == 0) {  // after four billion texts: the stamps start again
    std::fill(FWordStamp.begin(), FWordStamp.end(), 0);
    std::fill(FStemStamp.begin(), FStemStamp.end(), 0);
    FStamp = 1;
  }
  if (FLowered.size() < text.size()) FLowered.resize(text.size() + text.size() / 2);
  LowerInto(FLowered.data(), text.data(), text.size());
  FBounds.clear();
  FindWords({FLowered.data(), text.size()}, FBounds);
  for (std::size_t k = 0; k < FBounds.size(); k += 2) {
    const std::string_view lower(FLowered.data() + FBounds[k], FBounds[k + 1] - FBounds[k]);
    const std::uint32_t word = Lexicon.Intern(lower);
    if (word >= FWordStamp.size()) FWordStamp.resize(std::max<std::size_t>(word + 1, FWordStamp.size() * 2), 0);
    if (FWordStamp[word] == FStamp) continue;
    FWordStamp[word] = FStamp;
    FIds.push_back(word);
    if (!Lexicon.Countable(word)) continue;
    const std::uint32_t stem = Lexicon.StemOf(word);
    if (stem >= FStemStamp.size()) FStemStamp.resize(std::max<std::size_t>(stem + 1, FStemStamp.size() * 2), 0);
    if (FStemStamp[stem] == FStamp) continue;
    FStemStamp[stem] = FStamp;
    FStems.push_back(stem);
  }
}

void TInsights::TData::DropWords(TJournalData& data, TDreamRecord& dream) {
  if (!dream.WordsMade) return;
  CountDream(data, dream, -1);
  data.Pool.ForEach(dream.Words, [&](std::uint32_t word) { --WordDreams[word]; });
  data.Pool.Release(dream.Words);
  data.Pool.Release(dream.Stems);
  dream.Words = dream.Stems = {};
  dream.WordsMade = false;
}

void TInsights::TData::SetDreamWords(TJournalData& data, TDreamRecord& dream, std::string_view text) {
  DropWords(data, dream);
  CollectWords(text);
  dream.Words = data.Pool.Add(FIds);
  dream.Stems = data.Pool.Add(FStems);
  dream.WordsMade = true;
  if (WordDreams.size() < Lexicon.WordCount()) WordDreams.resize(Lexicon.WordCount() + Lexicon.WordCount() / 4);
  for (const std::uint32_t word : FIds) ++WordDreams[word];
  CountDream(data, dream, +1);
  if (data.Pool.Wasteful()) Compact(data);
}

void TInsights::TData::SetNightWords(TJournalData& data, TNightRecord& night, std::string_view text) {
  if (night.WordsMade) data.Pool.Release(night.Words);
  CollectWords(text);
  night.Words = data.Pool.Add(FIds);
  night.WordsMade = true;
  if (data.Pool.Wasteful()) Compact(data);
}

void TInsights::TData::Compact(TJournalData& data) {
  TIdPool pool;
  for (TNightRecord& night : data.Nights)
    if (night.WordsMade) night.Words = pool.CopyFrom(data.Pool, night.Words);
  for (TDreamRecord& dream : data.Dreams)
    if (dream.WordsMade) {
      dream.Words = pool.CopyFrom(data.Pool, dream.Words);
      dream.Stems = pool.CopyFrom(data.Pool, dream.Stems);
    }
  data.Pool = std::move(pool);
}

void TInsights::TData::EnsureWords() {
  WordsWanted = true;
  const bool missing = std::any_of(Journals.begin(), Journals.end(), [](const TJournalData& data) {
    return data.Root && std::any_of(data.Dreams.begin(), data.Dreams.end(),
                                    [](const TDreamRecord& d) { return d.Experience && !d.WordsMade; });
  });
  if (!missing) return;
  ReadTexts();
  MakeWordForms();
}

void TInsights::TData::ReadTexts() {
  WordsWanted = true;
  // In blocks, never moved once written: growing one buffer would copy tens of megabytes again.
  constexpr std::size_t kBlock = std::size_t{4} << 20;
  auto room = [&](std::size_t size) -> std::string& {
    if (PendingBlocks.empty() || PendingBlocks.back().capacity() - PendingBlocks.back().size() < size) {
      PendingBlocks.emplace_back();
      PendingBlocks.back().reserve(std::max(size, kBlock));
    }
    return PendingBlocks.back();
  };
  for (std::uint32_t j = 0; j < Journals.size(); ++j) {
    const TJournalData& data = Journals[j];
    if (!data.Root) continue;
    for (std::uint32_t n = 0; n < data.Nights.size(); ++n)
      if (data.Nights[n].Node && !data.Nights[n].WordsMade) {
        const std::string_view comment = NightCommentText(*data.Nights[n].Node);
        std::string& block = room(comment.size());
        Pending.push_back({j, n, true, PendingBlocks.size() - 1, block.size(), block.size() + comment.size()});
        block += comment;
      }
    for (std::uint32_t d = 0; d < data.Dreams.size(); ++d)
      if (data.Dreams[d].Experience && !data.Dreams[d].WordsMade) {
        const auto fields = DreamFields(*data.Dreams[d].Experience);
        std::string& block = room(fields[0].size() + fields[1].size() + fields[2].size() + 2);
        const std::size_t begin = block.size();
        block.append(fields[0]).append(1, '\n').append(fields[1]).append(1, '\n').append(fields[2]);
        Pending.push_back({j, d, false, PendingBlocks.size() - 1, begin, block.size()});
      }
  }
}

void TInsights::TData::MakeWordForms() {
  for (const TPendingText& p : Pending) {
    if (p.Journal >= Journals.size() || !Journals[p.Journal].Root) continue;
    TJournalData& data = Journals[p.Journal];
    const std::string_view piece = std::string_view(PendingBlocks[p.Block]).substr(p.Begin, p.End - p.Begin);
    if (p.Night) {
      TNightRecord& night = data.Nights[p.Record];
      if (night.Node && !night.WordsMade) SetNightWords(data, night, piece);
    } else {
      TDreamRecord& dream = data.Dreams[p.Record];
      if (dream.Experience && !dream.WordsMade) SetDreamWords(data, dream, piece);
    }
  }
  PendingBlocks = std::vector<std::string>();  // not "= {}": that would keep the capacity
  Pending = std::vector<TPendingText>();
  for (TJournalData& data : Journals) data.Pool.Trim();
}

void TInsights::TData::Forget(TJournalData& data) {
  for (TDreamRecord& dream : data.Dreams) DropWords(data, dream);
  data.Nights = std::vector<TNightRecord>();
  data.Dreams = std::vector<TDreamRecord>();
  data.Pool = TIdPool();
  const auto j = static_cast<std::uint32_t>(&data - Journals.data());
  // Texts copied for the records dropped would land on the new records of the same places.
  std::erase_if(Pending, [j](const TPendingText& p) { return p.Journal == j; });
}

std::uint32_t TInsights::AddJournal(const TXMLNode& root) {
  F->Counts.Valid = false;
  F->Journals.emplace_back();
  F->ReadJournal(F->Journals.back(), root);
  return static_cast<std::uint32_t>(F->Journals.size() - 1);
}

void TInsights::ReplaceJournal(std::uint32_t journal, const TXMLNode& root) {
  TJournalData& data = F->Journal(journal);
  F->Counts.Valid = false;
  F->Forget(data);
  F->ReadJournal(data, root);
}

void TInsights::RemoveJournal(std::uint32_t journal) {
  TJournalData& data = F->Journal(journal);
  F->Counts.Valid = false;
  F->Forget(data);
  data.Root = nullptr;
}

void TInsights::UpdateDream(std::uint32_t journal, const TXMLNode& night, const TXMLNode& experience) {
  TJournalData& data = F->Journal(journal);
  const std::uint32_t n = F->NightOf(data, night);
  auto it = std::find_if(data.Dreams.begin(), data.Dreams.end(), [&](const TDreamRecord& d) { return d.Experience == &experience; });
  if (it == data.Dreams.end()) it = data.Dreams.emplace(data.Dreams.end());
  TDreamRecord& dream = *it;
  F->DropWords(data, dream);  // counted away under its old date
  dream.Night = n;
  dream.Date = data.Nights[n].Date;
  F->ReadDream(data, dream, experience);
  if (!F->WordsWanted) return;
  std::string text;
  AppendDreamText(experience, text);
  F->SetDreamWords(data, dream, text);
  if (!data.Nights[n].WordsMade) F->SetNightWords(data, data.Nights[n], NightCommentText(night));
}

void TInsights::UpdateNight(std::uint32_t journal, const TXMLNode& night) {
  TJournalData& data = F->Journal(journal);
  const std::uint32_t n = F->NightOf(data, night);
  if (F->WordsWanted) F->SetNightWords(data, data.Nights[n], NightCommentText(night));
  std::vector<const TXMLNode*> held;
  for (const auto& child : night.Children)
    if (child->Name == tagExperience) held.push_back(child.get());
  for (TDreamRecord& dream : data.Dreams)
    if (dream.Experience && dream.Night == n && std::find(held.begin(), held.end(), dream.Experience) == held.end()) {
      F->DropWords(data, dream);
      dream.Experience = nullptr;
    }
  for (const TXMLNode* experience : held) UpdateDream(journal, night, *experience);
}

void TInsights::RemoveNight(std::uint32_t journal, const TXMLNode* night) {
  TJournalData& data = F->Journal(journal);
  for (std::uint32_t n = 0; n < data.Nights.size(); ++n) {
    if (data.Nights[n].Node != night) continue;
    for (TDreamRecord& dream : data.Dreams)
      if (dream.Experience && dream.Night == n) {
        F->DropWords(data, dream);
        dream.Experience = nullptr;
      }
    data.Nights[n].Node = nullptr;
    data.Pool.Release(data.Nights[n].Words);
    data.Nights[n].Words = {};
    data.Nights[n].WordsMade = false;
  }
}

void TInsights::ReadTexts() { F->ReadTexts(); }
void TInsights::MakeWordForms() { F->MakeWordForms(); }

const TXMLNode* TInsights::Experience(TDreamRef dream) const {
  const TJournalData* data = F->LiveJournal(dream.Journal);
  return data && dream.Dream < data->Dreams.size() ? data->Dreams[dream.Dream].Experience : nullptr;
}

const TXMLNode* TInsights::Night(TDreamRef dream) const {
  if (!Experience(dream)) return nullptr;
  const TJournalData& data = F->Journals[dream.Journal];
  return data.Nights[data.Dreams[dream.Dream].Night].Node;
}

std::optional<int> TInsights::Date(TDreamRef dream) const {
  if (!Experience(dream)) return std::nullopt;
  const int date = F->Journals[dream.Journal].Dreams[dream.Dream].Date;
  return date == kNoDate ? std::nullopt : std::optional<int>(date);
}

std::size_t TInsights::WordIndexBytes() const {
  std::size_t bytes = F->Lexicon.MemoryBytes() + F->WordDreams.capacity() * sizeof(std::uint32_t) +
                      (F->Counts.Cells.capacity() + F->Counts.PeriodOfDay.capacity()) * sizeof(std::uint32_t);
  for (const TJournalData& data : F->Journals) bytes += data.Pool.MemoryBytes();
  return bytes;
}

std::size_t TInsights::RecordBytes() const {
  std::size_t bytes = 0;
  for (const TJournalData& data : F->Journals)
    bytes += data.Nights.capacity() * sizeof(TNightRecord) + data.Dreams.capacity() * sizeof(TDreamRecord);
  return bytes;
}
