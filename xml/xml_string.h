#pragma once
// The strings of the element tree: names, attribute values and text.
#include <atomic>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
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

// A pointer kept in storage of 4-byte alignment, so that a list of the tree, a pointer and a
// 32-bit count, takes 12 bytes instead of 16.
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

// A string as an arena keeps it (TXMLArena::NewString): the eight bytes of a TXMLString that
// borrows it, copied freely; it lives as long as its arena.
struct TXMLStringRef {
  std::uint64_t Word = 0;
};

// A byte string in 8 bytes (a tree holds about two per node and two per attribute). Up to seven
// bytes are kept in the string itself. A longer one either borrows bytes its document keeps or owns
// a copy of its own; its length is kept in 4 bytes before its bytes. The reader borrows: the names,
// values and text of a loaded file live in the document's arena, so loading and freeing a tree
// costs no allocation per string. Whatever a program assigns is copied, and so is a borrowed string
// when it is copied or moved, so a string taken out of a tree stays valid after its document is
// gone. A string holds at most MaxSize bytes.
//
// The eight bytes, read as one little-endian word: 0 for the empty string; top byte 0x80 + length
// for a short string, whose bytes come first; else the address of the length (top byte 0), with
// kOwned set when the bytes are the string's own. Addresses of this program's memory leave the top
// byte free (checked where one is stored).
class TXMLString {
public:
  static constexpr std::size_t MaxSize = 0x7FFFFFFF;
  static constexpr std::size_t MaxInline = 7;

  TXMLString() noexcept = default;
  explicit TXMLString(std::string_view s) { Assign(s); }
  explicit TXMLString(const char* s) { Assign(s); }
  explicit TXMLString(const std::string& s) { Assign(s); }
  TXMLString(const TXMLString& other) { Assign(other.view()); }
  TXMLString(TXMLString&& other) { Take(other); }
  ~TXMLString() { Release(); }

  TXMLString& operator=(std::string_view s) { return assign(s); }
  TXMLString& operator=(const char* s) { return assign(s); }
  TXMLString& operator=(const std::string& s) { return assign(s); }
  TXMLString& operator=(const TXMLString& other) { return &other == this ? *this : assign(other.view()); }
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
    SetWord(fresh.Word());
    fresh.SetWord(0);
    return *this;
  }
  // Refers to a string of the document's arena; nothing is copied.
  void Borrow(TXMLStringRef s) noexcept {
    Release();
    SetWord(s.Word);
  }
  void clear() noexcept { Release(); }

  const char* data() const noexcept {
    const std::uint64_t w = Word();
    if (w >> 63) return reinterpret_cast<const char*>(FBytes);
    return w ? Address(w) + 4 : "";
  }
  std::size_t size() const noexcept {
    const std::uint64_t w = Word();
    if (w >> 63) return (w >> 56) & 7;
    return w ? StoredSize(Address(w)) : 0;
  }
  std::size_t length() const noexcept { return size(); }
  bool empty() const noexcept { return Word() == 0; }
  const char* begin() const noexcept { return data(); }
  const char* end() const noexcept { return data() + size(); }
  char operator[](std::size_t i) const noexcept { return data()[i]; }
  std::string_view view() const noexcept { return View(Word(), reinterpret_cast<const char*>(FBytes)); }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const noexcept { return view(); }
  operator std::string() const { return str(); }

  friend bool operator==(const TXMLString& a, std::string_view b) noexcept { return a.view() == b; }
  friend std::strong_ordering operator<=>(const TXMLString& a, std::string_view b) noexcept { return a.view() <=> b; }
  friend std::ostream& operator<<(std::ostream& out, const TXMLString& s) { return out << s.view(); }
  friend std::string operator+(const TXMLString& a, std::string_view b) { return std::string(a.view()).append(b); }
  friend std::string operator+(std::string_view a, const TXMLString& b) { return std::string(a).append(b.view()); }

  // The string a word stands for; `inlineBytes` is where the word's own bytes are kept.
  static std::string_view View(std::uint64_t w, const char* inlineBytes) noexcept {
    if (w >> 63) return {inlineBytes, static_cast<std::size_t>((w >> 56) & 7)};
    if (!w) return {};
    const char* p = Address(w);
    return {p + 4, StoredSize(p)};
  }
  // The word of a short string (s.size() <= MaxInline, not empty).
  static std::uint64_t InlineWord(std::string_view s) noexcept {
    const std::size_t n = s.size();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::uint64_t w;
    if (n >= 4) {  // two loads that overlap, instead of a call to memcpy of a variable size
      std::uint32_t lo, hi;
      std::memcpy(&lo, p, 4);
      std::memcpy(&hi, p + n - 4, 4);
      w = lo | std::uint64_t{hi} << (8 * (n - 4));
    } else {
      w = p[0] | std::uint64_t{p[n / 2]} << (8 * (n / 2)) | std::uint64_t{p[n - 1]} << (8 * (n - 1));
    }
    return w | (std::uint64_t{0x80} | n) << 56;
  }
  // The word of a long string whose 4-byte length stands at `p`, its bytes after it.
  static std::uint64_t AddressWord(const char* p) {
    const auto w = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
    if (w >> 56) throw std::bad_alloc();  // an address this representation cannot hold
    return w;
  }

private:
  static_assert(std::endian::native == std::endian::little, "short strings keep their bytes first");
  static constexpr std::uint64_t kOwned = std::uint64_t{1} << 62;

  static const char* Address(std::uint64_t w) noexcept {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(w & ~kOwned));
  }
  static std::size_t StoredSize(const char* p) noexcept {
    std::uint32_t n;
    std::memcpy(&n, p, 4);
    return n;
  }
  std::uint64_t Word() const noexcept {
    std::uint64_t w;
    std::memcpy(&w, FBytes, 8);
    return w;
  }
  void SetWord(std::uint64_t w) noexcept { std::memcpy(FBytes, &w, 8); }

  void Assign(std::string_view s) {
    if (s.empty()) return;
    if (s.size() <= MaxInline) return SetWord(InlineWord(s));
    if (s.size() > MaxSize) throw std::length_error("TXMLString");
    const auto size = static_cast<std::uint32_t>(s.size());
    char* block = new char[4 + s.size() + 1];
    std::memcpy(block, &size, 4);
    std::memcpy(block + 4, s.data(), s.size());
    block[4 + s.size()] = '\0';
    try {
      SetWord(AddressWord(block) | kOwned);
    } catch (...) {
      delete[] block;
      throw;
    }
    xml_memory::NoteHeapUse();
  }
  void Take(TXMLString& other) {
    const std::uint64_t w = other.Word();
    if (w >> 63 || !w) return SetWord(w);
    if (!(w & kOwned)) return Assign(other.view());
    xml_memory::NoteHeapUse();
    SetWord(w);
    other.SetWord(0);
  }
  void Release() noexcept {
    const std::uint64_t w = Word();
    if (!(w >> 63) && (w & kOwned)) delete[] Address(w);
    SetWord(0);
  }

  unsigned char FBytes[8] = {};
};
static_assert(sizeof(TXMLString) == 8);
