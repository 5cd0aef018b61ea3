#pragma once
// Little-endian fields of the sealed formats (internal to the encryption core).
#include <cstdint>

inline void PutLE(unsigned char* out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline std::uint64_t GetLE(const unsigned char* in, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | in[i];
  return v;
}
