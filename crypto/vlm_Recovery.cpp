#include "vlm_Recovery.h"

#include <sodium.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr std::size_t kSecretChars = kRecoverySecretBytes * 8 / 5;  // 32
constexpr std::size_t kCheckChars = 4;
constexpr std::size_t kGroup = 4;
constexpr const char* kCheckContext = "velmora-recovery-check";
constexpr const char* kSeedContext = "velmora-recovery-seed";

// The 20-bit checksum of the secret, as four 5-bit values.
void Checksum(const unsigned char* secret, unsigned char out[kCheckChars]) {
  unsigned char hash[16];
  crypto_generichash(hash, sizeof hash, secret, kRecoverySecretBytes,
                     reinterpret_cast<const unsigned char*>(kCheckContext), std::strlen(kCheckContext));
  const std::uint32_t bits = (std::uint32_t{hash[0]} << 12) | (std::uint32_t{hash[1]} << 4) | (hash[2] >> 4);
  for (std::size_t i = 0; i < kCheckChars; ++i) out[i] = (bits >> (5 * (kCheckChars - 1 - i))) & 31;
}

// The 5-bit value of the typed character that `rest` begins with, -1 for a separator to skip, -2
// for anything else; `used` receives its length in bytes (2 for a Cyrillic letter in UTF-8).
int ValueOf(std::string_view rest, std::size_t& used) {
  used = 1;
  const unsigned char c = static_cast<unsigned char>(rest[0]);
  if (c == ' ' || c == '-' || c == '\t' || c == '\r' || c == '\n') return -1;
  if (c >= 0x80) {
    // Letters a Russian keyboard gives for the Latin ones they look like.
    static constexpr struct { const char* utf8; char latin; } kLookAlikes[] = {
        {"А", 'A'}, {"В", 'B'}, {"С", 'C'}, {"Е", 'E'}, {"Н", 'H'}, {"К", 'K'}, {"М", 'M'}, {"О", '0'},
        {"Р", 'P'}, {"Т", 'T'}, {"Х", 'X'}, {"а", 'A'}, {"в", 'B'}, {"с", 'C'}, {"е", 'E'}, {"н", 'H'},
        {"к", 'K'}, {"м", 'M'}, {"о", '0'}, {"р", 'P'}, {"т", 'T'}, {"х", 'X'}};
    for (const auto& l : kLookAlikes)
      if (rest.starts_with(l.utf8)) {
        used = std::strlen(l.utf8);
        return static_cast<int>(std::strchr(kAlphabet, l.latin) - kAlphabet);
      }
    return -2;
  }
  char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (upper == 'O') upper = '0';
  if (upper == 'I' || upper == 'L') upper = '1';
  const char* at = upper ? std::strchr(kAlphabet, upper) : nullptr;
  return at ? static_cast<int>(at - kAlphabet) : -2;
}

}  // namespace

TSecretBytes NewRecoverySecret() {
  TSecretBytes secret(kRecoverySecretBytes);
  randombytes_buf(secret.Data(), secret.Size());
  return secret;
}

std::string RecoveryLine(const TSecretBytes& secret) {
  unsigned char values[kSecretChars + kCheckChars];
  // 160 bits, five at a time, high bits first
  for (std::size_t i = 0; i < kSecretChars; ++i) {
    const std::size_t bit = 5 * i;
    const unsigned pair = (unsigned{secret.Data()[bit / 8]} << 8) |
                          (bit / 8 + 1 < kRecoverySecretBytes ? secret.Data()[bit / 8 + 1] : 0u);
    values[i] = (pair >> (11 - bit % 8)) & 31;
  }
  Checksum(secret.Data(), values + kSecretChars);
  std::string line;
  line.reserve(sizeof values + sizeof values / kGroup);
  for (std::size_t i = 0; i < sizeof values; ++i) {
    if (i > 0 && i % kGroup == 0) line += '-';
    line += kAlphabet[values[i]];
  }
  sodium_memzero(values, sizeof values);
  return line;
}

TSealError ParseRecoveryLine(std::string_view line, TSecretBytes& secret) {
  unsigned char values[kSecretChars + kCheckChars];
  std::size_t count = 0;
  TSealError result = seOk;
  for (std::size_t pos = 0; pos < line.size() && result == seOk;) {
    std::size_t used = 1;
    const int v = ValueOf(line.substr(pos), used);
    pos += used;
    if (v == -1) continue;
    if (v < 0 || count == sizeof values) result = seMistypedRecoveryKey;
    else values[count++] = static_cast<unsigned char>(v);
  }
  if (result == seOk && count != sizeof values) result = seMistypedRecoveryKey;
  if (result == seOk) {
    TSecretBytes read(kRecoverySecretBytes);
    std::memset(read.Data(), 0, read.Size());
    for (std::size_t i = 0; i < kSecretChars; ++i)
      for (int b = 4; b >= 0; --b) {
        const std::size_t bit = 5 * i + static_cast<std::size_t>(4 - b);
        if ((values[i] >> b) & 1) read.Data()[bit / 8] |= static_cast<unsigned char>(0x80 >> (bit % 8));
      }
    unsigned char check[kCheckChars];
    Checksum(read.Data(), check);
    if (std::memcmp(check, values + kSecretChars, kCheckChars) != 0) result = seMistypedRecoveryKey;
    else secret = std::move(read);
  }
  sodium_memzero(values, sizeof values);
  return result;
}

void RecoveryKeyPair(const TSecretBytes& secret, unsigned char* publicKey, TSecretBytes& secretKey) {
  TSecretBytes seed(crypto_box_SEEDBYTES);
  crypto_generichash(seed.Data(), seed.Size(), secret.Data(), secret.Size(),
                     reinterpret_cast<const unsigned char*>(kSeedContext), std::strlen(kSeedContext));
  secretKey = TSecretBytes(crypto_box_SECRETKEYBYTES);
  crypto_box_seed_keypair(publicKey, secretKey.Data(), seed.Data());
}
