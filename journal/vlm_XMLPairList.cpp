#include "vlm_XMLPairList.h"

#include <algorithm>
#include <unordered_set>

#include "xml_node.h"

int TXMLPairList::AddPair(TXMLNode* first, TXMLNode* second) {
  Pairs.push_back({first, second});
  return static_cast<int>(Pairs.size()) - 1;
}

void TXMLPairList::AddUniquePair(TXMLNode* first, TXMLNode* second) {
  const bool present = std::any_of(Pairs.begin(), Pairs.end(), [&](const TXMLPair& pair) {
    return pair.First == first && pair.Second == second;
  });
  if (!present) AddPair(first, second);
}

TXMLNode* TXMLPairList::FirstOf(const TXMLNode* second) const {
  for (const TXMLPair& pair : Pairs)
    if (pair.Second == second) return pair.First;
  return nullptr;
}

void TXMLPairList::RemoveFirstsIn(const TXMLNode* element) {
  if (element == nullptr || Pairs.empty()) return;
  // The subtree can be as deep as the file made it: walk it with an explicit stack.
  std::unordered_set<const TXMLNode*> doomed;
  std::vector<const TXMLNode*> pending{element};
  while (!pending.empty()) {
    const TXMLNode* node = pending.back();
    pending.pop_back();
    doomed.insert(node);
    for (const auto& child : node->Children) pending.push_back(child.get());
  }
  std::erase_if(Pairs, [&](const TXMLPair& pair) { return doomed.count(pair.First) != 0; });
}
