#pragma once
// Memory of the element tree: the document's arena and the child and attribute lists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "xml_string.h"

// Memory of one loaded tree: nodes, lists and the like are taken in order from large blocks, which
// all go back to the system at once with the document; nothing is freed one by one.
class TXMLArena {
public:
  TXMLArena() = default;
  TXMLArena(const TXMLArena&) = delete;
  TXMLArena& operator=(const TXMLArena&) = delete;
  ~TXMLArena();

  void* Allocate(std::size_t bytes, std::size_t align) {
    std::size_t at = (FUsed + align - 1) & ~(align - 1);
    if (at + bytes > FBlockSize) {
      NewBlock(bytes);
      at = 0;
    }
    FUsed = at + bytes;
    return FBlock + at;
  }
  template <class T>
  T* AllocateArray(std::size_t n) {
    return static_cast<T*>(Allocate(n * sizeof(T), alignof(T)));
  }

  std::size_t Nodes = 0;  // nodes made in this arena

private:
  void NewBlock(std::size_t atLeast);
  struct Block {
    void* Data;
    std::size_t Size;
  };
  std::vector<Block> FBlocks;
  char* FBlock = nullptr;
  std::size_t FUsed = 0, FBlockSize = 0;
};

// An ordered list as the tree keeps its children and attributes: the operations of std::vector
// that the program uses, in 16 bytes. A list that a document read lives in its arena; one that
// grows gets memory of its own.
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

  size_type size() const noexcept { return FSize; }
  bool empty() const noexcept { return FSize == 0; }
  size_type capacity() const noexcept { return FCapacity & ~kInArena; }
  T* data() noexcept { return FData; }
  const T* data() const noexcept { return FData; }
  iterator begin() noexcept { return FData; }
  iterator end() noexcept { return FData + FSize; }
  const_iterator begin() const noexcept { return FData; }
  const_iterator end() const noexcept { return FData + FSize; }
  const_iterator cbegin() const noexcept { return begin(); }
  const_iterator cend() const noexcept { return end(); }
  reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
  reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }
  T& operator[](size_type i) noexcept { return FData[i]; }
  const T& operator[](size_type i) const noexcept { return FData[i]; }
  T& front() noexcept { return FData[0]; }
  const T& front() const noexcept { return FData[0]; }
  T& back() noexcept { return FData[FSize - 1]; }
  const T& back() const noexcept { return FData[FSize - 1]; }

  void reserve(size_type n) {
    if (n > capacity()) Reallocate(n);
  }
  void shrink_to_fit() {
    if (FSize < capacity()) Reallocate(FSize);
  }
  void push_back(const T& x) { emplace_back(x); }
  void push_back(T&& x) { emplace_back(std::move(x)); }
  template <class... A>
  T& emplace_back(A&&... args) {
    if (FSize == capacity()) {
      T value(std::forward<A>(args)...);  // the arguments may refer into the list
      Reallocate(FSize < 2 ? 4 : 2 * static_cast<size_type>(FSize));
      return *::new (static_cast<void*>(FData + FSize++)) T(std::move(value));
    }
    return *::new (static_cast<void*>(FData + FSize++)) T(std::forward<A>(args)...);
  }
  void pop_back() noexcept { FData[--FSize].~T(); }
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
    FSize -= static_cast<std::uint32_t>(l - f);
    return f;
  }
  void clear() noexcept {
    std::destroy(begin(), end());
    FSize = 0;
  }
  void swap(TXMLList& other) noexcept {
    std::swap(FData, other.FData);
    std::swap(FSize, other.FSize);
    std::swap(FCapacity, other.FCapacity);
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
    FData = data;
    FSize = FCapacity = static_cast<std::uint32_t>(n);
    FCapacity |= kInArena;
  }
  // Forgets the elements without destroying them (their document's arena goes at once).
  void Abandon() noexcept {
    FData = nullptr;
    FSize = FCapacity = 0;
  }

private:
  static constexpr std::uint32_t kInArena = 1u << 31;

  void Reallocate(size_type n) {
    if (n >= kInArena) throw std::length_error("TXMLList");
    T* fresh = static_cast<T*>(::operator new(n * sizeof(T)));
    try {
      std::uninitialized_move(begin(), end(), fresh);
    } catch (...) {
      ::operator delete(fresh);
      throw;
    }
    const std::uint32_t count = FSize;
    clear();
    Deallocate();
    FData = fresh;
    FSize = count;
    FCapacity = static_cast<std::uint32_t>(n);
    xml_memory::NoteHeapUse();
  }
  void Deallocate() noexcept {
    if (FData && !(FCapacity & kInArena)) ::operator delete(FData);
    FData = nullptr;
    FCapacity = 0;
  }

  T* FData = nullptr;
  std::uint32_t FSize = 0;
  std::uint32_t FCapacity = 0;  // kInArena set when the elements live in the document's arena
};
