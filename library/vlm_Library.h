#pragma once
// The library below the window: it owns the library document and every open journal, the pairs of
// library entries and journal roots, the default mark, how each file was read, which documents
// changed since they were read or saved, and the undo history. Every change a user makes goes
// through its typed operations; each one can be undone and tells the views what changed.
// QtCore and QtGui only: no widget.
#include <QObject>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vlm_DocumentState.h"
#include "vlm_JournalHash.h"
#include "vlm_JournalReadAhead.h"
#include "vlm_LibraryOps.h"
#include "vlm_XMLPairList.h"
#include "xml_mainUnit.h"

// The text fields of an entry: a name (library, catalog, journal entry, day), an experience's
// number, title, description and comment, a day's own comment.
enum TTextField { tfName, tfNumber, tfTitle, tfDescription, tfComment };
// Whether an edit of a text field begins a step of the undo history of its own or continues the
// step of the last edit, when that was of the same field of the same entry. The editor decides
// (it knows selections, pastes, pauses and the focus); the history only does as it is told.
enum TTextStep { tsNewStep, tsContinue };

class TLibrary : public QObject {
  Q_OBJECT
public:
  TLibrary();
  // Writes the documents that changed (failures are not reported here; an owner that must tell
  // the user calls Save first), then frees the history before the documents it points into.
  ~TLibrary() override;

  // Reads the library file; a file without a library root gets an empty one. The state says how.
  const TDocumentState& Load(const std::string& fileName);
  TXMLParser& Document() { return *FDocument; }
  TXMLNode& Root() { return *FDocument->Root; }
  const TDocumentState& State() const { return FState; }
  TJournalHash& Journals() { return FJournals; }
  // How the library file or a journal was read, to be changed when the program stops writing it.
  TDocumentState& MutableStateOf(const TXMLParser* document);
  // Reads a journal again from its file (another program changed it), when the file reads whole;
  // it then counts as unchanged, its pairs follow the new root and the history is cleared (its
  // steps may point into the old tree). Returns the old root, freed (to find what showed it), or
  // none when the file did not read whole and the journal stays as it was.
  const TXMLNode* ReadAgain(TXMLParser& journal);
  // Reads the library file again (another program changed it), when it reads whole as a library:
  // its tree takes the old one's place, the open journals stay and pair with the new entries that
  // point at them, the history is cleared (its steps point into the old tree) and the library
  // counts as unchanged. False, with the reason (UTF-8), when it does not: nothing changes then.
  bool ReadLibraryAgain(std::string& reason);
  // How an entry's path is found on disk (the window's ResolvePath); without one, as written.
  void SetPathResolver(std::function<std::string(const std::string&)> resolve) { FResolve = std::move(resolve); }
  TXMLPairList& Pairs() { return FPairs; }
  // The journal open for the file at `path`, read now when it is not open yet. A journal whose
  // file is not there starts empty and unchanged: its file is created by the first save after
  // something was put into it, and a file that appeared meanwhile is kept beside it first
  // (TSaveReport::Appeared).
  // A journal being read ahead is waited for and taken.
  TXMLParser* OpenJournal(const std::string& path);
  // Starts reading the journal at `path` on a thread of its own, unless it is open or being read
  // already; JournalReadAhead follows when the read has ended. Until OpenJournal takes it, the
  // journal is neither open nor written; a library freed before that waits for the read to end.
  void ReadJournalAhead(const std::string& path);
  // A journal read ahead is still being read; the journal at `path` is.
  bool ReadingAhead() const;
  bool ReadingAhead(const std::string& path) const;

  // The default journal's library entry. Moving the mark changes the library file.
  TXMLNode* DefaultJournal() const { return FDefaultJournal; }
  void SetDefaultJournal(TXMLNode* entry);
  // Settings the window keeps in the library file; each changes it only when the value differs.
  void SetConfirmDelete(bool confirm);
  void SetFormGeometry(int left, int top, int width, int height, int treeWidth, bool maximized = false);
  void SetSearchWidth(int width);
  // Credentials already scrambled; empty `name` removes them.
  void SetCredentials(const std::string& name, const std::string& password);
  // The words never counted as themes (vlm_ThemeExclusions.h): one step of the undo history, none
  // when they are the same.
  void SetThemeExclusions(const std::vector<std::string>& words);

