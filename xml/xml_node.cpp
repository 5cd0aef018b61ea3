#include "xml_node.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

thread_local std::ptrdiff_t gLiveNodes = 0;
constexpr std::size_t kHugePage = 2 << 20;

}  // namespace

TXMLArena::~TXMLArena() {
  for (const Block& b : FBlocks) {
    if (b.Size < kHugePage) std::free(b.Data);
    else ::munmap(b.Data, b.Size);
  }
}

TXMLArena::Block TXMLArena::NewBlock(std::size_t atLeast, std::size_t count) {
  // Blocks double from 64 KiB to 8 MiB: a small document takes little, a large one few blocks.
  // Small blocks come from malloc, which keeps them ready for the next load; large ones are mapped
  // on their own, on huge-page boundaries (fewer page faults), and go back to the system at once.
  const std::size_t size = std::max(atLeast, std::min<std::size_t>(std::size_t(64) << (10 + std::min<std::size_t>(count, 7)), 8 << 20));
  void* p = nullptr;
  if (size < kHugePage) {
    if (!(p = std::malloc(size))) throw std::bad_alloc();
  } else {
    void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    char* start = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(raw) + kHugePage - 1) & ~(kHugePage - 1));
    if (start > raw) ::munmap(raw, static_cast<std::size_t>(start - static_cast<char*>(raw)));
    ::munmap(start + size, static_cast<std::size_t>(static_cast<char*>(raw) + size + kHugePage - (start + size)));
    ::madvise(start, size, MADV_HUGEPAGE);
    p = start;
  }
  return {p, size};
}

std::ptrdiff_t TXMLNode::LiveNodes() { return gLiveNodes; }

void* TXMLNode::operator new(std::size_t size) {
  void* p = ::operator new(size);
  ++gLiveNodes;
  xml_memory::NoteHeapUse();
  return p;
}

void TXMLNode::operator delete(TXMLNode* node, std::destroying_delete_t) noexcept {
  const bool inArena = node->FInArena;
  node->~TXMLNode();
  --gLiveNodes;
  xml_memory::NoteHeapUse();  // the tree changed: its document must visit it when freed
  if (!inArena) ::operator delete(node);
}

TXMLNode* TXMLNode::NewInArena(TXMLArena& arena) {
  auto* node = ::new (arena.Allocate(sizeof(TXMLNode), alignof(TXMLNode))) TXMLNode();
  node->FInArena = true;
  ++arena.Nodes;
  ++gLiveNodes;
  return node;
}

void TXMLNode::FreeTree(std::unique_ptr<TXMLNode>& root, std::unique_ptr<TXMLArena>& arena, bool unchanged) noexcept {
  if (root && arena && unchanged) {
    root->Children.Abandon();
    root->Attributes.Abandon();
    gLiveNodes -= static_cast<std::ptrdiff_t>(arena->Nodes);
  }
  root.reset();
  arena.reset();
}

TXMLNode::~TXMLNode() {
  // Detach the subtree node by node so that no destructor call nests deeper than one level. The
  // nodes are freed in document order, the order they were read in, which suits the allocator.
  if (Children.empty()) return;
  std::vector<std::unique_ptr<TXMLNode>> pending;
  for (auto it = Children.rbegin(); it != Children.rend(); ++it) pending.push_back(std::move(*it));
  Children.clear();
  while (!pending.empty()) {
    std::unique_ptr<TXMLNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it) pending.push_back(std::move(*it));
    node->Children.clear();
  }
}

TXMLNode* TXMLNode::FindNode(std::string_view name) const {
  for (auto it = Children.rbegin(); it != Children.rend(); ++it)  // the common case, without a stack
    if ((*it)->Name == name) return it->get();
  // Depth first, in child order; at each node its last direct child of that name wins.
  std::vector<const TXMLNode*> stack;
  for (auto it = Children.rbegin(); it != Children.rend(); ++it) stack.push_back(it->get());
  while (!stack.empty()) {
    const TXMLNode* node = stack.back();
    stack.pop_back();
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
      if ((*it)->Name == name) return it->get();
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it) stack.push_back(it->get());
  }
  return nullptr;
}

std::string TXMLNode::GetAttribute(std::string_view name) const {
  for (const TXMLAttribute& a : Attributes)
    if (a.Name == name) return a.Value.str();
  return xml_Undefined;
}

void TXMLNode::SetAttribute(std::string_view name, std::string_view value) {
  for (TXMLAttribute& a : Attributes)
    if (a.Name == name) {
      a.Value.assign(value);
      return;
    }
  Attributes.emplace_back(name, value);
}

void TXMLNode::RemoveAttribute(std::string_view name) {
  for (auto it = Attributes.begin(); it != Attributes.end(); ++it)
    if (it->Name == name) {
      Attributes.erase(it);
      return;
    }
}

TXMLNode* TXMLNode::GetChild(int index) const {
  if (index < 0 || index >= ChildCount()) return nullptr;
  return Children[index].get();
}

int TXMLNode::IndexOfChild(const TXMLNode* node) const {
  for (std::size_t i = 0; i < Children.size(); ++i)
    if (Children[i].get() == node) return static_cast<int>(i);
  return -1;
}

TXMLNode* TXMLNode::AddChild(std::unique_ptr<TXMLNode> node) {
  if (!node) return nullptr;  // the list never holds empty entries
  Children.push_back(std::move(node));
  return Children.back().get();
}

void TXMLNode::SetLevel(int level) {
  Level = level;
  std::vector<TXMLNode*> stack{this};
  while (!stack.empty()) {
    TXMLNode* node = stack.back();
    stack.pop_back();
    for (auto& child : node->Children) {
      child->Level = node->Level + 1;
      stack.push_back(child.get());
    }
  }
}

void TXMLNode::DeleteChild(int index) {
  if (index < 0 || index >= ChildCount()) return;
  Children.erase(Children.begin() + index);
}

