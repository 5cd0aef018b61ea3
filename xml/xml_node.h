#pragma once
// The element tree: elements and text nodes with ordered children and attributes.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml_attribute.h"
#include "xml_types.h"

class TXMLTextFile;
class TXMLNode;

// The child list of an element; it comes from the same pools as attribute lists (xml_attribute.h).
using TXMLNodeList = std::vector<std::unique_ptr<TXMLNode>, xml_pool::TPooledAllocator<std::unique_ptr<TXMLNode>>>;

class TXMLNode {
public:
  TXMLNode() = default;
  explicit TXMLNode(std::string_view name, TXMLNodeKind kind = nkElement) : Name(name), Kind(kind) {}
  ~TXMLNode();  // frees the subtree without recursion
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  // Nodes come from per-thread pools of fixed-size slots: a journal holds hundreds of thousands of
  // them, and the pool saves the allocator's per-block overhead and keeps them close together.
  // Freed slots are reused, never returned to the system. Plain allocation under AddressSanitizer.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
  // Nodes allocated and not yet freed by this thread (for tests of ownership).
  static std::ptrdiff_t LiveNodes();

  // Last direct child named `name`; else the first match in the children's subtrees, in child
  // order. The node itself is never a candidate. nullptr when none.
  TXMLNode* FindNode(std::string_view name) const;
  // Value of the first attribute named `name`, or "undefined".
  std::string GetAttribute(std::string_view name) const;
  // Replaces the first attribute of that name in place, or appends a new one.
  void SetAttribute(std::string_view name, std::string_view value);
  void RemoveAttribute(std::string_view name);

  TXMLNode* GetChild(int index) const;            // nullptr outside 0..ChildCount()-1
  int IndexOfChild(const TXMLNode* node) const;   // by identity; -1 when not a child
  int ChildCount() const { return static_cast<int>(Children.size()); }
  TXMLNode* AddChild(std::unique_ptr<TXMLNode> node);  // appends; Level unchanged
  TXMLNode* AddChild(TXMLNode* node);                  // takes ownership of a new node
  void SetLevel(int level);                            // renumbers the subtree
  void DeleteChild(int index);                         // frees the child; ignores bad indexes

  // Reads one node (and its subtree) from text[pos..]; advances pos. Returns a result code. With
  // `borrow`, names, values and text refer to `text`, which must then outlive the subtree.
  TXMLResult Parse(int level, std::string_view text, std::size_t& pos, bool borrow = false);
  // Appends the node and its subtree in the writer's layout.
  void WriteTo(TXMLTextFile& file) const;

  TXMLString Name;
  TXMLString Text;
  int Level = 0;
  TXMLNodeKind Kind = nkElement;
  TXMLNodeList Children;
  TXMLAttributeList Attributes;
};
