#pragma once
// Memory for secrets: keys live in libsodium's guarded allocations (locked out of swap where the
// system allows, wiped when freed), and plaintext the caller no longer needs is wiped in place.
#include <cstddef>
#include <string>

// A fixed number of secret bytes in sodium_malloc'd memory; wiped and freed with the object.
// Raises std::bad_alloc when the memory cannot be had.
class TSecretBytes {
public:
  TSecretBytes() = default;
  explicit TSecretBytes(std::size_t size);
  ~TSecretBytes();
  TSecretBytes(TSecretBytes&& other) noexcept;
  TSecretBytes& operator=(TSecretBytes&& other) noexcept;
  TSecretBytes(const TSecretBytes&) = delete;
  TSecretBytes& operator=(const TSecretBytes&) = delete;

  unsigned char* Data() noexcept { return FData; }
  const unsigned char* Data() const noexcept { return FData; }
  std::size_t Size() const noexcept { return FSize; }
  bool Empty() const noexcept { return FData == nullptr; }

private:
  unsigned char* FData = nullptr;
  std::size_t FSize = 0;
};

// Overwrites every byte the string holds (up to its capacity) with zeros, then empties it.
void WipeString(std::string& s) noexcept;

// Starts libsodium once (safe from any thread); false when it cannot start.
bool SodiumReady() noexcept;
