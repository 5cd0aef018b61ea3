#include "vlm_Keys.h"

#include <sodium.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstring>
#include <vector>

#include "vlm_Bytes.h"
#include "vlm_Recovery.h"

namespace {

constexpr const char* kTextPrefix = "VELMORA-KEY ";
constexpr const char* kTextVersion = "1";
constexpr std::size_t kChecksumBytes = 16;
constexpr const char* kAdPrefix = "VELMORA-KEY 1";
constexpr char kKdfContext[crypto_kdf_CONTEXTBYTES + 1] = "VlmSeal1";
constexpr std::uint64_t kStreamSubkey = 1;
constexpr std::uint64_t MiB = std::uint64_t{1} << 20;

static_assert(crypto_box_PUBLICKEYBYTES == kRecoveryPublicBytes);
static_assert(crypto_aead_xchacha20poly1305_ietf_NPUBBYTES == 24);
static_assert(crypto_box_SEALBYTES + 32 == 80 && crypto_aead_xchacha20poly1305_ietf_ABYTES + 32 == 48);
static_assert(crypto_pwhash_SALTBYTES == 16);

bool KdfAccepted(const TKdfParams& kdf) {
  return kdf.OpsLimit >= crypto_pwhash_argon2id_OPSLIMIT_MIN && kdf.OpsLimit <= kMaxOpsLimit &&
         kdf.MemLimit >= crypto_pwhash_argon2id_MEMLIMIT_MIN && kdf.MemLimit <= kMaxMemLimit;
}

// The associated data of the password's wrapping: every field of the record but the wrapped keys.
std::vector<unsigned char> PasswordAd(const TKeyBlock& b) {
  std::vector<unsigned char> ad(kAdPrefix, kAdPrefix + std::strlen(kAdPrefix));
  ad.insert(ad.end(), b.KeyId.begin(), b.KeyId.end());
  unsigned char n[16];
  PutLE(n, b.Kdf.OpsLimit, 8);
  PutLE(n + 8, b.Kdf.MemLimit, 8);
  ad.insert(ad.end(), n, n + sizeof n);
  ad.insert(ad.end(), b.Salt.begin(), b.Salt.end());
  ad.insert(ad.end(), b.RecoveryPublic.begin(), b.RecoveryPublic.end());
  return ad;
}

// The password's key-encryption key; seNoMemory when Argon2id could not have its memory.
TSealError DeriveKek(const TKeyBlock& b, std::string_view password, TSecretBytes& kek) {
  kek = TSecretBytes(crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
  if (crypto_pwhash(kek.Data(), kek.Size(), password.data(), password.size(), b.Salt.data(), b.Kdf.OpsLimit,
                    static_cast<std::size_t>(b.Kdf.MemLimit), crypto_pwhash_ALG_ARGON2ID13) != 0)
    return seNoMemory;
  return seOk;
}

void Checksum(const unsigned char* data, std::size_t n, unsigned char* out) {
  crypto_generichash(out, kChecksumBytes, data, n, nullptr, 0);
}

// The parameters that spend about `work` (passes times bytes) in one derivation.
TKdfParams ForWork(double work) {
  auto wholeMiB = [](double bytes) { return static_cast<std::uint64_t>(bytes / MiB) * MiB; };
  if (work >= 2.0 * 256 * MiB)
    return {std::clamp<std::uint64_t>(static_cast<std::uint64_t>(std::llround(work / (256.0 * MiB))), 2, 32), 256 * MiB};
  if (work >= 2.0 * 64 * MiB) return {2, wholeMiB(work / 2)};
  return {1, std::clamp(wholeMiB(work), 16 * MiB, 128 * MiB)};
}

}  // namespace

void TKeyBlock::ToBytes(unsigned char* out) const {
  auto put = [&out](const auto& field) { out = std::copy(field.begin(), field.end(), out); };
  put(KeyId);
  PutLE(out, Kdf.OpsLimit, 8);
  PutLE(out + 8, Kdf.MemLimit, 8);
  out += 16;
  put(Salt);
  put(RecoveryPublic);
  put(PasswordNonce);
  put(PasswordWrapped);
  put(RecoveryWrapped);
}

TSealError TKeyBlock::FromBytes(const unsigned char* in) {
  auto get = [&in](auto& field) {
    std::copy(in, in + field.size(), field.begin());
    in += field.size();
  };
  get(KeyId);
  Kdf = {GetLE(in, 8), GetLE(in + 8, 8)};
  in += 16;
  get(Salt);
  get(RecoveryPublic);
  get(PasswordNonce);
  get(PasswordWrapped);
  get(RecoveryWrapped);
  return KdfAccepted(Kdf) ? seOk : seBadParameters;
}

std::string TKeyBlock::ToText() const {
  unsigned char bytes[kBytes + kChecksumBytes];
  ToBytes(bytes);
  Checksum(bytes, kBytes, bytes + kBytes);
  std::string text = std::string(kTextPrefix) + kTextVersion + " ";
  const std::size_t start = text.size();
  text.resize(start + sodium_base64_ENCODED_LEN(sizeof bytes, sodium_base64_VARIANT_ORIGINAL));
  sodium_bin2base64(text.data() + start, text.size() - start, bytes, sizeof bytes, sodium_base64_VARIANT_ORIGINAL);
  text.resize(std::strlen(text.c_str()));
  return text;
}

TSealError TKeyBlock::FromText(std::string_view text) {
  if (!text.starts_with(kTextPrefix)) return seDamagedKeyRecord;
  text.remove_prefix(std::strlen(kTextPrefix));
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return seDamagedKeyRecord;
  if (text.substr(0, blank) != kTextVersion) return seNewerFormat;
  text.remove_prefix(blank + 1);
  unsigned char bytes[kBytes + kChecksumBytes];
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(bytes, sizeof bytes, text.data(), text.size(), nullptr, &length, &end,
                        sodium_base64_VARIANT_ORIGINAL) != 0 ||
      length != sizeof bytes || end != text.data() + text.size())
    return seDamagedKeyRecord;
  unsigned char sum[kChecksumBytes];
  Checksum(bytes, kBytes, sum);
  if (std::memcmp(sum, bytes + kBytes, kChecksumBytes) != 0) return seDamagedKeyRecord;
  TKeyBlock read;
  const TSealError e = read.FromBytes(bytes);
  if (e == seOk) *this = read;
  return e;
}

