#include "vlm_Secret.h"

#include <sodium.h>

#include <new>
#include <utility>

TSecretBytes::TSecretBytes(std::size_t size) : FSize(size) {
  if (!SodiumReady()) throw std::bad_alloc();
  FData = static_cast<unsigned char*>(sodium_malloc(size));
  if (!FData) throw std::bad_alloc();
}

TSecretBytes::~TSecretBytes() {
  if (FData) sodium_free(FData);  // wipes before it frees
}

TSecretBytes::TSecretBytes(TSecretBytes&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)), FSize(std::exchange(other.FSize, 0)) {}

TSecretBytes& TSecretBytes::operator=(TSecretBytes&& other) noexcept {
  if (this != &other) {
    if (FData) sodium_free(FData);
    FData = std::exchange(other.FData, nullptr);
    FSize = std::exchange(other.FSize, 0);
  }
  return *this;
}

void WipeString(std::string& s) noexcept {
  // resize within the capacity never reallocates, so every byte the buffer ever held is reached
  s.resize(s.capacity());
  sodium_memzero(s.data(), s.size());
  s.clear();
}

bool SodiumReady() noexcept {
  static const bool ready = sodium_init() >= 0;
  return ready;
}
