#include "vlm_Library.h"

#include <algorithm>

#include "vlm_EntryFields.h"
#include "vlm_Files.h"
#include "vlm_LibraryCommands.h"
#include "vlm_NightDates.h"
#include "vlm_Resources.h"
#include "vlm_Restore.h"
#include "vlm_Search.h"
#include "vlm_Settings.h"
#include "vlm_ThemeExclusions.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {
QString Step(const char* utf8) { return QString::fromUtf8(utf8); }

// Where a text field is kept: an attribute of the entry, or the text of a child.
struct TFieldPlace {
  std::string_view Attribute;
  std::string_view Child;
  const char* Step;
};
TFieldPlace PlaceOf(TTextField field) {
  switch (field) {
    case tfName: return {attrName, {}, res::StepName};
    case tfNumber: return {attrNumber, {}, res::StepNumber};
    case tfTitle: return {attrTitle, {}, res::StepTitle};
    case tfDescription: return {{}, tagDescription, res::StepDescription};
    case tfComment: return {{}, tagComment, res::StepComment};
  }
  return {attrName, {}, res::StepName};
}
}  // namespace

TLibrary::TLibrary() : FDocument(std::make_unique<TXMLParser>()) { FDocument->Plain = true; }

TLibrary::~TLibrary() {
  ClearSteps();  // its steps hold parts of the documents
  try {
    Save();
  } catch (...) {
  }
  FJournals.ReleaseAll();  // written above when they changed
}

const TDocumentState& TLibrary::Load(const std::string& fileName) {
  FDocument = std::make_unique<TXMLParser>();
  FDocument->Plain = true;  // it names the journals and holds the key record: never sealed
  FDocument->LoadFromFile(fileName);
  FState = StateAfterLoad(*FDocument, fileName);
  FDocument->FileName = fileName;
  if (!FDocument->Parameters) FDocument->Parameters = std::make_unique<TXMLParameters>();
  if (!FDocument->Root) FDocument->Root = std::make_unique<TXMLNode>();
  if (FDocument->Root->Name.empty()) {
    FDocument->Root->Name = std::string(tagDreamLibrary);
    FDocument->Root->Kind = nkElement;
  }
  return FState;
}

TXMLParser* TLibrary::OpenJournal(const std::string& path) {
  const bool known = FJournals.Find(path) != nullptr;
  const auto ahead = known ? FReadAhead.end() : std::find_if(FReadAhead.begin(), FReadAhead.end(), [&](const auto& a) {
    return a->Path() == path || SameFile(a->Path(), path);
  });
  TXMLParser* journal = nullptr;
  if (ahead != FReadAhead.end()) {
    const std::unique_ptr<TJournalReadAhead> read = std::move(*ahead);
    FReadAhead.erase(ahead);
    std::unique_ptr<TXMLParser> document = read->Take();  // waits for the rest of the read
    // A read that waited while the file changed is not taken: AdoptJournal reads it afresh.
    journal = FJournals.AdoptJournal(read->Path(), read->Current() ? std::move(document) : nullptr);
  } else {
    journal = FJournals.OpenJournal(path);
  }
  // A missing file is not changed: it is created once something is put into it (its state says
  // that it was missing, so that a file appearing meanwhile is not written over).
  return journal;
}

void TLibrary::ReadJournalAhead(const std::string& path) {
  if (FJournals.Find(path)) return;
  for (const auto& read : FReadAhead)
    if (read->Path() == path || SameFile(read->Path(), path)) return;
  // The notice is posted to this object's thread; posted events die with the object.
  FReadAhead.push_back(std::make_unique<TJournalReadAhead>(path, [this] {
    QMetaObject::invokeMethod(this, [this] { emit JournalReadAhead(); }, Qt::QueuedConnection);
  }));
}

bool TLibrary::ReadingAhead() const {
  return std::any_of(FReadAhead.begin(), FReadAhead.end(), [](const auto& read) { return !read->Finished(); });
}

bool TLibrary::ReadingAhead(const std::string& path) const {
  return std::any_of(FReadAhead.begin(), FReadAhead.end(), [&](const auto& read) {
    return !read->Finished() && (read->Path() == path || SameFile(read->Path(), path));
  });
}

TDocumentState& TLibrary::MutableStateOf(const TXMLParser* document) {
  return document == FDocument.get() ? FState : FJournals.MutableStateOf(document);
}

