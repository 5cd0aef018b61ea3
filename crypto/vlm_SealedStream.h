#pragma once
// Sealing and opening a file a chunk at a time, so that a large journal is never held twice in
// memory and a save or a load can run beside the XML writer and reader: the writer takes the text
// in pieces as it is produced, the reader hands it out like read(2). Both keep a reference to the
// key, which must outlive them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vlm_Sealed.h"
#include "vlm_Secret.h"

struct crypto_secretstream_xchacha20poly1305_state;

// Writes a sealed file: the header at once, each chunk once full (a segment's stream header before
// its first), the last at Finish, then the plaintext length and the checksum into the header
// (pwrite). One thread. A file not finished is no sealed file: the caller throws it away.
class TSealWriter {
public:
  // `fd`: a file open for writing, at its start (a new temporary file). An empty key fails every
  // call (EINVAL).
  TSealWriter(int fd, const TLibraryKey& key);
  ~TSealWriter();
  TSealWriter(const TSealWriter&) = delete;
  TSealWriter& operator=(const TSealWriter&) = delete;

  // False (errno set) when the file could not be written; every later call fails too.
  bool Write(std::string_view plain);
  bool Finish();

private:
  void Begin(const TLibraryKey& key);
  bool Put(const unsigned char* bytes, std::size_t n);
  bool Push(const char* plain, std::size_t n, bool final);
  bool PushBuffered(bool final);
  int FFd = -1;
  unsigned char FHeader[kSealedHeaderBytes];
  std::string FPlain;   // the chunk being filled (wiped as it goes)
  std::string FCipher;  // a sealed chunk on its way out
  std::uint64_t FLength = 0, FChunk = 0;  // text taken; chunks sent
  const unsigned char* FStreamKey = nullptr;
  bool FFailed = false;
  TSecretBytes FState;
  crypto_secretstream_xchacha20poly1305_state* State() noexcept;
};

// Reads a sealed file, one thread. Begin checks the header, the key and the file's size against
// the length the header gives, before any plaintext: a shortened or lengthened file is refused
// then. Each chunk is authenticated before its bytes are handed out; a change in the middle is
// found when its chunk is reached, and what was read before must then be dropped (as the XML
// reader drops a tree whose text failed). Read returning 0 with Error() seOk is the only proof
// that the whole file was good.
class TSealReader {
public:
  TSealReader(int fd, const TLibraryKey& key);  // a file open for reading, at its start
  ~TSealReader();
  TSealReader(const TSealReader&) = delete;
  TSealReader& operator=(const TSealReader&) = delete;

  TSealError Begin();
  // Up to n bytes of plaintext into `to`: the count, 0 at the end, -1 on an error (Error()).
  std::ptrdiff_t Read(char* to, std::size_t n);
  TSealError Error() const noexcept { return FError; }
  std::uint64_t Length() const noexcept { return FLength; }  // after Begin: the plaintext's length

private:
  const unsigned char* Fetch(std::size_t n);
  bool Pull(unsigned char* to);
  std::size_t NextSize() const;
  int FFd = -1;
  const TLibraryKey& FKey;
  TSealError FError = seOk;
  std::uint64_t FChunkBytes = 0, FSegmentChunks = 0, FLength = 0, FChunks = 0, FDone = 0;
  unsigned char FHeader[kSealedHeaderBytes];
  std::string FCipher, FPlain;  // a chunk read from the file; a decrypted chunk not all handed out
  std::size_t FPlainAt = 0;
  TSecretBytes FState;
  crypto_secretstream_xchacha20poly1305_state* State() noexcept;
};
