// The sealed file format: what goes in comes out, and anything else is refused whole.
#include <gtest/gtest.h>

#include <sodium.h>

#include <filesystem>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "crypto_test_util.h"
#include "vlm_Sealed.h"
#include "vlm_SealedStream.h"
#include "vlm_TempFolder.h"

namespace {

class SealedTest : public ::testing::Test {
protected:
  void SetUp() override {
    Key = TestKey("пароль");
    Plain = TestJournal(1000);  // about three chunks
    ASSERT_GT(Plain.size(), 2 * kSealedChunkBytes);
    ASSERT_EQ(Seal(Plain, Key, Sealed), seOk);
  }
  TSealError Open(const std::string& sealed) {
    Opened = "left from before";
    const TSealError e = OpenSealed(sealed, Key, Opened);
    if (e != seOk) {
      EXPECT_EQ(Opened, "") << "no plaintext leaves a refused file";
    }
    return e;
  }
  // Three segments of 4 MiB or less.
  std::string Large() const {
    std::string large;
    while (large.size() <= 2 * 64 * kSealedChunkBytes) large += Plain;
    return large;
  }
  // What someone who changes the header on purpose does: makes its checksum good again.
  static void MendChecksum(std::string& sealed) {
    auto* h = reinterpret_cast<unsigned char*>(sealed.data());
    crypto_generichash(h + 265, 16, h, 265, nullptr, 0);
  }
  TLibraryKey Key;
  std::string Plain, Sealed, Opened;
};

TEST_F(SealedTest, JournalsOfEverySizeComeBackByteForByteAndNoPlainWordIsOnDisk) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, kSealedChunkBytes, kSealedChunkBytes + 1, Plain.size()}) {
    const std::string plain = Plain.substr(0, size);
    std::string sealed;
    ASSERT_EQ(Seal(plain, Key, sealed), seOk);
    EXPECT_TRUE(IsSealed(sealed));
    EXPECT_EQ(Open(sealed), seOk) << size;
    EXPECT_EQ(Opened, plain) << size;
  }
  EXPECT_NE(Plain.find("lucidword"), std::string::npos);
  EXPECT_EQ(Sealed.find("lucidword"), std::string::npos);
  EXPECT_EQ(Sealed.find("velmora"), std::string::npos);
  // Sealing twice gives other bytes (a fresh stream nonce), both opening to the same text.
  std::string again;
  ASSERT_EQ(Seal(Plain, Key, again), seOk);
  EXPECT_NE(again, Sealed);
}

TEST_F(SealedTest, AFlippedByteInTheHeaderOrTheBodyIsRefused) {
  const std::size_t firstChunkEnd = kSealedHeaderBytes + 24 + kSealedChunkBytes + 17;
  const struct {
    std::size_t at;
    TSealError expected;
  } cases[] = {
      {3, seDamagedHeader},     // the first line
      {20, seDamagedHeader},    // key id
      {35, seDamagedHeader},    // passes of Argon2id
      {50, seDamagedHeader},    // salt
      {70, seDamagedHeader},    // recovery public key
      {130, seDamagedHeader},   // data key wrapped by the password
      {200, seDamagedHeader},   // data key sealed to the recovery key
      {250, seDamagedHeader},   // chunk size
      {254, seDamagedHeader},   // chunks per segment
      {260, seDamagedHeader},   // plaintext length
      {270, seDamagedHeader},   // header checksum
      {290, seDamaged},         // the secretstream header of the first segment
      {kSealedHeaderBytes + 24, seDamaged},  // the first chunk's tag
      {kSealedHeaderBytes + 124, seDamaged},
      {firstChunkEnd - 1, seDamaged},   // the first chunk's MAC
      {firstChunkEnd + 5000, seDamaged},
      {Sealed.size() - 1, seDamaged},   // the final chunk's MAC
  };
  for (const auto& c : cases) {
    std::string damaged = Sealed;
    damaged[c.at] = static_cast<char>(damaged[c.at] ^ 0x10);
    EXPECT_EQ(Open(damaged), c.expected) << "byte " << c.at;
    EXPECT_TRUE(IsSealed(damaged)) << "byte " << c.at;
  }
}

TEST_F(SealedTest, AHeaderChangedOnPurposeIsRefusedEvenWithItsChecksumMadeGood) {
  // The checksum only tells accidents; the header is authenticated with the body.
  for (std::size_t at : {std::size_t{70}, std::size_t{130}, std::size_t{200}}) {
    std::string forged = Sealed;
    forged[at] = static_cast<char>(forged[at] ^ 1);
    MendChecksum(forged);
    EXPECT_EQ(Open(forged), seDamaged) << "byte " << at;
  }
  // A file cut 100 bytes into its second chunk and given the length that fits.
  std::string cut = Sealed.substr(0, kSealedHeaderBytes + 24 + kSealedChunkBytes + 17 + 117);
  for (int i = 0; i < 8; ++i) cut[257 + i] = static_cast<char>(std::uint64_t{kSealedChunkBytes + 100} >> (8 * i));
  MendChecksum(cut);
  EXPECT_EQ(Open(cut), seDamaged);
}

