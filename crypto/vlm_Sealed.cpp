#include "vlm_Sealed.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "vlm_Bytes.h"
#include "vlm_SealedLayout.h"

using namespace sealed_layout;

static_assert(kMagic.size() == kSealedHeadBytes && kHeaderBytes == kSealedHeaderBytes && kChunkBytes == kSealedChunkBytes);

namespace {

using TState = crypto_secretstream_xchacha20poly1305_state;
constexpr unsigned char kTagMessage = crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
constexpr unsigned char kTagFinal = crypto_secretstream_xchacha20poly1305_TAG_FINAL;

unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); }
const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// Runs work(segment) for every segment on up to four threads (this one among them); false when any
// returned false. The threads share nothing but the counter and the flag.
bool ForEachSegment(std::uint64_t segments, const std::function<bool(std::uint64_t)>& work) {
  std::atomic<std::uint64_t> next{0};
  std::atomic<bool> ok{true};
  auto run = [&] {
    for (std::uint64_t s; ok && (s = next++) < segments;)
      if (!work(s)) ok = false;
  };
  const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  std::vector<std::thread> helpers;
  for (std::uint64_t i = 1; i < std::min<std::uint64_t>(cores, segments); ++i) helpers.emplace_back(run);
  run();
  for (std::thread& t : helpers) t.join();
  return ok;
}

// The chunks of one segment, from `in` to `out` (plaintext offsets and sealed offsets by the layout).
bool SealSegment(const TLayout& layout, const unsigned char* header, const unsigned char* key, std::uint64_t segment,
                 const unsigned char* plain, unsigned char* sealed) {
  TState state[1];  // wiped below; on the stack, as a thread cannot report a failed allocation
  unsigned char* out = sealed + layout.SegmentAt(segment);
  crypto_secretstream_xchacha20poly1305_init_push(state, out, key);
  out += kStreamHeader;
  const std::uint64_t first = segment * layout.SegmentChunks;
  const std::uint64_t end = std::min(first + layout.SegmentChunks, layout.Chunks());
  for (std::uint64_t c = first; c < end; ++c) {
    const std::size_t n = static_cast<std::size_t>(layout.PlainOf(c));
    const bool last = c + 1 == layout.Chunks();
    unsigned char ad[kMaxAd];
    const std::size_t adBytes = ChunkAd(header, c, layout.SegmentChunks, last, ad);
    crypto_secretstream_xchacha20poly1305_push(state, out, nullptr, plain + c * layout.Chunk, n, ad, adBytes,
                                               last ? kTagFinal : kTagMessage);
    out += n + kChunkOverhead;
  }
  sodium_memzero(state, sizeof state);
  return true;
}

bool OpenSegment(const TLayout& layout, const unsigned char* header, const unsigned char* key, std::uint64_t segment,
                 const unsigned char* sealed, unsigned char* plain) {
  TState state[1];
  const unsigned char* in = sealed + layout.SegmentAt(segment);
  bool ok = crypto_secretstream_xchacha20poly1305_init_pull(state, in, key) == 0;
  in += kStreamHeader;
  const std::uint64_t first = segment * layout.SegmentChunks;
  const std::uint64_t end = std::min(first + layout.SegmentChunks, layout.Chunks());
  for (std::uint64_t c = first; ok && c < end; ++c) {
    const std::size_t n = static_cast<std::size_t>(layout.PlainOf(c));
    const bool last = c + 1 == layout.Chunks();
    unsigned char ad[kMaxAd];
    const std::size_t adBytes = ChunkAd(header, c, layout.SegmentChunks, last, ad);
    unsigned char tag = 0;
    ok = crypto_secretstream_xchacha20poly1305_pull(state, plain + c * layout.Chunk, nullptr, &tag, in,
                                                    n + kChunkOverhead, ad, adBytes) == 0 &&
         tag == (last ? kTagFinal : kTagMessage);
    in += n + kChunkOverhead;
  }
  sodium_memzero(state, sizeof state);
  return ok;
}

}  // namespace

void sealed_layout::HeaderChecksum(const unsigned char* header, unsigned char* out) {
  crypto_generichash(out, 16, header, kChecksumAt, nullptr, 0);
}

std::size_t sealed_layout::ChunkAd(const unsigned char* header, std::uint64_t chunk, std::uint64_t segmentChunks,
                                   bool last, unsigned char* out) {
  std::size_t n = 0;
  if (chunk % segmentChunks == 0) {
    std::memcpy(out, header, kLengthAt);
    PutLE(out + kLengthAt, chunk / segmentChunks, 8);
    n = kLengthAt + 8;
  }
  if (last) {
    std::memcpy(out + n, header + kLengthAt, 8);
    n += 8;
  }
  return n;
}

