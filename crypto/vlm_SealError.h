#pragma once
// Why a sealed file, a key record or a secret was refused: one value per case the user is told
// apart, with its message. Nothing is ever read in part: every value but seOk means no plaintext.
#include <cstdint>

enum TSealError : std::uint8_t {
  seOk = 0,
  seNotSealed,            // the bytes are not a sealed file
  seNewerFormat,          // sealed by a newer version of the program
  seDamagedHeader,        // the header of a sealed file is damaged
  seTruncated,            // the file is shorter than its header says
  seDamaged,              // the sealed bytes were changed (or bytes were added)
  seOtherKey,             // sealed with another key than the one given: another password
  seWrongPassword,
  seWrongRecoveryKey,     // a well-formed recovery key of something else
  seMistypedRecoveryKey,  // not a recovery key: a character is wrong, missing or extra
  seBadParameters,        // key parameters beyond what the program accepts
  seDamagedKeyRecord,     // a key record (the library file's, or one unwrapped) is damaged or forged
  seNoMemory,             // not enough memory to derive the key
  seFoundPlain,           // a journal of an encrypted library is in plain text
  seFoundSealed,          // a journal of a library that is not encrypted is sealed
  seUnavailable,          // libsodium could not start
  seCannotRead,           // the file could not be read (errno tells why)
};

// The message for the user (UTF-8, Russian); empty for seOk.
const char* SealErrorText(TSealError error) noexcept;