TKdfTuning TuneKdf(double targetSeconds) { return TuneKdf(targetSeconds, MeasureKdf); }

TKdfTuning TuneKdf(double targetSeconds, const std::function<double(const TKdfParams&)>& measure) {
  const double target = std::clamp(targetSeconds, 0.3, 1.0);
  TKdfTuning tuning{{2, 64 * MiB}, 0};
  tuning.Seconds = measure(tuning.Params);
  // Argon2id's time grows with passes times memory; a few corrections settle near the target.
  for (int round = 0; round < 3; ++round) {
    if (std::abs(tuning.Seconds - target) <= 0.2 * target) break;
    const double rate = static_cast<double>(tuning.Params.OpsLimit) * static_cast<double>(tuning.Params.MemLimit) /
                        std::max(tuning.Seconds, 1e-6);
    const TKdfParams next = ForWork(rate * target);
    if (next == tuning.Params) break;
    tuning.Params = next;
    tuning.Seconds = measure(next);
  }
  return tuning;
}

double MeasureKdf(const TKdfParams& params) {
  if (!SodiumReady()) return 0;
  unsigned char salt[crypto_pwhash_SALTBYTES];
  randombytes_buf(salt, sizeof salt);
  unsigned char key[32];
  // The processor time of this thread: what the machine needs, whatever else runs beside it.
  auto now = [] {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  };
  const double start = now();
  const int r = crypto_pwhash(key, sizeof key, "tuning", 6, salt, params.OpsLimit,
                              static_cast<std::size_t>(params.MemLimit), crypto_pwhash_ALG_ARGON2ID13);
  const double took = now() - start;
  sodium_memzero(key, sizeof key);
  return r == 0 ? took : 1e9;  // a cost that could not run counts as far too slow
}

const unsigned char* TLibraryKey::StreamKey() const noexcept { return FSecret.Data() + crypto_kdf_KEYBYTES; }

void TLibraryKey::Adopt(const TKeyBlock& block, TSecretBytes dataKey) {
  TSecretBytes secret(2 * crypto_kdf_KEYBYTES);
  std::memcpy(secret.Data(), dataKey.Data(), crypto_kdf_KEYBYTES);
  crypto_kdf_derive_from_key(secret.Data() + crypto_kdf_KEYBYTES, crypto_secretstream_xchacha20poly1305_KEYBYTES,
                             kStreamSubkey, kKdfContext, secret.Data());
  FBlock = block;
  FSecret = std::move(secret);
}

