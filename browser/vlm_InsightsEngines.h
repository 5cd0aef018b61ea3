#pragma once
// The computing behind the insights view: two TInsights engines over the same journals. The
// records engine stays on the window's thread and answers at once (series, recall, this night);
// the words engine makes the word forms and counts the themes on a worker, as vlm_Insights.h
// lays out: the texts copied here, the stemming and counting there. While the words engine is
// away, changes to the journals are noted and passed on when it is back, and only the latest
// question is answered: an answer to an older scope or range is never shown.
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <string>
#include <vector>

#include "vlm_Insights.h"

class TXMLNode;

struct TWordsQuestion {
  TDateRange Range;
  int Label = 1;  // the label whose words are asked for (1 .. 4)
};

struct TWordsAnswer {
  TThemes Themes;
  TContrast Rising;
  TContrast LabelWords;
  int Label = 1;
  QString Error;  // not empty: the counting failed, the rest is empty
};

class TInsightsEngines : public QObject {
  Q_OBJECT
public:
  // Runs a job on another thread (by default the global thread pool); a test may run it later.
  using TRunner = std::function<void(std::function<void()> job)>;

  explicit TInsightsEngines(QObject* parent = nullptr);
  ~TInsightsEngines() override;
  void SetRunner(TRunner runner) { FRunner = std::move(runner); }

  // The journals questions are about from now on (loaded roots); new ones are read into records.
  void SetScope(const std::vector<const TXMLNode*>& roots);
  const TInsights& Records() const { return FRecords; }
  const TScope& Scope() const { return FScope; }
  // The root of a journal of Records() (nullptr once closed).
  const TXMLNode* RootOf(std::uint32_t journal) const;

  // Changes to a journal below, as vlm_Insights.h names them; journals never added are ignored.
  void DreamChanged(const TXMLNode* root, const TXMLNode& night, const TXMLNode& experience);
  void NightChanged(const TXMLNode* root, const TXMLNode& night);
  void NightRemoved(const TXMLNode* root, const TXMLNode* night);
  // The library core's signals about a journal's elements (vlm_Library.h EntryChanged,
  // ChildrenChanged), told apart into the changes above; elements of other journals are ignored.
  void EntryChanged(const TXMLNode* element);
  void ChildrenChanged(const TXMLNode* parent, const TXMLNode* child);
  // Changed beyond telling (read anew into the same root): read again.
  void JournalChanged(const TXMLNode* root);
  // The journal's document goes: forgotten before its nodes are freed.
  void JournalClosed(const TXMLNode* root);

  void SetExclusions(const std::vector<std::string>& words);
  // The themes, rising themes and words of a label of the scope over a range, counted on the
  // worker; WordsReady gives them unless another question was asked meanwhile.
  void AskWords(const TWordsQuestion& question);
  bool Counting() const { return FCounting; }

signals:
  void WordsReady(const TWordsAnswer& answer);
  void CountingChanged(bool counting);

private:
  struct TJournal {
    std::uint32_t Records = 0;
    std::optional<std::uint32_t> Words;  // in the words engine, once added there
    bool WordsStale = false;             // changed while the words engine was away
  };
  struct TLink;
  // Where a night or a dream of a journal read lies: its journal's root and, for a dream, its night.
  struct TPlace {
    const TXMLNode* Root = nullptr;
    const TXMLNode* Night = nullptr;
  };
  void PlaceNight(const TXMLNode* root, const TXMLNode& night);
  TJournal* Find(const TXMLNode* root);
  bool WordsHome() const { return FWords != nullptr; }
  // A change the words engine takes now, or the journal read again when the engine is back.
  template <class F>
  void ToWords(TJournal& journal, F&& change);
  // Sends the pending question to a worker with the words engine, brought up to date first.
  void Dispatch();
  void Send();
  void Returned(std::uint64_t asked, std::shared_ptr<TInsights> engine, TWordsAnswer answer);
  void SetCounting(bool counting);

  TInsights FRecords;
  std::map<const TXMLNode*, TJournal> FJournals;
  std::unordered_map<const TXMLNode*, TPlace> FPlaces;
  std::vector<const TXMLNode*> FRootOfRecords;
  std::vector<const TXMLNode*> FScopeRoots;
  TScope FScope;
  std::shared_ptr<TInsights> FWords;  // nullptr while a worker has it
  bool FWordsMade = false;            // made (on the first question): a null FWords is away
  std::vector<std::uint32_t> FWordsToRemove;
  std::optional<std::vector<std::string>> FExclusions;  // not yet passed to the words engine
  std::optional<TWordsQuestion> FPending;  // asked, not yet sent to the worker
  std::uint64_t FAsked = 0;
  bool FCounting = false;
  std::shared_ptr<TLink> FLink;
  TRunner FRunner;
};
