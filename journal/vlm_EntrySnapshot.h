#pragma once
// What an edit of one field changes in an element, kept so that the edit can be taken back and
// done again byte for byte: the element's attribute list, or one named direct child (a copy of its
// subtree and its place). Plain C++; all text is Windows-1251 bytes.
#include <memory>
#include <string>
#include <string_view>

#include "xml_node.h"

struct TPartSnapshot {
  bool Present = false;                  // the child was there (attributes are always there)
  TXMLAttributeList Attributes;          // the attribute list, for a part of attributes
  std::unique_ptr<TXMLNode> Child;       // a copy of the child, for a part that is a child
  int Index = -1;                        // the child's place among its siblings
};

// A copy of the subtree of `top`, made without recursion.
std::unique_ptr<TXMLNode> CloneTree(const TXMLNode& top);

// The part of `element` that an edit changes: its attributes when `childName` is empty, else its
// last direct child of that name.
TPartSnapshot CapturePart(const TXMLNode& element, std::string_view childName);
// Puts the part back as it was captured.
void RestorePart(TXMLNode& element, std::string_view childName, const TPartSnapshot& snapshot);
// True when both captures hold the same bytes.
bool SamePart(const TPartSnapshot& a, const TPartSnapshot& b);
