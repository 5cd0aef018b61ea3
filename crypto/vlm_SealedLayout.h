#pragma once
// The byte layout of sealed files, shared by the whole-file functions and the streams (internal to
// the encryption core; vlm_Sealed.h describes it).
#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vlm_Keys.h"
#include "vlm_SealError.h"

namespace sealed_layout {

inline constexpr std::string_view kMagic = "VELMORA-SEALED 1\n";
inline constexpr std::string_view kMagicName = "VELMORA-SEALED ";
inline constexpr std::size_t kBlockAt = 17;
inline constexpr std::size_t kChunkAt = kBlockAt + TKeyBlock::kBytes;  // 249
inline constexpr std::size_t kSegmentAt = kChunkAt + 4;                // 253
inline constexpr std::size_t kLengthAt = kSegmentAt + 4;               // 257
inline constexpr std::size_t kChecksumAt = kLengthAt + 8;              // 265
inline constexpr std::size_t kHeaderBytes = kChecksumAt + 16;          // 281
inline constexpr std::size_t kStreamHeader = crypto_secretstream_xchacha20poly1305_HEADERBYTES;  // 24
inline constexpr std::size_t kChunkOverhead = crypto_secretstream_xchacha20poly1305_ABYTES;      // 17
// What is written, and what is read.
inline constexpr std::size_t kChunkBytes = 64 << 10;
inline constexpr std::size_t kSegmentChunks = 64;
inline constexpr std::size_t kMinChunk = 4 << 10, kMaxChunk = 16 << 20, kMaxSegmentChunks = 1 << 16;

// Where each chunk and segment of a text of `Length` bytes lies. Every chunk but the last is full
// and the last is not (it may be empty), so a writer can send a chunk as soon as it is full, and
// every segment but the last holds SegmentChunks full chunks.
struct TLayout {
  std::uint64_t Chunk = kChunkBytes, SegmentChunks = kSegmentChunks, Length = 0;

  std::uint64_t Chunks() const { return Length / Chunk + 1; }
  std::uint64_t Segments() const { return (Chunks() + SegmentChunks - 1) / SegmentChunks; }
  std::uint64_t PlainOf(std::uint64_t chunk) const { return chunk + 1 < Chunks() ? Chunk : Length % Chunk; }
  std::uint64_t FullSegmentBytes() const { return kStreamHeader + SegmentChunks * (Chunk + kChunkOverhead); }
  std::uint64_t SegmentAt(std::uint64_t segment) const { return kHeaderBytes + segment * FullSegmentBytes(); }
  std::uint64_t SealedSize() const { return kHeaderBytes + Segments() * kStreamHeader + Length + Chunks() * kChunkOverhead; }
};

// The BLAKE2b-128 of bytes [0, kChecksumAt) of a header, into `out`.
void HeaderChecksum(const unsigned char* header, unsigned char* out);

// The associated data of chunk `chunk` (the `last` of the text or not) into `out` (room for kMaxAd
// bytes); returns its length: the header up to the length and the segment's number for the first
// chunk of a segment, the length for the last chunk, both for a chunk that is both, else nothing.
inline constexpr std::size_t kMaxAd = kLengthAt + 16;
std::size_t ChunkAd(const unsigned char* header, std::uint64_t chunk, std::uint64_t segmentChunks, bool last,
                    unsigned char* out);

struct THeader {
  TKeyBlock Block;
  TLayout Layout;
};

// Checks the first bytes of a sealed file (kHeaderBytes of them, or all the file has) and reads
// its header: seNotSealed, seNewerFormat, seTruncated, seDamagedHeader, seBadParameters.
TSealError ReadHeader(std::string_view head, THeader& header);

// Checks the header against the key and the file's size: seOtherKey, seTruncated, seDamaged.
TSealError CheckFits(const THeader& header, const TLibraryKey& key, std::uint64_t size);

}  // namespace sealed_layout
