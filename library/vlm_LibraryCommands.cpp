#include "vlm_LibraryCommands.h"

#include <algorithm>

#include "vlm_Library.h"
#include "vlm_LibraryOps.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {

std::unique_ptr<TXMLNode> TakeChild(TXMLNode& parent, int index) {
  std::unique_ptr<TXMLNode> taken = std::move(parent.Children[static_cast<std::size_t>(index)]);
  parent.Children.erase(parent.Children.begin() + index);
  return taken;
}

// The shown child that takes the place of one taken out at `index` (the next, else the one before),
// or none: where the eye goes after a removal.
TXMLNode* AfterRemoval(const TXMLNode& parent, int index) {
  const std::vector<TXMLNode*> shown = ShownChildren(parent);
  TXMLNode* before = nullptr;
  std::size_t next = 0;
  for (int i = 0; i < parent.ChildCount() && next < shown.size(); ++i) {
    if (parent.GetChild(i) != shown[next]) continue;
    if (i >= index) return shown[next];
    before = shown[next++];
  }
  return before;
}

TXMLNode* PutChild(TXMLNode& parent, int index, std::unique_ptr<TXMLNode> child) {
  index = std::clamp(index, 0, parent.ChildCount());
  return parent.Children.insert(parent.Children.begin() + index, std::move(child))->get();
}
}  // namespace

TLibraryCommand::TLibraryCommand(TLibrary& library, const TXMLParser* document, const QString& text)
    : FLibrary(library), FDocument(document) {
  setText(text);
}

void TLibraryCommand::Touch() { FLibrary.Touched(FDocument); }
void TLibraryCommand::Entry(TXMLNode* element) { emit FLibrary.EntryChanged(element); }
void TLibraryCommand::Children(TXMLNode* parent, TXMLNode* child) { emit FLibrary.ChildrenChanged(parent, child); }

TFieldCommand::TFieldCommand(TLibrary& library, const TXMLParser* document, TXMLNode& element, std::string part,
                             int mergeKey, std::function<void(TXMLNode&)> change, const QString& text,
                             bool continues)
    : TLibraryCommand(library, document, text), FElement(element), FPart(std::move(part)), FMergeKey(mergeKey),
      FContinues(continues), FChange(std::move(change)), FBefore(CapturePart(element, FPart)), FKindBefore(element.Kind),
      FKindAfter(element.Kind) {}

void TFieldCommand::redo() {
  if (FChange) {
    FChange(FElement);
    FChange = nullptr;
    FAfter = CapturePart(FElement, FPart);
    FKindAfter = FElement.Kind;
    if (SamePart(FBefore, FAfter)) setObsolete(true);  // nothing changed: no step, no write
  } else {
    RestorePart(FElement, FPart, FAfter);
    FElement.Kind = FKindAfter;
  }
  if (!isObsolete()) Touch();
  Entry(&FElement);
}

void TFieldCommand::undo() {
  RestorePart(FElement, FPart, FBefore);
  FElement.Kind = FKindBefore;
  Touch();
  Entry(&FElement);
}

bool TFieldCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const TFieldCommand*>(other);
  if (!next || !next->FContinues || &next->FElement != &FElement || next->FMergeKey != FMergeKey ||
      next->FPart != FPart)
    return false;
  FAfter = CapturePart(FElement, FPart);
  FKindAfter = FElement.Kind;
  if (SamePart(FBefore, FAfter)) setObsolete(true);  // typed and taken back: no step left
  Renumber();
  return true;
}

TInsertCommand::TInsertCommand(TLibrary& library, const TXMLParser* document, TXMLNode& parent,
                               std::function<TXMLNode*()> create, const QString& text)
    : TLibraryCommand(library, document, text), FParent(parent), FCreate(std::move(create)),
      FKindBefore(parent.Kind), FKindAfter(parent.Kind) {}

void TInsertCommand::redo() {
  if (FCreate) {
    FCreated = FCreate();
    FCreate = nullptr;
    FIndex = FParent.IndexOfChild(FCreated);
    FKindAfter = FParent.Kind;
  } else if (FTaken) {
    PutChild(FParent, FIndex, std::move(FTaken));
    FParent.Kind = FKindAfter;
  }
  if (OnPresence) OnPresence(FCreated, true);
  Touch();
  Children(&FParent, FCreated);
}

void TInsertCommand::undo() {
  const int index = FParent.IndexOfChild(FCreated);
  if (index < 0) return;
  if (OnPresence) OnPresence(FCreated, false);
  FIndex = index;
  FTaken = TakeChild(FParent, index);
  FParent.Kind = FKindBefore;
  Touch();
  Children(&FParent, AfterRemoval(FParent, index));
}

TRemoveCommand::TRemoveCommand(TLibrary& library, const TXMLParser* document, TXMLNode& parent, int position,
                               const QString& text)
    : TLibraryCommand(library, document, text), FParent(parent), FEntry(ShownChild(parent, position)) {}

void TRemoveCommand::redo() {
  if (!FEntry) return;
  FIndex = FParent.IndexOfChild(FEntry);
  if (FIndex < 0) return;
  FPairs.clear();
  for (const TXMLPair& pair : FLibrary.Pairs().Pairs)
    if (Inside(pair.First, *FEntry)) FPairs.push_back(pair);
  FLibrary.Pairs().RemoveFirstsIn(FEntry);
  FHeldDefault = Inside(FLibrary.DefaultJournal(), *FEntry) ? FLibrary.DefaultJournal() : nullptr;
  if (FHeldDefault) FLibrary.FDefaultJournal = nullptr;  // the mark stays written in the entry
  FTaken = TakeChild(FParent, FIndex);
  Touch();
  Children(&FParent, AfterRemoval(FParent, FIndex));
}

void TRemoveCommand::undo() {
  if (!FTaken) return;
  PutChild(FParent, FIndex, std::move(FTaken));
  for (const TXMLPair& pair : FPairs) FLibrary.Pairs().AddUniquePair(pair.First, pair.Second);
  if (FHeldDefault) FLibrary.FDefaultJournal = FHeldDefault;
  Touch();
  Children(&FParent, FEntry);
}

TExchangeCommand::TExchangeCommand(TLibrary& library, const TXMLParser* document, TXMLNode& parent, int position,
                                   int other, const QString& text)
    : TLibraryCommand(library, document, text), FParent(parent), FPosition(position), FOther(other),
      FMoved(ShownChild(parent, position)) {}

void TExchangeCommand::redo() {
  if (!ExchangeEntries(FParent, FPosition, FOther)) return;
  Touch();
  Children(&FParent, FMoved);
}

TRestoreCommand::TRestoreCommand(TLibrary& library, TXMLParser& document, std::unique_ptr<TXMLNode> root,
                                 const QString& text)
    : TLibraryCommand(library, &document, text), FTarget(document), FOther(std::move(root)) {}

void TRestoreCommand::Exchange() {
  if (&FTarget == &FLibrary.Document()) {
    FLibrary.ExchangeLibraryRoot(FOther);
    Touch();
    return;
  }
  emit FLibrary.RootReplacing(FTarget.Root.get());
  std::swap(FTarget.Root, FOther);
  const TXMLNode* old = FOther.get();
  TXMLNode* root = FTarget.Root.get();
  for (TXMLPair& pair : FLibrary.Pairs().Pairs)
    if (pair.Second == old) pair.Second = root;
  Touch();
  Children(root, nullptr);
}