TSealError sealed_layout::ReadHeader(std::string_view head, THeader& header) {
  if (!IsSealed(head)) return seNotSealed;
  if (!head.starts_with(kMagic)) {
    // "VELMORA-SEALED " and a version number on a line of its own: another version's file.
    const std::size_t end = head.find('\n');
    const std::string_view version =
        end == std::string_view::npos ? std::string_view{} : head.substr(kMagicName.size(), end - kMagicName.size());
    if (head.starts_with(kMagicName) && !version.empty() && version.size() < 10 &&
        std::all_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return seNewerFormat;
    return head.size() < kMagic.size() ? seTruncated : seDamagedHeader;
  }
  if (head.size() < kHeaderBytes) return seTruncated;
  const unsigned char* h = Bytes(head);
  unsigned char sum[16];
  HeaderChecksum(h, sum);
  if (std::memcmp(sum, h + kChecksumAt, sizeof sum) != 0) return seDamagedHeader;
  TLayout& layout = header.Layout;
  layout = {GetLE(h + kChunkAt, 4), GetLE(h + kSegmentAt, 4), GetLE(h + kLengthAt, 8)};
  if (layout.Chunk < kMinChunk || layout.Chunk > kMaxChunk || layout.SegmentChunks < 1 ||
      layout.SegmentChunks > kMaxSegmentChunks)
    return seDamagedHeader;
  return header.Block.FromBytes(h + kBlockAt);
}

TSealError sealed_layout::CheckFits(const THeader& header, const TLibraryKey& key, std::uint64_t size) {
  if (key.Empty()) return seBadParameters;
  if (header.Block.KeyId != key.Block().KeyId) return seOtherKey;
  // The plaintext is never longer than the file; below that the sums cannot overflow.
  if (header.Layout.Length > size || size < header.Layout.SealedSize()) return seTruncated;
  return size > header.Layout.SealedSize() ? seDamaged : seOk;
}

bool IsSealed(std::string_view head) {
  const std::size_t n = std::min(head.size(), kMagic.size());
  if (head.starts_with(kMagicName)) return true;
  if (n < kMagic.size()) return n >= 4 && kMagic.starts_with(head);  // a sealed file cut short
  // The first line with a few bytes damaged is still a sealed file's, not a plain journal's.
  std::size_t same = 0;
  for (std::size_t i = 0; i < n; ++i) same += head[i] == kMagic[i];
  return same + 3 >= n;
}

TSealError ExpectSealed(std::string_view head, bool encryptedLibrary) {
  const bool sealed = IsSealed(head);
  if (sealed == encryptedLibrary) return seOk;
  return encryptedLibrary ? seFoundPlain : seFoundSealed;
}

TSealError Seal(std::string_view plain, const TLibraryKey& key, std::string& sealed) {
  if (!SodiumReady()) return seUnavailable;
  if (key.Empty()) return seBadParameters;
  const TLayout layout{kChunkBytes, kSegmentChunks, plain.size()};
  sealed.resize(layout.SealedSize());
  unsigned char* h = Bytes(sealed);
  std::memcpy(h, kMagic.data(), kMagic.size());
  key.Block().ToBytes(h + kBlockAt);
  PutLE(h + kChunkAt, layout.Chunk, 4);
  PutLE(h + kSegmentAt, layout.SegmentChunks, 4);
  PutLE(h + kLengthAt, layout.Length, 8);
  HeaderChecksum(h, h + kChecksumAt);
  ForEachSegment(layout.Segments(), [&](std::uint64_t s) {
    return SealSegment(layout, h, key.StreamKey(), s, Bytes(plain), h);
  });
  return seOk;
}

TSealError OpenSealed(std::string_view sealed, const TLibraryKey& key, std::string& plain) {
  plain.clear();
  if (!SodiumReady()) return seUnavailable;
  THeader header;
  TSealError e = ReadHeader(sealed.substr(0, kHeaderBytes), header);
  if (e == seOk) e = CheckFits(header, key, sealed.size());
  if (e != seOk) return e;
  plain.resize(header.Layout.Length);
  const unsigned char* h = Bytes(sealed);
  if (ForEachSegment(header.Layout.Segments(), [&](std::uint64_t s) {
        return OpenSegment(header.Layout, h, key.StreamKey(), s, h, Bytes(plain));
      }))
    return seOk;
  WipeString(plain);
  return seDamaged;
}

TSealError SealedKeyBlock(std::string_view sealed, TKeyBlock& block) {
  THeader header;
  const TSealError e = ReadHeader(sealed.substr(0, kHeaderBytes), header);
  if (e == seOk) block = header.Block;
  return e;
}
