#pragma once
// Links library `file` elements to the roots of the journals loaded for them. Never owns a node.
#include <vector>

class TXMLNode;

struct TXMLPair {
  TXMLNode* First = nullptr;   // the library `file` element
  TXMLNode* Second = nullptr;  // the journal's root element
};

class TXMLPairList {
public:
  int AddPair(TXMLNode* first, TXMLNode* second);       // appends; returns its index
  void AddUniquePair(TXMLNode* first, TXMLNode* second);  // unless the same pair is present
  TXMLNode* FirstOf(const TXMLNode* second) const;      // First of the first pair with that Second
  // Drops every pair whose First is `element` or lies in its subtree (call before deleting it).
  void RemoveFirstsIn(const TXMLNode* element);
  int Count() const { return static_cast<int>(Pairs.size()); }

  std::vector<TXMLPair> Pairs;
};