TSealError TLibraryKey::Make(std::string_view password, const TKdfParams& kdf, const unsigned char* recoveryPublic,
                             TLibraryKey& key) {
  if (!SodiumReady()) return seUnavailable;
  if (!KdfAccepted(kdf)) return seBadParameters;
  TKeyBlock b;
  b.Kdf = kdf;
  randombytes_buf(b.KeyId.data(), b.KeyId.size());
  randombytes_buf(b.Salt.data(), b.Salt.size());
  randombytes_buf(b.PasswordNonce.data(), b.PasswordNonce.size());
  std::copy(recoveryPublic, recoveryPublic + b.RecoveryPublic.size(), b.RecoveryPublic.begin());
  TSecretBytes dataKey(crypto_kdf_KEYBYTES);
  crypto_kdf_keygen(dataKey.Data());
  TSecretBytes kek;
  if (const TSealError e = DeriveKek(b, password, kek); e != seOk) return e;
  const std::vector<unsigned char> ad = PasswordAd(b);
  crypto_aead_xchacha20poly1305_ietf_encrypt(b.PasswordWrapped.data(), nullptr, dataKey.Data(), dataKey.Size(),
                                             ad.data(), ad.size(), nullptr, b.PasswordNonce.data(), kek.Data());
  crypto_box_seal(b.RecoveryWrapped.data(), dataKey.Data(), dataKey.Size(), b.RecoveryPublic.data());
  key.Adopt(b, std::move(dataKey));
  return seOk;
}

TSealError TLibraryKey::Create(std::string_view password, const TKdfParams& kdf, TLibraryKey& key,
                               std::string& recoveryLine) {
  if (!SodiumReady()) return seUnavailable;
  const TSecretBytes secret = NewRecoverySecret();
  unsigned char recoveryPublic[kRecoveryPublicBytes];
  TSecretBytes recoverySecretKey;
  RecoveryKeyPair(secret, recoveryPublic, recoverySecretKey);
  const TSealError e = Make(password, kdf, recoveryPublic, key);
  if (e == seOk) recoveryLine = RecoveryLine(secret);
  return e;
}

TSealError TLibraryKey::Renew(const TLibraryKey& current, std::string_view password, const TKdfParams& kdf,
                              TLibraryKey& key) {
  return Make(password, kdf, current.Block().RecoveryPublic.data(), key);
}

TSealError TLibraryKey::Unlock(const TKeyBlock& block, std::string_view password, TLibraryKey& key) {
  if (!SodiumReady()) return seUnavailable;
  if (!KdfAccepted(block.Kdf)) return seBadParameters;
  TSecretBytes kek;
  if (const TSealError e = DeriveKek(block, password, kek); e != seOk) return e;
  TSecretBytes dataKey(crypto_kdf_KEYBYTES);
  const std::vector<unsigned char> ad = PasswordAd(block);
  if (crypto_aead_xchacha20poly1305_ietf_decrypt(dataKey.Data(), nullptr, nullptr, block.PasswordWrapped.data(),
                                                 block.PasswordWrapped.size(), ad.data(), ad.size(),
                                                 block.PasswordNonce.data(), kek.Data()) != 0)
    return seWrongPassword;
  key.Adopt(block, std::move(dataKey));
  return seOk;
}

TSealError TLibraryKey::UnlockWithRecovery(const TKeyBlock& block, std::string_view recoveryLine, TLibraryKey& key) {
  if (!SodiumReady()) return seUnavailable;
  TSecretBytes secret;
  if (const TSealError e = ParseRecoveryLine(recoveryLine, secret); e != seOk) return e;
  unsigned char recoveryPublic[kRecoveryPublicBytes];
  TSecretBytes recoverySecretKey;
  RecoveryKeyPair(secret, recoveryPublic, recoverySecretKey);
  if (sodium_memcmp(recoveryPublic, block.RecoveryPublic.data(), sizeof recoveryPublic) != 0)
    return seWrongRecoveryKey;
  TSecretBytes dataKey(crypto_kdf_KEYBYTES);
  if (crypto_box_seal_open(dataKey.Data(), block.RecoveryWrapped.data(), block.RecoveryWrapped.size(),
                           recoveryPublic, recoverySecretKey.Data()) != 0)
    return seDamagedKeyRecord;  // the right key, but what it should open was changed
  key.Adopt(block, std::move(dataKey));
  return seOk;
}