TEST_F(SealedTest, SegmentsOpenOnSeveralThreadsAndOneMovedOrRepeatedIsRefused) {
  const std::string large = Large();
  const std::size_t segment = 24 + 64 * (kSealedChunkBytes + 17);
  std::string sealed;
  ASSERT_EQ(Seal(large, Key, sealed), seOk);
  ASSERT_EQ(Open(sealed), seOk);
  EXPECT_EQ(Opened, large);
  const std::string first = sealed.substr(kSealedHeaderBytes, segment);
  const std::string second = sealed.substr(kSealedHeaderBytes + segment, segment);
  std::string swapped = sealed;
  swapped.replace(kSealedHeaderBytes, segment, second).replace(kSealedHeaderBytes + segment, segment, first);
  EXPECT_EQ(Open(swapped), seDamaged);
  std::string repeated = sealed;
  repeated.replace(kSealedHeaderBytes + segment, segment, first);
  EXPECT_EQ(Open(repeated), seDamaged);
  std::string flipped = sealed;
  flipped[kSealedHeaderBytes + 2 * segment + 5] ^= 1;  // the last segment's stream header
  EXPECT_EQ(Open(flipped), seDamaged);
}

TEST_F(SealedTest, AShortenedOrLengthenedFileIsRefused) {
  const std::size_t firstChunkEnd = kSealedHeaderBytes + 24 + kSealedChunkBytes + 17;
  for (std::size_t size : {std::size_t{10}, std::size_t{16}, std::size_t{200}, kSealedHeaderBytes,
                           kSealedHeaderBytes + 500, firstChunkEnd, Sealed.size() - 17, Sealed.size() - 1})
    EXPECT_EQ(Open(Sealed.substr(0, size)), seTruncated) << size;
  EXPECT_EQ(Open(Sealed + "x"), seDamaged);
}

TEST_F(SealedTest, AFileSealedWithAnotherPasswordNamesItsKeyAndOpensWithIt) {
  TLibraryKey other = TestKey("другой");
  std::string sealed;
  ASSERT_EQ(Seal(Plain, other, sealed), seOk);
  EXPECT_EQ(Open(sealed), seOtherKey);
  TKeyBlock block;
  ASSERT_EQ(SealedKeyBlock(sealed, block), seOk);
  TLibraryKey unlocked;
  EXPECT_EQ(TLibraryKey::Unlock(block, "пароль", unlocked), seWrongPassword);
  ASSERT_EQ(TLibraryKey::Unlock(block, "другой", unlocked), seOk);
  EXPECT_EQ(OpenSealed(sealed, unlocked, Opened), seOk);
  EXPECT_EQ(Opened, Plain);
}

TEST_F(SealedTest, AFileSealedAndOpenedInPiecesOfAnySizeIsTheSameFormat) {
  TTempFolder folder("velmora-sealed");
  const std::string path = (folder.Path / "j.xml").string();
  const std::string large = Large();
  const std::string_view text = large;
  // Pieces smaller than a chunk, then the rest.
  for (std::size_t cut : {std::size_t{0}, kSealedChunkBytes, std::size_t{300000}, large.size()}) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    TSealWriter writer(fd, Key);
    for (std::size_t at = 0; at < cut; at += 1000)
      ASSERT_TRUE(writer.Write(text.substr(at, std::min<std::size_t>(1000, cut - at))));
    ASSERT_TRUE(writer.Write(text.substr(cut)));
    ASSERT_TRUE(writer.Finish());
    ::close(fd);

    std::string bytes(std::filesystem::file_size(path), '\0');
    fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::read(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(Open(bytes), seOk) << cut;
    EXPECT_TRUE(Opened == large);

    ::lseek(fd, 0, SEEK_SET);
    TSealReader reader(fd, Key);
    ASSERT_EQ(reader.Begin(), seOk);
    std::string read;
    char piece[7000];
    for (std::ptrdiff_t n; (n = reader.Read(piece, sizeof piece)) > 0;) read.append(piece, static_cast<std::size_t>(n));
    ::close(fd);
    EXPECT_EQ(reader.Error(), seOk);
    EXPECT_TRUE(read == large) << cut;
  }
  // A file cut short is refused before any of it is read.
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(Sealed.size() / 2)), 0);
  const int fd = ::open(path.c_str(), O_RDONLY);
  TSealReader reader(fd, Key);
  EXPECT_EQ(reader.Begin(), seTruncated);
  char piece[10];
  EXPECT_EQ(reader.Read(piece, sizeof piece), -1);
  ::close(fd);
}

TEST_F(SealedTest, PlainAndSealedAreToldApart) {
  EXPECT_FALSE(IsSealed(Plain));
  EXPECT_FALSE(IsSealed("<?xml version=\"1.0\"?>"));
  EXPECT_FALSE(IsSealed(""));
  EXPECT_TRUE(IsSealed(Sealed.substr(0, kSealedHeadBytes)));
  EXPECT_EQ(ExpectSealed(Sealed, true), seOk);
  EXPECT_EQ(ExpectSealed(Plain, false), seOk);
  EXPECT_EQ(ExpectSealed(Plain, true), seFoundPlain);
  EXPECT_EQ(ExpectSealed(Sealed, false), seFoundSealed);
  EXPECT_EQ(Open(Plain), seNotSealed);
  std::string newer = Sealed;
  newer.replace(0, kSealedHeadBytes, "VELMORA-SEALED 2\n");
  EXPECT_EQ(Open(newer), seNewerFormat);
  EXPECT_STRNE(SealErrorText(seFoundPlain), "");
}

}  // namespace
