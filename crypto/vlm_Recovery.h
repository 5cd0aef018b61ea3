#pragma once
// Recovery keys: a random secret of 160 bits, shown to the user once as a printable line, that
// opens the diary instead of the password. The line is 36 characters of the Crockford base-32
// alphabet "0123456789ABCDEFGHJKMNPQRSTVWXYZ" (no I, L, O, U, which read as other characters) in
// nine groups of four joined by "-": 32 carry the secret, the last 4 a 20-bit checksum, so a
// mistyped line is told as mistyped (one in a million slips through) rather than as a wrong key.
#include <cstddef>
#include <string>
#include <string_view>

#include "vlm_SealError.h"
#include "vlm_Secret.h"

inline constexpr std::size_t kRecoverySecretBytes = 20;
inline constexpr std::size_t kRecoveryPublicBytes = 32;  // crypto_box_PUBLICKEYBYTES

// A new secret from the system's random source.
TSecretBytes NewRecoverySecret();

// The line shown to the user, e.g. "7K3M-QX9P-...". Wipe it (WipeString) once shown.
std::string RecoveryLine(const TSecretBytes& secret);

// Reads a typed line into `secret`. Case, blanks and dashes do not matter; "O" reads as "0", "I" and
// "L" as "1", and the Cyrillic letters that look like Latin ones (А В С Е Н К М О Р Т Х, either
// case) as those. seMistypedRecoveryKey when a character is outside the alphabet, the count is not
// 36, or the checksum does not match.
TSealError ParseRecoveryLine(std::string_view line, TSecretBytes& secret);

// The X25519 key pair of the secret (for crypto_box_seal): the public half is kept in the key
// record, the secret half is made only when the user types the line.
void RecoveryKeyPair(const TSecretBytes& secret, unsigned char* publicKey, TSecretBytes& secretKey);
