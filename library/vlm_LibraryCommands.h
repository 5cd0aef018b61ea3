#pragma once
// The steps of the library's undo history. Each step changes one document; it keeps what it took
// out of a tree (a removed entry, a new entry undone) until it is done again or forgotten, so the
// element pointers of the views and the pair list stay valid while the step exists.
#include <QUndoCommand>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vlm_EntrySnapshot.h"
#include "vlm_XMLPairList.h"
#include "xml_types.h"

class TLibrary;
class TXMLNode;
class TXMLParser;

class TLibraryCommand : public QUndoCommand {
public:
  const TXMLParser* Document() const { return FDocument; }
  // Tells the steps apart for the record of what was saved; a step that takes in another (typing)
  // gets a new number, as it no longer leaves its document as it did.
  std::uint64_t Number() const { return FNumber; }

protected:
  TLibraryCommand(TLibrary& library, const TXMLParser* document, const QString& text);
  void Touch();
  void Entry(TXMLNode* element);
  void Children(TXMLNode* parent, TXMLNode* child);

  void Renumber() { FNumber = ++gLastNumber; }

  TLibrary& FLibrary;
  const TXMLParser* FDocument;

private:
  inline static std::uint64_t gLastNumber = 0;
  std::uint64_t FNumber = ++gLastNumber;
};

// One field of one entry: its attributes or one named child, as before and after the change.
// A step that `continues` is taken into the step before it when that changed the same field (the
// same merge key) of the same entry (typing on).
class TFieldCommand : public TLibraryCommand {
public:
  TFieldCommand(TLibrary& library, const TXMLParser* document, TXMLNode& element, std::string part, int mergeKey,
                std::function<void(TXMLNode&)> change, const QString& text, bool continues = false);
  void redo() override;
  void undo() override;
  int id() const override { return FMergeKey >= 0 ? 1 : -1; }
  bool mergeWith(const QUndoCommand* other) override;

private:
  TXMLNode& FElement;
  std::string FPart;  // a child's name, or empty for the attributes
  int FMergeKey;
  bool FContinues;
  std::function<void(TXMLNode&)> FChange;  // runs once, on the first redo
  TPartSnapshot FBefore, FAfter;
  TXMLNodeKind FKindBefore, FKindAfter;  // an element read as <a /> is written whole once it has a child
};

// A new child of `parent`, made by `create` on the first redo.
class TInsertCommand : public TLibraryCommand {
public:
  TInsertCommand(TLibrary& library, const TXMLParser* document, TXMLNode& parent, std::function<TXMLNode*()> create,
                 const QString& text);
  void redo() override;
  void undo() override;
  TXMLNode* Created() const { return FCreated; }
  // Runs after each redo (true) and undo (false): a new journal entry's pair comes and goes.
  std::function<void(TXMLNode* created, bool present)> OnPresence;

private:
  TXMLNode& FParent;
  std::function<TXMLNode*()> FCreate;
  TXMLNodeKind FKindBefore, FKindAfter;  // of the parent, as in TFieldCommand
  TXMLNode* FCreated = nullptr;
  int FIndex = -1;
  std::unique_ptr<TXMLNode> FTaken;
};

// The shown child at a position, with its subtree, the pairs of journal entries inside it and the
// default mark when it lies there.
class TRemoveCommand : public TLibraryCommand {
public:
  TRemoveCommand(TLibrary& library, const TXMLParser* document, TXMLNode& parent, int position, const QString& text);
  void redo() override;
  void undo() override;
  bool Found() const { return FEntry != nullptr; }

private:
  TXMLNode& FParent;
  TXMLNode* FEntry = nullptr;
  int FIndex = -1;
  std::unique_ptr<TXMLNode> FTaken;
  std::vector<TXMLPair> FPairs;
  TXMLNode* FHeldDefault = nullptr;  // the default journal's entry, when it lay inside
};

// Two shown children exchanged; undone by exchanging them again.
class TExchangeCommand : public TLibraryCommand {
public:
  TExchangeCommand(TLibrary& library, const TXMLParser* document, TXMLNode& parent, int position, int other,
                   const QString& text);
  void redo() override;
  void undo() override { redo(); }

private:
  TXMLNode& FParent;
  int FPosition, FOther;
  TXMLNode* FMoved;  // the entry at `position` when the step was made
};

// A journal's or the library's whole tree exchanged for another (a backup brought back); undone by
// exchanging them again, so the steps before it find the tree they knew, whole.
class TRestoreCommand : public TLibraryCommand {
public:
  TRestoreCommand(TLibrary& library, TXMLParser& document, std::unique_ptr<TXMLNode> root, const QString& text);
  void redo() override { Exchange(); }
  void undo() override { Exchange(); }

private:
  void Exchange();
  TXMLParser& FTarget;
  std::unique_ptr<TXMLNode> FOther;  // the tree not in the document now
};
