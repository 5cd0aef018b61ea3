#include "xml_node.h"

#include <cstdint>
#include <new>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;  // let the sanitizer see every node's lifetime
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
#else
constexpr bool kPooled = true;
#endif

// Slots of sizeof(TXMLNode) bytes carved from blocks; free slots form a list through their first
// bytes. Each thread has its own list; a slot freed by another thread simply joins that thread's list.
struct NodePool {
  struct FreeSlot {
    FreeSlot* next;
  };
  static constexpr std::size_t kSlot = (sizeof(TXMLNode) + alignof(TXMLNode) - 1) / alignof(TXMLNode) * alignof(TXMLNode);
  static constexpr std::size_t kSlotsPerBlock = 1024;
  FreeSlot* freeList = nullptr;
  char* next = nullptr;
  char* end = nullptr;

  void* Allocate() {
    if (freeList) {
      void* p = freeList;
      freeList = freeList->next;
      return p;
    }
    if (next == end) {
      next = static_cast<char*>(::operator new(kSlot * kSlotsPerBlock));  // kept for the process's life
      end = next + kSlot * kSlotsPerBlock;
    }
    void* p = next;
    next += kSlot;
    return p;
  }
  void Free(void* p) { freeList = ::new (p) FreeSlot{freeList}; }
};

thread_local NodePool gPool;
thread_local std::ptrdiff_t gLiveNodes = 0;

// Blocks of 8 to kMaxBytes bytes in steps of 8, without headers: a free list per size, and slots
// carved one after the other from large chunks. Free slots are reused, never returned to the system.
struct SmallPool {
  static constexpr std::size_t kStep = 8, kMaxBytes = 512, kChunk = 64 << 10;
  struct FreeSlot {
    FreeSlot* next;
  };
  FreeSlot* freeLists[kMaxBytes / kStep] = {};
  char* next = nullptr;
  char* end = nullptr;

  static bool Pooled(std::size_t bytes) { return kPooled && bytes > 0 && bytes <= kMaxBytes && bytes % kStep == 0; }
  void* Allocate(std::size_t bytes) {
    FreeSlot*& list = freeLists[bytes / kStep - 1];
    if (list) {
      void* p = list;
      list = list->next;
      return p;
    }
    if (static_cast<std::size_t>(end - next) < bytes) {
      // The rest of the old chunk (less than kMaxBytes) stays unused.
      next = static_cast<char*>(::operator new(kChunk));  // kept for the process's life
      end = next + kChunk;
    }
    void* p = next;
    next += bytes;
    return p;
  }
  void Free(void* p, std::size_t bytes) {
    FreeSlot*& list = freeLists[bytes / kStep - 1];
    list = ::new (p) FreeSlot{list};
  }
};

thread_local SmallPool gSmallPool;

}  // namespace

void* xml_pool::Allocate(std::size_t bytes) {
  if (!SmallPool::Pooled(bytes)) return ::operator new(bytes);
  return gSmallPool.Allocate(bytes);
}

void xml_pool::Free(void* p, std::size_t bytes) noexcept {
  if (!p) return;
  if (!SmallPool::Pooled(bytes)) return ::operator delete(p);
  gSmallPool.Free(p, bytes);
}

std::ptrdiff_t TXMLNode::LiveNodes() { return gLiveNodes; }

void* TXMLNode::operator new(std::size_t size) {
  ++gLiveNodes;
  if (!kPooled || size != sizeof(TXMLNode)) return ::operator new(size);
  return gPool.Allocate();
}

void TXMLNode::operator delete(void* p, std::size_t size) noexcept {
  if (!p) return;
  --gLiveNodes;
  if (!kPooled || size != sizeof(TXMLNode)) return ::operator delete(p);
  gPool.Free(p);
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

TXMLNode* TXMLNode::AddChild(TXMLNode* node) { return AddChild(std::unique_ptr<TXMLNode>(node)); }

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

