#pragma once
// Memory of the element tree: the document's arena and the child and attribute lists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "xml_string.h"

// Memory of one loaded tree: nodes, lists and the like are taken in order from large blocks, which
// all go back to the system at once with the document; nothing is freed one by one. Strings are
// taken from blocks of their own, so that they need no padding.
class TXMLArena {
public:
  TXMLArena() = default;
  TXMLArena(const TXMLArena&) = delete;
  TXMLArena& operator=(const TXMLArena&) = delete;
  ~TXMLArena();

  void* Allocate(std::size_t bytes, std::size_t align) { return FObjects.Take(bytes, align, FBlocks); }
  template <class T>
  T* AllocateArray(std::size_t n) {
    return static_cast<T*>(Allocate(n * sizeof(T), alignof(T)));
  }
  // A copy of s that lives as long as the arena; a short one is kept in the string itself.
  TXMLStringRef NewString(std::string_view s) {
    if (s.size() <= TXMLString::MaxInline) return {s.empty() ? 0 : TXMLString::InlineWord(s)};
    char* copy = static_cast<char*>(FStrings.Take(4 + s.size(), 1, FBlocks));
    const auto size = static_cast<std::uint32_t>(s.size());  // the reader's text is under MaxSize
    std::memcpy(copy, &size, 4);
    std::memcpy(copy + 4, s.data(), s.size());
    return {TXMLString::AddressWord(copy)};
  }

  std::size_t Nodes = 0;  // nodes made in this arena

private:
  struct Block {
    void* Data;
    std::size_t Size;
  };
  static Block NewBlock(std::size_t atLeast, std::size_t count);
  struct Cursor {
    char* Start = nullptr;
    std::size_t Used = 0, Size = 0, Count = 0;
    void* Take(std::size_t bytes, std::size_t align, std::vector<Block>& blocks) {
      std::size_t at = (Used + align - 1) & ~(align - 1);
      if (at + bytes > Size) {
        blocks.reserve(blocks.size() + 1);
        const Block b = NewBlock(bytes, Count++);
        blocks.push_back(b);
        Start = static_cast<char*>(b.Data);
        Size = b.Size;
        at = 0;
      }
      Used = at + bytes;
      return Start + at;
    }
  };
  std::vector<Block> FBlocks;
  Cursor FObjects, FStrings;
};

// An ordered list as the tree keeps its children and attributes: the operations of std::vector
// that the program uses, in 12 bytes. A list that a document read lives in its arena and holds
// exactly its elements; one that grows gets memory of its own, which records its capacity.
template <class T>
class TXMLList {
public:
  using value_type = T;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using reference = T&;
  using const_reference = const T&;
  using iterator = T*;
  using const_iterator = const T*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  TXMLList() noexcept = default;
  TXMLList(const TXMLList& other) {
    reserve(other.size());
    for (const T& x : other) push_back(x);
  }
  TXMLList(TXMLList&& other) noexcept { swap(other); }
  TXMLList& operator=(TXMLList other) noexcept {
    swap(other);
    xml_memory::NoteHeapUse();  // the list may now hold what was made before its document was read
    return *this;
  }
  ~TXMLList() {
    clear();
    Deallocate();
  }

