#pragma once
// The strings of the element tree: names, attribute values and text.
#include <atomic>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace xml_memory {
// Counts the times heap memory was taken into a string, list or node. A document whose tree was
// read after the last such time holds nothing but its arena, and can drop it without visiting its
// nodes (TXMLParser). Taking nodes or strings of a loaded tree out of it
// (release, swap with outside objects) is not supported: they live as long as their document.
inline std::atomic<std::uint64_t> gHeapUses{0};
inline void NoteHeapUse() noexcept { gHeapUses.fetch_add(1, std::memory_order_relaxed); }
inline std::uint64_t HeapUses() noexcept { return gHeapUses.load(std::memory_order_relaxed); }
}  // namespace xml_memory

// A pointer kept in storage of 4-byte alignment, so that a string or list of the tree, a pointer
// and a 32-bit count, takes 12 bytes instead of 16.
template <class T>
class TPackedPointer {
public:
  T* get() const noexcept {
    T* p;
    std::memcpy(&p, FBytes, sizeof p);
    return p;
  }
  void set(T* p) noexcept { std::memcpy(FBytes, &p, sizeof p); }

private:
  unsigned char FBytes[sizeof(T*)] = {};
};

// A byte string that either borrows bytes its document keeps or owns a copy of its own. The reader
// borrows: the names, values and text of a loaded file live in the document's arena, so loading
// and freeing a tree costs no allocation per string. Whatever a program assigns is copied, and so
// is a borrowed string when it is copied or moved, so a string taken out of a tree stays valid
// after its document is gone. A borrowed string lives as long as its document. It takes 12 bytes
// (a tree holds about two per node), so a string holds at most MaxSize bytes.
class TXMLString {
public:
  static constexpr std::size_t MaxSize = 0x7FFFFFFF;

  TXMLString() noexcept = default;
  explicit TXMLString(std::string_view s) { Assign(s); }
  explicit TXMLString(const char* s) { Assign(s); }
  explicit TXMLString(const std::string& s) { Assign(s); }
  TXMLString(const TXMLString& other) { Assign(other); }
  TXMLString(TXMLString&& other) { Take(other); }
  ~TXMLString() { Release(); }

  TXMLString& operator=(std::string_view s) { return assign(s); }
  TXMLString& operator=(const char* s) { return assign(s); }
  TXMLString& operator=(const std::string& s) { return assign(s); }
  TXMLString& operator=(const TXMLString& other) { return other.FData.get() == FData.get() ? *this : assign(other); }
  TXMLString& operator=(TXMLString&& other) {
    if (&other != this) {
      Release();
      Take(other);
    }
    return *this;
  }
  TXMLString& assign(std::string_view s) {
    TXMLString fresh(s);  // first, as s may be part of this string
    Release();
    FData = fresh.FData;
    FSize = fresh.FSize;
    fresh.FData.set(nullptr);
    fresh.FSize = 0;
    return *this;
  }
  // Refers to bytes that outlive this string (in the document's arena); nothing is copied.
  void Borrow(std::string_view s) {
    Release();
    FData.set(s.data());
    FSize = Checked(s.size()) << 1;
  }
  void clear() noexcept { Release(); }

  const char* data() const noexcept {
    const char* p = FData.get();
    return p ? p : "";
  }
  std::size_t size() const noexcept { return FSize >> 1; }
  std::size_t length() const noexcept { return size(); }
  bool empty() const noexcept { return size() == 0; }
  const char* begin() const noexcept { return data(); }
  const char* end() const noexcept { return data() + size(); }
  char operator[](std::size_t i) const noexcept { return data()[i]; }
  std::string_view view() const noexcept { return {data(), size()}; }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const noexcept { return view(); }
  operator std::string() const { return str(); }

  friend bool operator==(const TXMLString& a, std::string_view b) noexcept { return a.view() == b; }
  friend std::strong_ordering operator<=>(const TXMLString& a, std::string_view b) noexcept { return a.view() <=> b; }
  friend std::ostream& operator<<(std::ostream& out, const TXMLString& s) { return out << s.view(); }
  friend std::string operator+(const TXMLString& a, std::string_view b) { return std::string(a.view()).append(b); }
  friend std::string operator+(std::string_view a, const TXMLString& b) { return std::string(a).append(b.view()); }

private:
  static std::uint32_t Checked(std::size_t size) {
    if (size > MaxSize) throw std::length_error("TXMLString");
    return static_cast<std::uint32_t>(size);
  }
  void Assign(std::string_view s) {
    if (s.empty()) return;
    const std::uint32_t size = Checked(s.size());
    char* copy = new char[s.size() + 1];
    std::memcpy(copy, s.data(), s.size());
    copy[s.size()] = '\0';
    FData.set(copy);
    FSize = size << 1 | 1;
    xml_memory::NoteHeapUse();
  }
  void Take(TXMLString& other) {
    if (!(other.FSize & 1)) return Assign(other.view());
    xml_memory::NoteHeapUse();
    FData = other.FData;
    FSize = other.FSize;
    other.FData.set(nullptr);
    other.FSize = 0;
  }
  void Release() noexcept {
    if (FSize & 1) delete[] FData.get();
    FData.set(nullptr);
    FSize = 0;
  }

  TPackedPointer<const char> FData;
  std::uint32_t FSize = 0;  // length << 1, plus 1 when the bytes are owned
};
static_assert(sizeof(TXMLString) == 12);