  // Typed operations; each is one step of the undo history. `document` is the document that holds
  // the element changed (the library for catalogs and journal entries and their names).
  TXMLNode* AddCatalog(TXMLNode& parent, std::string_view name);
  // Raises as CreateJournal does; nothing changes then.
  TNewJournal AddJournal(TXMLNode& catalog, std::string_view name, std::string_view path, const std::string& file);
  // A night whose name is a date goes before the first night dated later; any other at the end.
  TXMLNode* AddDay(TXMLParser& journal, std::string_view name);
  TXMLNode* AddExperience(TXMLParser& journal, TXMLNode& day, std::string_view number, std::string_view title);
  bool Exchange(TXMLParser& document, TXMLNode& parent, int position, int other);
  bool Remove(TXMLParser& document, TXMLNode& parent, int position);
  // A new step, or with tsContinue the last one when it changed the same field of the same entry.
  void SetText(TXMLParser& document, TXMLNode& element, TTextField field, const std::string& text,
               TTextStep step = tsNewStep);
  void SetLabel(TXMLParser& document, TXMLNode& experience, int n, bool on);
  void SetEnergy(TXMLParser& document, TXMLNode& experience, int level);
  // An empty path clears the picture.
  void SetPicture(TXMLParser& document, TXMLNode& experience, const std::string& path);
  void SetReadOnly(TXMLParser& document, TXMLNode& experience, bool locked);
  // The journal takes `root` (a backup's tree, see CopyTree) in place of its own; undone, it gets
  // its own tree back.
  void Restore(TXMLParser& journal, std::unique_ptr<TXMLNode> root);
  // The same for the library file's tree; its entries pair with the open journals as after
  // ReadLibraryAgain, each time the step is done or undone.
  void RestoreLibrary(std::unique_ptr<TXMLNode> root);

  QUndoStack& UndoStack() { return FUndo; }

  // A library only viewed (no lock could be taken) writes nothing, whatever changed.
  void SetViewOnly(bool viewOnly) { FViewOnly = viewOnly; }

  // Changed since read or last written.
  bool IsChanged(const TXMLParser* document) const;
  bool AnyChanged() const;
  void MarkChanged(const TXMLParser* document);
  // Writes the library file and the journals that changed, by the rules of how each was read;
  // every other file stays untouched. Returns the failures and the backups made.
  TSaveReport Save();
  // Called with a file's name (Windows-1251) just before a save replaces it: dated backups, the copy
  // of a version another program wrote. When it raises EInOutError the file is not written (a failure).
  void SetBeforeReplace(std::function<void(const std::string&)> hook) { FBeforeReplace = std::move(hook); }

signals:
  // The fields of `element` changed (an edit, its undo or redo).
  void EntryChanged(TXMLNode* element);
  // The children of `parent` were added, removed or reordered; `child` is the one added, removed
  // or moved.
  void ChildrenChanged(TXMLNode* parent, TXMLNode* child);
  // The set of changed documents is different.
  void ChangedDocumentsChanged();
  // A journal's root is about to be replaced (read again, restored, or that undone): whoever shows
  // elements below `old` lets go of them now; they may be freed before ChildrenChanged follows.
  void RootReplacing(const TXMLNode* old);
  // The library's whole tree is about to be exchanged for another (read again, restored, or that
  // undone): whoever shows or holds its elements lets go of them now. LibraryReplaced follows
  // with the new tree in place and paired, then ChildrenChanged(its root, none).
  void LibraryReplacing();
  void LibraryReplaced();
  // A journal read ahead has been read (OpenJournal takes it without waiting now).
  void JournalReadAhead();

private:
  friend class TLibraryCommand;
  friend class TRemoveCommand;
  friend class TRestoreCommand;
  // Called by the history's steps as they are done and undone.
  void Touched(const TXMLParser* document);
  void Push(QUndoCommand* step);
  // Empties the history; the documents it changed stay changed.
  void ClearSteps();
  // The number of the newest step done in `document`'s history, 0 when none.
  std::uint64_t NewestStep(const TXMLParser* document) const;
  std::vector<const TXMLParser*> TrackedDocuments() const;
  // The library takes `root` in place of its own tree, which `root` holds afterwards; the pairs
  // and the default journal follow the new tree.
  void ExchangeLibraryRoot(std::unique_ptr<TXMLNode>& root);

  std::unique_ptr<TXMLParser> FDocument;
  TDocumentState FState;
  TJournalHash FJournals;
  TXMLPairList FPairs;
  TXMLNode* FDefaultJournal = nullptr;
  bool FViewOnly = false;
  std::function<void(const std::string&)> FBeforeReplace;
  std::function<std::string(const std::string&)> FResolve;
  std::map<const TXMLParser*, unsigned> FEdits, FSavedEdits;  // changes outside the history
  std::map<const TXMLParser*, std::uint64_t> FSavedSteps;     // NewestStep when last written
  QUndoStack FUndo;  // after the documents: its steps hold parts of them and go first
  // Last: their threads end before anything else of the library goes (they post to it).
  std::vector<std::unique_ptr<TJournalReadAhead>> FReadAhead;
};
