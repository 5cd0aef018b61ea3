#include "vlm_SealedStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "vlm_Bytes.h"
#include "vlm_SealedLayout.h"

using namespace sealed_layout;

namespace {

using TState = crypto_secretstream_xchacha20poly1305_state;
constexpr unsigned char kTagMessage = crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
constexpr unsigned char kTagFinal = crypto_secretstream_xchacha20poly1305_TAG_FINAL;

unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); }

}  // namespace

// --- TSealWriter ---

TSealWriter::TSealWriter(int fd, const TLibraryKey& key) : FFd(fd) { Begin(key); }

// The header but for the length and the checksum, which Finish fills in.
void TSealWriter::Begin(const TLibraryKey& key) {
  if (key.Empty() || !SodiumReady()) {
    errno = EINVAL;
    FFailed = true;
    return;
  }
  FState = TSecretBytes(sizeof(TState));
  FStreamKey = key.StreamKey();
  std::memset(FHeader, 0, sizeof FHeader);
  std::memcpy(FHeader, kMagic.data(), kMagic.size());
  key.Block().ToBytes(FHeader + kBlockAt);
  PutLE(FHeader + kChunkAt, kChunkBytes, 4);
  PutLE(FHeader + kSegmentAt, kSegmentChunks, 4);
  FPlain.reserve(kChunkBytes);
  FCipher.resize(kStreamHeader + kChunkBytes + kChunkOverhead);
  FFailed = !Put(FHeader, kHeaderBytes);
}

TSealWriter::~TSealWriter() { WipeString(FPlain); }

crypto_secretstream_xchacha20poly1305_state* TSealWriter::State() noexcept {
  return reinterpret_cast<TState*>(FState.Data());
}

