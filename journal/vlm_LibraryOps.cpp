#include "vlm_LibraryOps.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "vlm_JournalHash.h"
#include "vlm_Resources.h"
#include "vlm_Types.h"
#include "vlm_XMLPairList.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {

bool Shown(const TXMLNode& parent, const TXMLNode& child) {
  if (parent.Name == tagDreamLibrary) return child.Name == tagDirectory;
  if (parent.Name == tagJournal) return true;
  return child.Name == tagDirectory || child.Name == tagFile || child.Name == tagExperience;
}

TXMLNode* Append(TXMLNode& parent, std::string_view name, TXMLNodeKind kind) {
  if (parent.Kind == nkEmpty) parent.Kind = nkElement;  // read as <a />: the writer would drop the child
  TXMLNode* child = parent.AddChild(std::make_unique<TXMLNode>(std::string(name), kind));
  child->SetLevel(parent.Level + 1);
  return child;
}


}  // namespace

bool Inside(const TXMLNode* node, const TXMLNode& top) {
  if (node == nullptr) return false;
  std::vector<const TXMLNode*> pending{&top};
  while (!pending.empty()) {
    const TXMLNode* current = pending.back();
    pending.pop_back();
    if (current == node) return true;
    for (const auto& child : current->Children) pending.push_back(child.get());
  }
  return false;
}

std::vector<TXMLNode*> ShownChildren(const TXMLNode& parent) {
  std::vector<TXMLNode*> shown;
  for (const auto& child : parent.Children)
    if (Shown(parent, *child)) shown.push_back(child.get());
  return shown;
}

TXMLNode* ShownChild(const TXMLNode& parent, int position) {
  if (position < 0) return nullptr;
  for (const auto& child : parent.Children)
    if (Shown(parent, *child) && position-- == 0) return child.get();
  return nullptr;
}

bool StandsFor(const TXMLNode* entry, const TXMLNode* element, const TXMLPairList& pairs) {
  if (entry == nullptr || element == nullptr) return false;
  if (entry == element) return true;
  for (const TXMLPair& pair : pairs.Pairs)
    if (pair.First == entry && pair.Second == element) return true;
  return false;
}

TXMLNode* AppendCatalog(TXMLNode& parent, std::string_view name) {
  TXMLNode* catalog = Append(parent, tagDirectory, nkElement);
  catalog->SetAttribute(attrName, name);
  return catalog;
}

TXMLNode* AppendDay(TXMLNode& journalRoot, std::string_view name) {
  TXMLNode* day = Append(journalRoot, tagDay, nkElement);
  day->SetAttribute(attrName, name);
  return day;
}

TXMLNode* AppendExperience(TXMLNode& day, std::string_view number, std::string_view title) {
  TXMLNode* experience = Append(day, tagExperience, nkElement);
  experience->SetAttribute(attrNumber, number);
  experience->SetAttribute(attrTitle, title);
  return experience;
}

std::string ProposedNumber(int number) {
  std::string text = std::to_string(number);
  if (text.size() < 3) text.insert(0, 3 - text.size(), '0');
  return text;
}

TNewJournal CreateJournal(TXMLNode& catalog, std::string_view name, std::string_view path, const std::string& fileName,
                          TJournalHash& journals, TXMLPairList& pairs) {
  if (journals.Find(fileName))
    throw std::runtime_error(res::Format(res::MsgJournalAlreadyOpen, {Cp1251ToUtf8(fileName)}));

  auto document = std::make_unique<TXMLParser>();
  EnsureJournalRoot(*document);  // the journal root and document type line of a new journal
  document->SaveToFile(fileName);  // raises before anything else has changed

  TNewJournal created;
  created.Document = journals.RegisterJournal(std::move(document));
  created.Entry = Append(catalog, tagFile, nkEmpty);
  created.Entry->SetAttribute(attrName, name);
  created.Entry->SetAttribute(attrPath, path);
  pairs.AddPair(created.Entry, created.Document->Root.get());
  return created;
}

bool ExchangeEntries(TXMLNode& parent, int position, int other) {
  const TXMLNode* first = ShownChild(parent, position);
  const TXMLNode* second = ShownChild(parent, other);
  if (first == nullptr || second == nullptr) return false;
  std::swap(parent.Children[static_cast<std::size_t>(parent.IndexOfChild(first))],
            parent.Children[static_cast<std::size_t>(parent.IndexOfChild(second))]);
  return true;
}

bool RemoveEntry(TXMLNode& parent, int position, TXMLPairList& pairs, TXMLNode*& defaultJournal) {
  TXMLNode* entry = ShownChild(parent, position);
  if (entry == nullptr) return false;
  pairs.RemoveFirstsIn(entry);
  if (Inside(defaultJournal, *entry)) defaultJournal = nullptr;
  parent.DeleteChild(parent.IndexOfChild(entry));
  return true;
}
