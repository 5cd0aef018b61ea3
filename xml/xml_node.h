#pragma once
// The element tree: elements and text nodes with ordered children and attributes.
#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "xml_attribute.h"
#include "xml_types.h"

class TXMLTextFile;
class TXMLTextStream;
class TXMLNode;

// The child list of an element.
using TXMLNodeList = TXMLList<std::unique_ptr<TXMLNode>>;

class TXMLNode {
public:
  TXMLNode() = default;
  explicit TXMLNode(std::string_view name, TXMLNodeKind kind = nkElement) : Name(name), Kind(kind) {}
  ~TXMLNode();  // frees the subtree without recursion
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  // A node that a document read lives in the document's arena (xml_list.h) and is freed with it;
  // one that a program makes comes from the heap. Deleting either runs its destructor.
  static void* operator new(std::size_t size);
  static void operator delete(TXMLNode* node, std::destroying_delete_t) noexcept;
  static TXMLNode* NewInArena(TXMLArena& arena);
  // Frees a tree read into `arena`, then the arena. A tree that nothing changed since it was read
  // (see xml_memory::HeapUses) holds nothing else and is dropped without visiting its nodes.
  static void FreeTree(std::unique_ptr<TXMLNode>& root, std::unique_ptr<TXMLArena>& arena, bool unchanged) noexcept;
  // Nodes made and not yet destroyed by this program (for tests of ownership).
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
  void SetLevel(int level);                            // renumbers the subtree
  void DeleteChild(int index);                         // frees the child; ignores bad indexes

  // Reads one node (and its subtree) from the stream's text at pos; advances pos. Returns a result
  // code. The nodes, lists and strings are made in `arena`.
  TXMLResult Parse(int level, TXMLTextStream& stream, std::size_t& pos, TXMLArena& arena);
  // Appends the node and its subtree in the writer's layout.
  void WriteTo(TXMLTextFile& file) const;

  TXMLString Name;
  TXMLString Text;
  int Level = 0;
  TXMLNodeKind Kind = nkElement;

private:
  bool FInArena = false;

public:
  TXMLNodeList Children;
  TXMLAttributeList Attributes;
};