bool TSealWriter::Put(const unsigned char* bytes, std::size_t n) {
  while (n > 0) {
    const ssize_t put = ::write(FFd, bytes, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = EIO;
      return false;
    }
    bytes += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

// Seals the next chunk (after its segment's stream header when it opens one) and sends it on.
bool TSealWriter::Push(const char* plain, std::size_t n, bool final) {
  unsigned char* out = Bytes(FCipher);
  std::size_t size = 0;
  if (FChunk % kSegmentChunks == 0) {
    crypto_secretstream_xchacha20poly1305_init_push(State(), out, FStreamKey);
    size = kStreamHeader;
  }
  unsigned char ad[kMaxAd];
  const std::size_t adBytes = ChunkAd(FHeader, FChunk, kSegmentChunks, final, ad);
  crypto_secretstream_xchacha20poly1305_push(State(), out + size, nullptr, reinterpret_cast<const unsigned char*>(plain),
                                             n, ad, adBytes, final ? kTagFinal : kTagMessage);
  ++FChunk;
  FFailed = !Put(out, size + n + kChunkOverhead);
  return !FFailed;
}

bool TSealWriter::PushBuffered(bool final) {
  const bool ok = Push(FPlain.data(), FPlain.size(), final);
  sodium_memzero(FPlain.data(), FPlain.size());
  FPlain.clear();
  return ok;
}

bool TSealWriter::Write(std::string_view plain) {
  while (!FFailed && !plain.empty()) {
    if (FPlain.empty() && plain.size() >= kChunkBytes) {  // a whole chunk of the caller's, not copied
      Push(plain.data(), kChunkBytes, false);
      FLength += kChunkBytes;
      plain.remove_prefix(kChunkBytes);
    } else {
      const std::size_t take = std::min(kChunkBytes - FPlain.size(), plain.size());
      FPlain.append(plain.substr(0, take));
      FLength += take;
      plain.remove_prefix(take);
      if (FPlain.size() == kChunkBytes) PushBuffered(false);
    }
  }
  return !FFailed;
}

bool TSealWriter::Finish() {
  if (FFailed) return false;
  PutLE(FHeader + kLengthAt, FLength, 8);
  if (!PushBuffered(true)) return false;
  HeaderChecksum(FHeader, FHeader + kChecksumAt);
  const std::size_t n = kHeaderBytes - kLengthAt;  // the length and the checksum
  for (;;) {
    const ssize_t put = ::pwrite(FFd, FHeader + kLengthAt, n, static_cast<off_t>(kLengthAt));
    if (put < 0 && errno == EINTR) continue;
    if (put != static_cast<ssize_t>(n) && put >= 0) errno = EIO;
    FFailed = put != static_cast<ssize_t>(n);
    return !FFailed;
  }
}

// --- TSealReader ---

TSealReader::TSealReader(int fd, const TLibraryKey& key) : FFd(fd), FKey(key) {}

TSealReader::~TSealReader() { WipeString(FPlain); }

crypto_secretstream_xchacha20poly1305_state* TSealReader::State() noexcept {
  return reinterpret_cast<TState*>(FState.Data());
}

// The next n bytes of the file, read into FCipher. nullptr when the file ends first (it was cut
// after Begin) or cannot be read (FError set).
const unsigned char* TSealReader::Fetch(std::size_t n) {
  if (FCipher.size() < n) FCipher.resize(n);
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(FFd, FCipher.data() + got, n - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return FError = r == 0 ? seTruncated : seCannotRead, nullptr;
    got += static_cast<std::size_t>(r);
  }
  return Bytes(FCipher);
}

TSealError TSealReader::Begin() {
  if (!SodiumReady()) return FError = seUnavailable;
  struct stat st {};
  if (::fstat(FFd, &st) != 0) return FError = seCannotRead;
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  const std::size_t head = static_cast<std::size_t>(std::min<std::uint64_t>(kHeaderBytes, size));
  const unsigned char* h = Fetch(head);
  if (!h) return FError;
  std::memcpy(FHeader, h, head);
  THeader header;
  FError = ReadHeader({reinterpret_cast<const char*>(FHeader), head}, header);
  if (FError == seOk) FError = CheckFits(header, FKey, size);
  if (FError != seOk) return FError;
  FChunkBytes = header.Layout.Chunk;
  FSegmentChunks = header.Layout.SegmentChunks;
  FLength = header.Layout.Length;
  FChunks = header.Layout.Chunks();
  FState = TSecretBytes(sizeof(TState));
  return seOk;
}

std::size_t TSealReader::NextSize() const {
  return static_cast<std::size_t>(std::min(FChunkBytes, FLength - FDone * FChunkBytes));
}

// Opens the next chunk into `to`, which has room for it.
bool TSealReader::Pull(unsigned char* to) {
  const std::size_t n = NextSize();
  const bool opensSegment = FDone % FSegmentChunks == 0;
  const std::size_t size = (opensSegment ? kStreamHeader : 0) + n + kChunkOverhead;
  const unsigned char* in = Fetch(size);
  if (!in) return false;
  const bool last = FDone + 1 == FChunks;
  unsigned char ad[kMaxAd];
  const std::size_t adBytes = ChunkAd(FHeader, FDone, FSegmentChunks, last, ad);
  unsigned char tag = 0;
  if ((opensSegment && crypto_secretstream_xchacha20poly1305_init_pull(State(), in, FKey.StreamKey()) != 0) ||
      crypto_secretstream_xchacha20poly1305_pull(State(), to, nullptr, &tag, in + size - n - kChunkOverhead,
                                                 n + kChunkOverhead, ad, adBytes) != 0 ||
      tag != (last ? kTagFinal : kTagMessage)) {
    sodium_memzero(to, n);
    FError = seDamaged;
    return false;
  }
  ++FDone;
  return true;
}

std::ptrdiff_t TSealReader::Read(char* to, std::size_t n) {
  if (FError != seOk || FState.Empty()) {
    if (FError == seOk) FError = seBadParameters;  // Read before Begin
    WipeString(FPlain);
    return -1;
  }
  if (FPlainAt < FPlain.size()) {  // the rest of a chunk opened before
    const std::size_t give = std::min(n, FPlain.size() - FPlainAt);
    std::memcpy(to, FPlain.data() + FPlainAt, give);
    FPlainAt += give;
    return static_cast<std::ptrdiff_t>(give);
  }
  if (FDone == FChunks) return 0;
  const std::size_t next = NextSize();
  if (n >= next) {  // straight into the caller's buffer
    if (!Pull(reinterpret_cast<unsigned char*>(to))) return -1;
    return static_cast<std::ptrdiff_t>(next);  // 0 only for the empty last chunk of an empty text
  }
  if (n == 0) return 0;
  sodium_memzero(FPlain.data(), FPlain.size());
  FPlain.resize(next);
  FPlainAt = 0;
  if (!Pull(Bytes(FPlain))) {
    WipeString(FPlain);
    return -1;
  }
  return Read(to, n);
}