const TXMLNode* TLibrary::ReadAgain(TXMLParser& journal) {
  TXMLParser check;  // a file caught half-written is not taken
  check.LoadFromFile(journal.FileName);
  if (check.Status != xrOk) return nullptr;
  ClearSteps();
  const TXMLNode* old = journal.Root.get();
  emit RootReplacing(old);
  const std::string fileName = journal.FileName;
  journal.LoadFromFile(fileName);
  TDocumentState& state = FJournals.MutableStateOf(&journal);
  state = StateAfterLoad(journal, fileName);
  FJournals.Refile(&journal);  // another program's file, another inode
  EnsureJournalRoot(journal);
  for (TXMLPair& pair : FPairs.Pairs)
    if (pair.Second == old) pair.Second = journal.Root.get();
  FSavedEdits[&journal] = FEdits[&journal];
  emit ChangedDocumentsChanged();
  emit ChildrenChanged(journal.Root.get(), nullptr);
  return old;
}

bool TLibrary::ReadLibraryAgain(std::string& reason) {
  TXMLParser check;  // a file caught half-written, or not a library, is not taken
  check.Plain = true;
  check.LoadFromFile(FDocument->FileName);
  if (check.Status != xrOk) return reason = res::LoadStatusText(check.Status), false;
  if (!check.Root || check.Root->Name != tagDreamLibrary) return reason = res::ReasonNotLibrary, false;
  ClearSteps();
  FState = StateAfterLoad(check, FDocument->FileName);
  FSavedEdits[FDocument.get()] = FEdits[FDocument.get()];
  // A copy whose nodes own their strings: the library's document keeps its own memory.
  std::unique_ptr<TXMLNode> root = CopyTree(*check.Root);
  ExchangeLibraryRoot(root);
  emit ChangedDocumentsChanged();
  return true;  // the old tree goes with `root`, after every view let go of it
}

void TLibrary::ExchangeLibraryRoot(std::unique_ptr<TXMLNode>& root) {
  emit LibraryReplacing();
  std::swap(FDocument->Root, root);
  FPairs.Pairs.clear();  // every pair's entry was in the other tree
  FDefaultJournal = nullptr;
  // The entries of journals open already show them; the last one marked is the default, as when
  // the library is first shown. Without recursion: a file decides how deep catalogs go.
  for (std::vector<TXMLNode*> pending{FDocument->Root.get()}; !pending.empty();) {
    TXMLNode* element = pending.back();
    pending.pop_back();
    if (element->Name != tagFile) {
      for (auto it = element->Children.rbegin(); it != element->Children.rend(); ++it) pending.push_back(it->get());
      continue;
    }
    if (element->GetAttribute(attrDefault) == litYes) FDefaultJournal = element;
    const std::string path = element->GetAttribute(attrPath);
    if (path == litUndefined) continue;
    if (const TXMLParser* journal = FJournals.Find(FResolve ? FResolve(path) : path))
      FPairs.AddPair(element, journal->Root.get());
  }
  emit LibraryReplaced();
  emit ChildrenChanged(FDocument->Root.get(), nullptr);
}

void TLibrary::SetDefaultJournal(TXMLNode* entry) {
  if (entry == FDefaultJournal) return;
  if (FDefaultJournal && FDefaultJournal->GetAttribute(attrDefault) != litNo) {
    FDefaultJournal->SetAttribute(attrDefault, litNo);
    MarkChanged(FDocument.get());
  }
  FDefaultJournal = entry;
  if (entry && entry->GetAttribute(attrDefault) != litYes) {
    entry->SetAttribute(attrDefault, litYes);
    MarkChanged(FDocument.get());
  }
}

void TLibrary::SetConfirmDelete(bool confirm) {
  if (ReadLibrarySettings(Root()).ConfirmDelete == confirm) return;
  WriteConfirmDelete(Root(), confirm);
  MarkChanged(FDocument.get());
}

void TLibrary::SetFormGeometry(int left, int top, int width, int height, int treeWidth, bool maximized) {
  const TPartSnapshot before = CapturePart(Root(), tagForm);
  WriteFormGeometry(Root(), left, top, width, height, treeWidth, maximized);
  if (!SamePart(before, CapturePart(Root(), tagForm))) MarkChanged(FDocument.get());
}

void TLibrary::SetSearchWidth(int width) {
  if (ReadLibrarySettings(Root()).Form.SearchWidth == width) return;
  WriteSearchWidth(Root(), width);
  MarkChanged(FDocument.get());
}

void TLibrary::SetCredentials(const std::string& name, const std::string& password) {
  const TPartSnapshot before = CapturePart(Root(), {});
  if (name.empty()) {
    Root().RemoveAttribute(attrUserName);
    Root().RemoveAttribute(attrUserPassword);
  } else {
    Root().SetAttribute(attrUserName, name);
    Root().SetAttribute(attrUserPassword, password);
  }
  if (!SamePart(before, CapturePart(Root(), {}))) MarkChanged(FDocument.get());
}

void TLibrary::SetThemeExclusions(const std::vector<std::string>& words) {
  if (ReadThemeExclusions(Root()) == words) return;
  Push(new TFieldCommand(*this, FDocument.get(), Root(), std::string(tagOptions), -1,
                         [words](TXMLNode& root) { WriteThemeExclusions(root, words); }, Step(StepThemeExclusions)));
}

