#include "vlm_InsightsEngines.h"

#include <QMetaObject>
#include <QThreadPool>
#include <exception>
#include <mutex>

#include "vlm_Types.h"
#include "xml_node.h"

// What a worker reaches the engines through: cut when they go, so that a late answer finds no one.
struct TInsightsEngines::TLink {
  std::mutex Mutex;
  TInsightsEngines* Owner = nullptr;
};

TInsightsEngines::TInsightsEngines(QObject* parent) : QObject(parent), FLink(std::make_shared<TLink>()) {
  FLink->Owner = this;
  FRunner = [](std::function<void()> job) { QThreadPool::globalInstance()->start(std::move(job)); };
}

TInsightsEngines::~TInsightsEngines() {
  // A worker still counting keeps its engine and drops its answer.
  std::lock_guard lock(FLink->Mutex);
  FLink->Owner = nullptr;
}

TInsightsEngines::TJournal* TInsightsEngines::Find(const TXMLNode* root) {
  const auto it = FJournals.find(root);
  return it == FJournals.end() ? nullptr : &it->second;
}

const TXMLNode* TInsightsEngines::RootOf(std::uint32_t journal) const {
  return journal < FRootOfRecords.size() ? FRootOfRecords[journal] : nullptr;
}

void TInsightsEngines::SetScope(const std::vector<const TXMLNode*>& roots) {
  FScopeRoots.clear();
  FScope.clear();
  for (const TXMLNode* root : roots) {
    if (!root) continue;
    TJournal* journal = Find(root);
    if (!journal) {
      const std::uint32_t id = FRecords.AddJournal(*root);
      if (FRootOfRecords.size() <= id) FRootOfRecords.resize(id + 1, nullptr);
      FRootOfRecords[id] = root;
      journal = &FJournals.emplace(root, TJournal{id, std::nullopt, false}).first->second;
      for (const auto& night : root->Children) PlaceNight(root, *night);
    }
    FScopeRoots.push_back(root);
    FScope.push_back(journal->Records);
  }
}

void TInsightsEngines::PlaceNight(const TXMLNode* root, const TXMLNode& night) {
  if (night.Name != tagDay) return;
  FPlaces[&night] = {root, nullptr};
  for (const auto& child : night.Children)
    if (child->Name == tagExperience) FPlaces[child.get()] = {root, &night};
}

void TInsightsEngines::EntryChanged(const TXMLNode* element) {
  const auto it = FPlaces.find(element);
  if (it == FPlaces.end()) return;
  const TPlace place = it->second;
  if (place.Night) DreamChanged(place.Root, *place.Night, *element);
  else NightChanged(place.Root, *element);
}

void TInsightsEngines::ChildrenChanged(const TXMLNode* parent, const TXMLNode* child) {
  if (Find(parent)) {  // a journal's nights: `child` may be the one after a night removed
    if (!child) {
      for (const auto& night : parent->Children) PlaceNight(parent, *night);
      JournalChanged(parent);
      return;
    }
    // The nights no longer there (their dreams' places go with the journal's next reading) ...
    std::vector<const TXMLNode*> gone;
    for (const auto& [node, place] : FPlaces)
      if (place.Root == parent && !place.Night && parent->IndexOfChild(node) < 0) gone.push_back(node);
    for (const TXMLNode* night : gone) {
      NightRemoved(parent, night);
      FPlaces.erase(night);
    }
    // ... and those new or moved.
    for (const auto& night : parent->Children) {
      if (night->Name != tagDay) continue;
      if (night.get() == child || !FPlaces.contains(night.get())) {
        PlaceNight(parent, *night);
        NightChanged(parent, *night);
      }
    }
    return;
  }
  const auto it = FPlaces.find(parent);
  if (it == FPlaces.end() || it->second.Night) return;
  PlaceNight(it->second.Root, *parent);  // its dreams, a new one too
  NightChanged(it->second.Root, *parent);
}

template <class F>
void TInsightsEngines::ToWords(TJournal& journal, F&& change) {
  if (!journal.Words || journal.WordsStale) return;
  if (WordsHome()) change(*FWords, *journal.Words);
  else journal.WordsStale = true;
}

void TInsightsEngines::DreamChanged(const TXMLNode* root, const TXMLNode& night, const TXMLNode& experience) {
  TJournal* journal = Find(root);
  if (!journal) return;
  FRecords.UpdateDream(journal->Records, night, experience);
  ToWords(*journal, [&](TInsights& words, std::uint32_t id) { words.UpdateDream(id, night, experience); });
}

void TInsightsEngines::NightChanged(const TXMLNode* root, const TXMLNode& night) {
  TJournal* journal = Find(root);
  if (!journal) return;
  FRecords.UpdateNight(journal->Records, night);
  ToWords(*journal, [&](TInsights& words, std::uint32_t id) { words.UpdateNight(id, night); });
}