  size_type size() const noexcept { return FCount & ~kInArena; }
  bool empty() const noexcept { return size() == 0; }
  size_type capacity() const noexcept {
    if ((FCount & kInArena) || !FData.get()) return size();
    return *reinterpret_cast<const std::size_t*>(reinterpret_cast<const char*>(FData.get()) - kHeader);
  }
  T* data() noexcept { return FData.get(); }
  const T* data() const noexcept { return FData.get(); }
  iterator begin() noexcept { return FData.get(); }
  iterator end() noexcept { return FData.get() + size(); }
  const_iterator begin() const noexcept { return FData.get(); }
  const_iterator end() const noexcept { return FData.get() + size(); }
  const_iterator cbegin() const noexcept { return begin(); }
  const_iterator cend() const noexcept { return end(); }
  reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
  reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }
  T& operator[](size_type i) noexcept { return FData.get()[i]; }
  const T& operator[](size_type i) const noexcept { return FData.get()[i]; }
  T& front() noexcept { return FData.get()[0]; }
  const T& front() const noexcept { return FData.get()[0]; }
  T& back() noexcept { return FData.get()[size() - 1]; }
  const T& back() const noexcept { return FData.get()[size() - 1]; }

  void reserve(size_type n) {
    if (n > capacity()) Reallocate(n);
  }
  void shrink_to_fit() {
    if (size() < capacity()) Reallocate(size());
  }
  void push_back(const T& x) { emplace_back(x); }
  void push_back(T&& x) { emplace_back(std::move(x)); }
  template <class... A>
  T& emplace_back(A&&... args) {
    const size_type n = size();
    if (n == capacity()) {
      T value(std::forward<A>(args)...);  // the arguments may refer into the list
      Reallocate(n < 2 ? 4 : 2 * n);
      T* slot = ::new (static_cast<void*>(FData.get() + n)) T(std::move(value));
      ++FCount;
      return *slot;
    }
    T* slot = ::new (static_cast<void*>(FData.get() + n)) T(std::forward<A>(args)...);
    ++FCount;
    return *slot;
  }
  void pop_back() noexcept {
    --FCount;
    FData.get()[size()].~T();
  }
  iterator insert(const_iterator pos, T&& x) {
    const size_type at = static_cast<size_type>(pos - begin());
    emplace_back(std::move(x));
    std::rotate(begin() + at, end() - 1, end());
    return begin() + at;
  }
  iterator erase(const_iterator pos) { return erase(pos, pos + 1); }
  iterator erase(const_iterator first, const_iterator last) {
    T* f = begin() + (first - begin());
    T* l = begin() + (last - begin());
    T* e = std::move(l, end(), f);
    std::destroy(e, end());
    FCount -= static_cast<std::uint32_t>(l - f);
    return f;
  }
  void clear() noexcept {
    std::destroy(begin(), end());
    FCount &= kInArena;
  }
  void swap(TXMLList& other) noexcept {
    std::swap(FData, other.FData);
    std::swap(FCount, other.FCount);
  }

  // std::erase_if for this list (found by argument-dependent lookup: call it unqualified).
  template <class Predicate>
  friend size_type erase_if(TXMLList& list, Predicate pred) {
    const size_type before = list.size();
    list.erase(std::remove_if(list.begin(), list.end(), pred), list.end());
    return before - list.size();
  }

  // For the reader: the list takes n elements built in its document's arena.
  void Adopt(T* data, size_type n) noexcept {
    clear();
    Deallocate();
    FData.set(data);
    FCount = static_cast<std::uint32_t>(n) | kInArena;
  }
  // Forgets the elements without destroying them (their document's arena goes at once).
  void Abandon() noexcept {
    FData.set(nullptr);
    FCount = 0;
  }

private:
  static constexpr std::uint32_t kInArena = 1u << 31;
  static constexpr std::size_t kHeader = 8;  // the capacity, before the elements of an own block
  static_assert(alignof(T) <= kHeader);

  void Reallocate(size_type n) {
    if (n >= kInArena) throw std::length_error("TXMLList");
    char* block = static_cast<char*>(::operator new(kHeader + n * sizeof(T)));
    *reinterpret_cast<std::size_t*>(block) = n;
    T* fresh = reinterpret_cast<T*>(block + kHeader);
    try {
      std::uninitialized_move(begin(), end(), fresh);
    } catch (...) {
      ::operator delete(block);
      throw;
    }
    const std::uint32_t count = static_cast<std::uint32_t>(size());
    clear();
    Deallocate();
    FData.set(fresh);
    FCount = count;
    xml_memory::NoteHeapUse();
  }
  void Deallocate() noexcept {
    if (FData.get() && !(FCount & kInArena)) ::operator delete(reinterpret_cast<char*>(FData.get()) - kHeader);
    FData.set(nullptr);
    FCount &= ~kInArena;
  }
  TPackedPointer<T> FData;
  std::uint32_t FCount = 0;  // the number of elements; kInArena set when they live in the arena
};
