#pragma once
// Structural changes to the library and the journals: appending new entries, exchanging two
// entries, removing one. Plain C++ below the window.
//
// The directory tree shows some children of an element and not others (the library's settings
// elements, a day's own comment). A tree node stands at the position of its entry among the
// children the tree shows (ShownChildren), so an operation given a node's position acts on that
// node's own entry, also when two entries share one journal. Each operation keeps the pair list
// and the default-journal mark consistent with the documents it changes.
#include <string>
#include <string_view>
#include <vector>

class TJournalHash;
class TXMLNode;
class TXMLPairList;
class TXMLParser;

// True when `node` is `top` or lies in its subtree; walked without recursion.
bool Inside(const TXMLNode* node, const TXMLNode& top);

// The children of `parent` that the directory tree shows, in order: below the library root its
// catalogs; below a journal root every child; below anything else its catalogs, journal entries
// and experiences.
std::vector<TXMLNode*> ShownChildren(const TXMLNode& parent);
// The shown child at `position`, or nullptr outside them.
TXMLNode* ShownChild(const TXMLNode& parent, int position);

// True when a tree node bound to `element` stands for `entry`: the entry itself, or the journal
// root that the pair list links to that entry.
bool StandsFor(const TXMLNode* entry, const TXMLNode* element, const TXMLPairList& pairs);

// New elements, each appended as the parent's last child one level below it (container form).
TXMLNode* AppendCatalog(TXMLNode& parent, std::string_view name);
TXMLNode* AppendDay(TXMLNode& journalRoot, std::string_view name);
TXMLNode* AppendExperience(TXMLNode& day, std::string_view number, std::string_view title);

// The number proposed for a new experience: decimal, padded with zeros to three digits.
std::string ProposedNumber(int number);

// A new journal: the empty journal document is written at once to `fileName` (the stored `path`
// as resolved for use), then registered, its library entry (`name`, `path` as typed) appended to
// `catalog` and the pair recorded. Nothing changes when the file cannot be written: the writer's
// EInOutError propagates and no entry points at a file that is not there. A path whose journal is
// open already is refused (std::runtime_error, UTF-8 text): replacing its file would lose it.
struct TNewJournal {
  TXMLNode* Entry = nullptr;      // the library `file` element
  TXMLParser* Document = nullptr;  // registered with `journals`
};
TNewJournal CreateJournal(TXMLNode& catalog, std::string_view name, std::string_view path, const std::string& fileName,
                          TJournalHash& journals, TXMLPairList& pairs);

// Exchanges the shown children at `position` and `other` in the parent's list of children; every
// other child, shown or not, keeps its place. False when either position is not a shown child.
bool ExchangeEntries(TXMLNode& parent, int position, int other);

// Removes the shown child at `position` with its subtree. Pairs whose library entry lies in the
// removed subtree are dropped, so FirstOf never hands out a freed element, and the default-journal
// mark is cleared when it lies there. Journal documents stay registered (and are written by the
// next save); no file is touched. False when there is no such child.
bool RemoveEntry(TXMLNode& parent, int position, TXMLPairList& pairs, TXMLNode*& defaultJournal);
