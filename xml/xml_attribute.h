#pragma once
#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "xml_string.h"
#include "xml_types.h"

class TXMLAttribute {
public:
  TXMLAttribute() = default;
  TXMLAttribute(std::string_view name, std::string_view value) : Name(name), Value(value) {}

  // Reads `name="value"` from one token (trailing blank included); returns a result code.
  TXMLResult Parse(std::string_view token);
  // The same for a token whose trailing blank is not stored; xrMalformedAttribute without "=".
  // With `borrow`, Name and Value refer to the token's bytes instead of copying them.
  TXMLResult ParseBody(std::string_view body, bool borrow = false);

  TXMLString Name;
  TXMLString Value;
};

// The attribute and child lists of a journal's tree are hundreds of thousands of small blocks; taken
// from the general allocator each costs 8 to 24 bytes of header and rounding, several MiB in all.
// Their allocator therefore takes small blocks from per-thread pools of exact-size slots
// (xml_node.cpp); larger ones, and all under AddressSanitizer, come from operator new as usual.
namespace xml_pool {
void* Allocate(std::size_t bytes);
void Free(void* p, std::size_t bytes) noexcept;

template <class T>
struct TPooledAllocator {
  TPooledAllocator() noexcept = default;
  template <class U>
  TPooledAllocator(const TPooledAllocator<U>&) noexcept {}
  using value_type = T;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using propagate_on_container_move_assignment = std::true_type;
  using is_always_equal = std::true_type;
  T* allocate(std::size_t n) {
    if (n > std::size_t(-1) / 2 / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(Allocate(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { Free(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const TPooledAllocator<U>&) const noexcept { return true; }
};
}  // namespace xml_pool

// The attribute list of an element.
using TXMLAttributeList = std::vector<TXMLAttribute, xml_pool::TPooledAllocator<TXMLAttribute>>;
