#pragma once
// Sealed journals: the bytes of a journal exactly as they would be written in plain, sealed with
// the library's key (crypto_secretstream_xchacha20poly1305), behind a header that names what opens
// them. Layout of version 1 (integers little-endian):
//
//   offset size
//        0   17  "VELMORA-SEALED 1\n"
//       17  232  the key record (TKeyBlock: key id, Argon2id passes and memory, salt, recovery public
//                key, the data key wrapped by the password and sealed to the recovery key)
//      249    4  plaintext bytes per chunk (65536 written; 4 KiB..16 MiB read)
//      253    4  chunks per segment (64 written, 4 MiB of text)
//      257    8  plaintext length
//      265   16  BLAKE2b-128 of bytes 0..264: accidental damage to the header is told as such
//      281       segments, each a secretstream of its own: its 24-byte header, then its chunks, each
//                the next chunk-size bytes of plaintext sealed with 17 bytes more, but for the
//                very last, which holds the rest (fewer than chunk-size bytes, perhaps none) and is
//                tagged FINAL where all others are MESSAGE
//
// The first chunk of each segment has bytes 0..256 and the segment's number (8 bytes) as
// associated data, the last chunk of the file the length, so a change of any byte anywhere is
// refused, and so is a segment moved, repeated or left out. The length (written last, when a
// streamed save knows it) refuses a shortened or lengthened file before any plaintext is produced,
// and the FINAL tag one cut short and given a forged length. Segments let a whole file be sealed
// and opened on several cores at once. The first line tells sealed bytes from a plain journal,
// which begins with "<?xml". vlm_SealedStream.h seals and opens a file a chunk at a time.
#include <cstddef>
#include <string>
#include <string_view>

#include "vlm_Keys.h"
#include "vlm_SealError.h"

// How many leading bytes IsSealed needs, and SealedKeyBlock.
inline constexpr std::size_t kSealedHeadBytes = 17;
inline constexpr std::size_t kSealedHeaderBytes = 281;
inline constexpr std::size_t kSealedChunkBytes = 64 << 10;

// True when `head` (a file's first bytes, kSealedHeadBytes of them or all it has) begins as a
// sealed file: of any version, or with its first line damaged. A plain journal never does.
bool IsSealed(std::string_view head);

// What a library expects to find: seOk, seFoundPlain (a plain file in an encrypted library) or
// seFoundSealed (a sealed file in a library that is not encrypted).
TSealError ExpectSealed(std::string_view head, bool encryptedLibrary);

// Seals `plain` with `key` into `sealed` (replaced), on up to four threads. The plaintext is left
// to the caller to wipe. seUnavailable, or seBadParameters when `key` is empty.
TSealError Seal(std::string_view plain, const TLibraryKey& key, std::string& sealed);

// Opens sealed bytes into `plain` (replaced; a buffer kept from an earlier call is reused), on up
// to four threads: all of it, or on any error nothing (what was decrypted before the error is
// wiped). seNotSealed, seNewerFormat, seDamagedHeader, seBadParameters, seOtherKey (sealed with
// another data key: SealedKeyBlock names it), seTruncated, seDamaged.
TSealError OpenSealed(std::string_view sealed, const TLibraryKey& key, std::string& plain);

// The key record in the header of sealed bytes (the first kSealedHeaderBytes suffice), to unlock a
// file sealed with another key (TLibraryKey::Unlock or UnlockWithRecovery). The errors of
// OpenSealed's header checks.
TSealError SealedKeyBlock(std::string_view sealed, TKeyBlock& block);