void TInsightsEngines::NightRemoved(const TXMLNode* root, const TXMLNode* night) {
  TJournal* journal = Find(root);
  if (!journal) return;
  FRecords.RemoveNight(journal->Records, night);
  ToWords(*journal, [&](TInsights& words, std::uint32_t id) { words.RemoveNight(id, night); });
}

void TInsightsEngines::JournalChanged(const TXMLNode* root) {
  TJournal* journal = Find(root);
  if (!journal) return;
  FRecords.ReplaceJournal(journal->Records, *root);
  if (journal->Words) journal->WordsStale = true;  // read again before the next question
}

void TInsightsEngines::JournalClosed(const TXMLNode* root) {
  TJournal* journal = Find(root);
  if (!journal) return;
  FRecords.RemoveJournal(journal->Records);
  FRootOfRecords[journal->Records] = nullptr;
  if (journal->Words) {
    if (WordsHome()) FWords->RemoveJournal(*journal->Words);
    else FWordsToRemove.push_back(*journal->Words);
  }
  FJournals.erase(root);
  std::erase_if(FPlaces, [root](const auto& place) { return place.second.Root == root; });
  std::erase(FScopeRoots, root);
}

void TInsightsEngines::SetExclusions(const std::vector<std::string>& words) { FExclusions = words; }

void TInsightsEngines::AskWords(const TWordsQuestion& question) {
  ++FAsked;
  FPending = question;
  SetCounting(true);
  if (!FWordsMade || WordsHome()) Dispatch();
}

void TInsightsEngines::Dispatch() {
  try {
    Send();
  } catch (const std::exception& error) {  // reading the journals here failed: the question ends
    FPending.reset();
    SetCounting(false);
    TWordsAnswer answer;
    answer.Error = QString::fromLocal8Bit(error.what());
    emit WordsReady(answer);
  }
}

void TInsightsEngines::Send() {
  if (!FWordsMade) {
    FWords = std::make_shared<TInsights>();
    FWordsMade = true;
  }
  TInsights& words = *FWords;
  for (const std::uint32_t id : FWordsToRemove) words.RemoveJournal(id);
  FWordsToRemove.clear();
  if (FExclusions) words.SetExclusions(*std::exchange(FExclusions, std::nullopt));
  TScope scope;
  for (const TXMLNode* root : FScopeRoots) {
    TJournal& journal = *Find(root);
    if (!journal.Words) journal.Words = words.AddJournal(*root);
    else if (journal.WordsStale) words.ReplaceJournal(*journal.Words, *root);
    journal.WordsStale = false;
    scope.push_back(*journal.Words);
  }
  for (auto& [root, journal] : FJournals)  // out of scope now, read again when it comes back
    if (journal.WordsStale && journal.Words) {
      words.RemoveJournal(*journal.Words);
      journal.Words.reset();
      journal.WordsStale = false;
    }
  words.ReadTexts();  // the texts of every dream without word forms: nothing is left for the worker to read

  const TWordsQuestion question = *std::exchange(FPending, std::nullopt);
  const std::uint64_t asked = FAsked;
  std::shared_ptr<TInsights> engine = std::move(FWords);
  FRunner([link = FLink, engine, scope, question, asked]() mutable {
    TWordsAnswer answer;
    answer.Label = question.Label;
    try {
      engine->MakeWordForms();
      answer.Themes = engine->Themes(scope, question.Range);
      answer.Rising = engine->RisingThemes(scope, question.Range);
      answer.LabelWords = engine->LabelWords(scope, question.Range, question.Label);
    } catch (const std::exception& error) {
      answer = TWordsAnswer{};
      answer.Error = QString::fromLocal8Bit(error.what());
    } catch (...) {
      answer = TWordsAnswer{};
      answer.Error = QStringLiteral("?");
    }
    std::lock_guard lock(link->Mutex);
    if (!link->Owner) return;
    TInsightsEngines* owner = link->Owner;
    QMetaObject::invokeMethod(
        owner, [owner, asked, engine = std::move(engine), answer = std::move(answer)]() mutable { owner->Returned(asked, std::move(engine), std::move(answer)); },
        Qt::QueuedConnection);
  });
}

void TInsightsEngines::Returned(std::uint64_t asked, std::shared_ptr<TInsights> engine, TWordsAnswer answer) {
  FWords = std::move(engine);
  if (FPending) {  // asked again meanwhile: this answer is for an older question
    Dispatch();
    return;
  }
  SetCounting(false);
  if (asked == FAsked) emit WordsReady(answer);
}

void TInsightsEngines::SetCounting(bool counting) {
  if (FCounting == counting) return;
  FCounting = counting;
  emit CountingChanged(counting);
}