TXMLNode* TLibrary::AddCatalog(TXMLNode& parent, std::string_view name) {
  const std::string copy(name);
  auto* step = new TInsertCommand(*this, FDocument.get(), parent, [&parent, copy] { return AppendCatalog(parent, copy); },
                                  Step(res::StepAddCatalog));
  Push(step);
  return step->Created();
}

TNewJournal TLibrary::AddJournal(TXMLNode& catalog, std::string_view name, std::string_view path,
                                 const std::string& file) {
  // The file is written first and stays when the step is undone: only the entry comes and goes.
  TNewJournal created = CreateJournal(catalog, name, path, file, FJournals, FPairs);
  TXMLNode* root = created.Document->Root.get();
  auto* step = new TInsertCommand(*this, FDocument.get(), catalog, [&created] { return created.Entry; },
                                  Step(res::StepAddJournal));
  TXMLNode* before = FDefaultJournal;  // gets the mark back when the new entry goes while holding it
  // The new entry held the mark when it was taken away: done again, it is selected and holds it again.
  auto held = std::make_shared<bool>(false);
  step->OnPresence = [this, root, before, held](TXMLNode* entry, bool present) {
    if (present) {
      FPairs.AddUniquePair(entry, root);
      if (*held) SetDefaultJournal(entry);
    } else {
      FPairs.RemoveFirstsIn(entry);
      *held = FDefaultJournal == entry;
      if (*held) SetDefaultJournal(before);
    }
  };
  Push(step);
  return created;
}

TXMLNode* TLibrary::AddDay(TXMLParser& journal, std::string_view name) {
  TXMLNode& root = *journal.Root;
  const std::string copy(name);
  auto create = [&root, copy] {
    const std::optional<int> date = DayNumberOfName(copy);
    TXMLNode* later = date ? NightAfterDate(root, *date) : nullptr;
    TXMLNode* day = AppendDay(root, copy);
    if (later) {  // among the nights by its date, not after them all
      const auto at = root.Children.begin() + root.IndexOfChild(later);
      std::rotate(at, root.Children.end() - 1, root.Children.end());
    }
    return day;
  };
  auto* step = new TInsertCommand(*this, &journal, root, create, Step(res::StepAddDay));
  Push(step);
  return step->Created();
}

TXMLNode* TLibrary::AddExperience(TXMLParser& journal, TXMLNode& day, std::string_view number, std::string_view title) {
  const std::string n(number), t(title);
  auto* step = new TInsertCommand(*this, &journal, day, [&day, n, t] { return AppendExperience(day, n, t); },
                                  Step(res::StepAddExperience));
  Push(step);
  return step->Created();
}

bool TLibrary::Exchange(TXMLParser& document, TXMLNode& parent, int position, int other) {
  if (!ShownChild(parent, position) || !ShownChild(parent, other)) return false;
  Push(new TExchangeCommand(*this, &document, parent, position, other, Step(res::StepMove)));
  return true;
}

bool TLibrary::Remove(TXMLParser& document, TXMLNode& parent, int position) {
  auto step = std::make_unique<TRemoveCommand>(*this, &document, parent, position, Step(res::StepRemove));
  if (!step->Found()) return false;
  Push(step.release());
  return true;
}

void TLibrary::SetText(TXMLParser& document, TXMLNode& element, TTextField field, const std::string& text,
                       TTextStep step) {
  const TFieldPlace place = PlaceOf(field);
  std::function<void(TXMLNode&)> change;
  if (!place.Attribute.empty())
    change = [place, text](TXMLNode& e) { e.SetAttribute(place.Attribute, text); };
  else
    change = [place, text](TXMLNode& e) { SetChildText(e, place.Child, text); };
  Push(new TFieldCommand(*this, &document, element, std::string(place.Child), static_cast<int>(field),
                         std::move(change), Step(place.Step), step == tsContinue));
}

void TLibrary::SetLabel(TXMLParser& document, TXMLNode& experience, int n, bool on) {
  Push(new TFieldCommand(*this, &document, experience, std::string(tagProperties), -1,
                               [n, on](TXMLNode& e) { WriteLabelFlag(e, n, on); }, Step(res::StepLabel)));
}

void TLibrary::SetEnergy(TXMLParser& document, TXMLNode& experience, int level) {
  Push(new TFieldCommand(*this, &document, experience, std::string(tagEnergy), -1,
                               [level](TXMLNode& e) { WriteEnergyLevel(e, level); }, Step(res::StepEnergy)));
}

