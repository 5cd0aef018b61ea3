#pragma once
// The keys of an encrypted library.
//
// Hierarchy. A random data key (32 bytes) seals every journal of the library; the key that seals
// a journal's bytes is derived from it (crypto_kdf, a context of its own). The data key is kept
// on disk only wrapped, twice, in a key record (TKeyBlock) that the library file and the header
// of every sealed journal hold:
//   - by the password: Argon2id (crypto_pwhash, ALG_ARGON2ID13) of the password with a salt of
//     the record's own and the parameters stored beside it gives a key-encryption key, which
//     wraps the data key with XChaCha20-Poly1305; the record's other fields (key id, parameters,
//     salt, recovery public key) are its associated data, so none can be changed unnoticed;
//   - by the recovery key: the data key sealed (crypto_box_seal) to the public half of an X25519
//     key pair made from the recovery secret (vlm_Recovery.h); the secret half exists only while
//     the user's typed line is being used. No Argon2id here: the secret is 160 random bits.
// So a journal names everything needed to open it given the password or the recovery key: it is
// self-describing, also when it comes back from an old backup.
//
// The password verifier is the wrapped data key itself: unwrapping it checks a Poly1305 tag keyed
// by the password's key (a keyed hash of the derived key, compared in constant time by libsodium).
// Neither the password nor anything it can be computed back from is stored.
//
// Changing the password makes a new data key (Renew): whoever had the old password and a copy of
// an old file (a backup, a sync folder's history) cannot open what is written after the change.
// The recovery key keeps working across the change without being shown again: sealing the new
// data key to the recovery public key needs no secret. A new recovery key is issued only when the
// user asks for one (Create with the same or a new password), e.g. when the line may have been seen.
// Because the recovery public key is part of the password's associated data, nobody who lacks the
// password can swap in a public key of their own to receive the next data key.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "vlm_SealError.h"
#include "vlm_Secret.h"

// Argon2id's cost: passes over memory and the memory in bytes.
struct TKdfParams {
  std::uint64_t OpsLimit = 0;
  std::uint64_t MemLimit = 0;
  bool operator==(const TKdfParams&) const = default;
};

// What a key record may ask for; beyond this it is refused (seBadParameters), so that a damaged or
// hostile file cannot make a login take hours or all memory.
inline constexpr std::uint64_t kMaxOpsLimit = 64;
inline constexpr std::uint64_t kMaxMemLimit = std::uint64_t{1} << 30;

// Parameters for about `targetSeconds` (kept within 0.3..1 s) of one derivation on this machine:
// memory 64..256 MiB at two passes, more passes above that, less memory (down to 16 MiB) only where
// 64 MiB at one pass takes over a second. Runs a few derivations (about two seconds).
struct TKdfTuning {
  TKdfParams Params;
  double Seconds = 0;  // the time of the last derivation measured, with those parameters
};
TKdfTuning TuneKdf(double targetSeconds = 0.5);
// The same with a given measure of one derivation's seconds (the tests model machines with it).
TKdfTuning TuneKdf(double targetSeconds, const std::function<double(const TKdfParams&)>& measure);
// Seconds of one derivation with `params` here: the processor time of the deriving thread, so that
// other programs busy at the time of tuning do not weaken the key.
double MeasureKdf(const TKdfParams& params);

// The key record: everything about the key that may be stored in plain.
struct TKeyBlock {
  std::array<unsigned char, 16> KeyId{};  // random, names the data key (a new one at each renewal)
  TKdfParams Kdf;
  std::array<unsigned char, 16> Salt{};
  std::array<unsigned char, 32> RecoveryPublic{};
  std::array<unsigned char, 24> PasswordNonce{};
  std::array<unsigned char, 48> PasswordWrapped{};   // data key + Poly1305 tag
  std::array<unsigned char, 80> RecoveryWrapped{};   // crypto_box_seal of the data key

  // Binary form (fields in this order, integers little-endian 8 bytes), as in a sealed header.
  static constexpr std::size_t kBytes = 232;
  void ToBytes(unsigned char* out) const;
  // seBadParameters when the parameters are out of the accepted range.
  TSealError FromBytes(const unsigned char* in);

  // The form kept in the library file: "VELMORA-KEY 1 " and the base64 of the binary form followed
  // by a BLAKE2b checksum (accidental damage is told apart from a wrong password).
  std::string ToText() const;
  // seDamagedKeyRecord, seNewerFormat or seBadParameters when `text` is not such a record.
  TSealError FromText(std::string_view text);
};

// An unlocked key: the record and the data key (in guarded memory). Move-only; empty until made
// by one of the functions below. Passwords are the bytes typed, in UTF-8.
class TLibraryKey {
public:
  // A new data key, salt and recovery key; `recoveryLine` receives the recovery key to show once.
  static TSealError Create(std::string_view password, const TKdfParams& kdf, TLibraryKey& key,
                           std::string& recoveryLine);
  // A new data key for a new password (or new parameters); the recovery key of `current` keeps
  // opening what the new key seals.
  static TSealError Renew(const TLibraryKey& current, std::string_view password, const TKdfParams& kdf,
                          TLibraryKey& key);
  // Derives the password's key once and unwraps the data key: seWrongPassword, seBadParameters,
  // seNoMemory.
  static TSealError Unlock(const TKeyBlock& block, std::string_view password, TLibraryKey& key);
  // seMistypedRecoveryKey (not a well-formed line), seWrongRecoveryKey, or seDamagedKeyRecord (the
  // right key, but what it unwraps was changed).
  static TSealError UnlockWithRecovery(const TKeyBlock& block, std::string_view recoveryLine, TLibraryKey& key);

  bool Empty() const noexcept { return FSecret.Empty(); }
  const TKeyBlock& Block() const noexcept { return FBlock; }
  // The key of crypto_secretstream for sealed journals (32 bytes); for vlm_Sealed.cpp.
  const unsigned char* StreamKey() const noexcept;

private:
  static TSealError Make(std::string_view password, const TKdfParams& kdf, const unsigned char* recoveryPublic,
                         TLibraryKey& key);
  void Adopt(const TKeyBlock& block, TSecretBytes dataKey);
  TKeyBlock FBlock;
  TSecretBytes FSecret;  // data key, then the stream key
};