void TLibrary::SetPicture(TXMLParser& document, TXMLNode& experience, const std::string& path) {
  Push(new TFieldCommand(
      *this, &document, experience, std::string(tagImage), -1,
      [path](TXMLNode& e) {
        if (!path.empty()) {
          ChildOrNew(e, tagImage, nkEmpty).SetAttribute(attrPath, path);
        } else if (TXMLNode* image = DirectChild(e, tagImage); image && image->GetAttribute(attrPath) != litUndefined) {
          image->SetAttribute(attrPath, litUndefined);
        }
      },
      Step(res::StepPicture)));
}

void TLibrary::SetReadOnly(TXMLParser& document, TXMLNode& experience, bool locked) {
  Push(new TFieldCommand(*this, &document, experience, {}, -1,
                               [locked](TXMLNode& e) { e.SetAttribute(attrReadOnly, BoolText(locked)); },
                               Step(res::StepReadOnly)));
}

void TLibrary::Restore(TXMLParser& journal, std::unique_ptr<TXMLNode> root) {
  Push(new TRestoreCommand(*this, journal, std::move(root), Step(res::StepRestore)));
}

void TLibrary::RestoreLibrary(std::unique_ptr<TXMLNode> root) {
  Push(new TRestoreCommand(*this, *FDocument, std::move(root), Step(res::StepRestore)));
}

// A document is changed when something outside the history changed it since it was saved, or when
// its newest step done is not the one it was saved at: a step taken back to where the file was
// leaves nothing to write.
bool TLibrary::IsChanged(const TXMLParser* document) const {
  const auto edits = FEdits.find(document);
  const auto saved = FSavedEdits.find(document);
  const unsigned done = edits == FEdits.end() ? 0 : edits->second;
  if (done != (saved == FSavedEdits.end() ? 0 : saved->second)) return true;
  const auto savedStep = FSavedSteps.find(document);
  return NewestStep(document) != (savedStep == FSavedSteps.end() ? 0 : savedStep->second);
}

std::uint64_t TLibrary::NewestStep(const TXMLParser* document) const {
  for (int i = FUndo.index() - 1; i >= 0; --i) {
    const auto* step = dynamic_cast<const TLibraryCommand*>(FUndo.command(i));
    if (step && step->Document() == document) return step->Number();
  }
  return 0;
}

std::vector<const TXMLParser*> TLibrary::TrackedDocuments() const {
  std::vector<const TXMLParser*> documents;
  auto add = [&documents](const TXMLParser* document) {
    if (std::find(documents.begin(), documents.end(), document) == documents.end()) documents.push_back(document);
  };
  for (const auto& [document, edits] : FEdits) add(document);
  for (const auto& [document, step] : FSavedSteps) add(document);
  for (int i = 0; i < FUndo.count(); ++i)
    if (const auto* step = dynamic_cast<const TLibraryCommand*>(FUndo.command(i))) add(step->Document());
  return documents;
}

bool TLibrary::AnyChanged() const {
  for (const TXMLParser* document : TrackedDocuments())
    if (IsChanged(document)) return true;
  return false;
}

void TLibrary::MarkChanged(const TXMLParser* document) {
  const bool was = IsChanged(document);
  ++FEdits[document];
  if (!was) emit ChangedDocumentsChanged();
}

// Done or undone: the document may have become changed, or back to what was saved.
void TLibrary::Touched(const TXMLParser*) { emit ChangedDocumentsChanged(); }

void TLibrary::Push(QUndoCommand* step) {
  FUndo.push(step);
  emit ChangedDocumentsChanged();  // a step merged into the last one changes no index
}

void TLibrary::ClearSteps() {
  // What the history made changed stays changed once the history is gone.
  for (const TXMLParser* document : TrackedDocuments())
    if (IsChanged(document)) ++FEdits[document];
  FSavedSteps.clear();
  FUndo.clear();
}

TSaveReport TLibrary::Save() {
  TSaveReport report;
  if (FViewOnly) return report;
  auto saveOne = [this, &report](TXMLParser& document, TDocumentState& state) {
    if (!IsChanged(&document)) return;
    const std::size_t failures = report.Failures.size();
    // Asked before the hook: a dated backup gives the old file a second name of its own for a moment.
    const bool linked = HasOtherNames(document.FileName);
    try {
      if (FBeforeReplace && !state.ReadOnly()) FBeforeReplace(document.FileName);
    } catch (const EInOutError& error) {
      report.Failures.push_back({error.FileName, error.Reason});  // and the file is not written
      return;
    }
    SaveByState(document, state, report, linked);
    FJournals.Refile(&document);  // a new file in the old one's place (the library's is not filed)
    if (report.Failures.size() == failures && !state.ReadOnly()) {
      FSavedEdits[&document] = FEdits[&document];
      FSavedSteps[&document] = NewestStep(&document);
    }
  };
  if (FDocument) saveOne(*FDocument, FState);
  for (const auto& journal : FJournals.Documents()) saveOne(*journal, FJournals.MutableStateOf(journal.get()));
  emit ChangedDocumentsChanged();
  return report;
}
