// Keys: the password and the recovery key open the diary, nothing else does, and a new password
// leaves the recovery key working.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "crypto_test_util.h"
#include "vlm_Sealed.h"

namespace {

constexpr std::uint64_t MiB = 1 << 20;

class KeysTest : public ::testing::Test {
protected:
  void SetUp() override {
    Key = TestKey("пароль", &Recovery);
    ASSERT_EQ(Seal(Plain, Key, Sealed), seOk);
  }
  // True when `key` opens the journal sealed in SetUp.
  bool Opens(const TLibraryKey& key) {
    std::string opened;
    return OpenSealed(Sealed, key, opened) == seOk && opened == Plain;
  }
  TLibraryKey Key;
  std::string Recovery, Plain = TestJournal(3), Sealed;
};

TEST_F(KeysTest, TheRightPasswordOpensAndAWrongOneOpensNothing) {
  TLibraryKey unlocked;
  EXPECT_EQ(TLibraryKey::Unlock(Key.Block(), "Пароль", unlocked), seWrongPassword);
  EXPECT_EQ(TLibraryKey::Unlock(Key.Block(), "", unlocked), seWrongPassword);
  EXPECT_TRUE(unlocked.Empty());
  ASSERT_EQ(TLibraryKey::Unlock(Key.Block(), "пароль", unlocked), seOk);
  EXPECT_TRUE(Opens(unlocked));
}

TEST_F(KeysTest, TheRecoveryKeyOpensAsShownAsTypedLooselyAndIsToldMistypedOrWrong) {
  // Nine groups of four characters of the unambiguous alphabet.
  const std::string_view alphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
  ASSERT_EQ(Recovery.size(), 44u) << Recovery;
  for (std::size_t i = 0; i < Recovery.size(); ++i)
    EXPECT_TRUE(i % 5 == 4 ? Recovery[i] == '-' : alphabet.find(Recovery[i]) != std::string_view::npos) << Recovery;
  TLibraryKey unlocked;
  ASSERT_EQ(TLibraryKey::UnlockWithRecovery(Key.Block(), Recovery, unlocked), seOk);
  EXPECT_TRUE(Opens(unlocked));

  // Lower case, blanks for dashes, O for 0 and Cyrillic look-alikes (of ten letters, so that
  // nearly every line has some) read as the line.
  const std::map<char, std::string> cyrillic = {{'A', "А"}, {'B', "в"}, {'C', "с"}, {'E', "Е"}, {'H', "н"},
                                                {'K', "К"}, {'M', "м"}, {'P', "Р"}, {'T', "т"}, {'X', "х"}};
  std::string loose;
  for (char c : Recovery) {
    if (c == '-') loose += "  ";
    else if (c == '0') loose += 'o';
    else if (cyrillic.count(c)) loose += cyrillic.at(c);
    else loose += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  TLibraryKey again;
  EXPECT_EQ(TLibraryKey::UnlockWithRecovery(Key.Block(), loose, again), seOk);

  std::string changed = Recovery;
  changed[5] = changed[5] == 'A' ? 'B' : 'A';
  std::string swapped = Recovery;
  std::size_t at = 0;
  while (swapped[at] == swapped[at + 1] || swapped[at] == '-' || swapped[at + 1] == '-') ++at;
  std::swap(swapped[at], swapped[at + 1]);
  for (const std::string& typo :
       {changed, swapped, Recovery.substr(1), Recovery + "7", Recovery.substr(0, 20) + "U" + Recovery.substr(21)})
    EXPECT_EQ(TLibraryKey::UnlockWithRecovery(Key.Block(), typo, again), seMistypedRecoveryKey) << typo;

  std::string otherLine;
  TestKey("пароль", &otherLine);
  EXPECT_EQ(TLibraryKey::UnlockWithRecovery(Key.Block(), otherLine, again), seWrongRecoveryKey);
}

TEST_F(KeysTest, ANewPasswordMakesANewKeyThatTheOldPasswordCannotOpenButTheRecoveryKeyCan) {
  TLibraryKey renewed;
  ASSERT_EQ(TLibraryKey::Renew(Key, "новый", kFastKdf, renewed), seOk);
  EXPECT_NE(renewed.Block().KeyId, Key.Block().KeyId);
  std::string sealedAfter;
  ASSERT_EQ(Seal(Plain, renewed, sealedAfter), seOk);
  std::string opened;
  EXPECT_EQ(OpenSealed(sealedAfter, Key, opened), seOtherKey);

  TLibraryKey unlocked;
  EXPECT_EQ(TLibraryKey::Unlock(renewed.Block(), "пароль", unlocked), seWrongPassword);
  ASSERT_EQ(TLibraryKey::Unlock(renewed.Block(), "новый", unlocked), seOk);
  EXPECT_EQ(OpenSealed(sealedAfter, unlocked, opened), seOk);
  ASSERT_EQ(TLibraryKey::UnlockWithRecovery(renewed.Block(), Recovery, unlocked), seOk);
  EXPECT_EQ(OpenSealed(sealedAfter, unlocked, opened), seOk);
  EXPECT_EQ(opened, Plain);
  // An old file (a backup) still opens with the recovery key through its own header.
  TKeyBlock oldBlock;
  ASSERT_EQ(SealedKeyBlock(Sealed, oldBlock), seOk);
  ASSERT_EQ(TLibraryKey::UnlockWithRecovery(oldBlock, Recovery, unlocked), seOk);
  EXPECT_TRUE(Opens(unlocked));
}

TEST_F(KeysTest, TheKeyRecordOfTheLibraryFileReadsBackAndRefusesDamageAndTampering) {
  const std::string text = Key.Block().ToText();
  TKeyBlock read;
  ASSERT_EQ(read.FromText(text), seOk);
  TLibraryKey unlocked;
  ASSERT_EQ(TLibraryKey::Unlock(read, "пароль", unlocked), seOk);
  EXPECT_TRUE(Opens(unlocked));

  std::string damaged = text;
  damaged[40] = damaged[40] == 'A' ? 'B' : 'A';
  EXPECT_EQ(read.FromText(damaged), seDamagedKeyRecord);
  EXPECT_EQ(read.FromText(text.substr(0, text.size() - 4)), seDamagedKeyRecord);
  std::string newer = text;
  newer.replace(0, 13, "VELMORA-KEY 2");
  EXPECT_EQ(read.FromText(newer), seNewerFormat);

  // A record asking for a terabyte of memory is refused before any derivation.
  TKeyBlock greedy = Key.Block();
  greedy.Kdf.MemLimit = std::uint64_t{1} << 40;
  EXPECT_EQ(read.FromText(greedy.ToText()), seBadParameters);
  EXPECT_EQ(TLibraryKey::Unlock(greedy, "пароль", unlocked), seBadParameters);

  // Someone without the password cannot put a recovery key of their own into the record: the
  // password no longer opens it, so no new key would ever be sealed to theirs.
  TKeyBlock swapped = Key.Block();
  swapped.RecoveryPublic = TestKey("чужой").Block().RecoveryPublic;
  EXPECT_EQ(TLibraryKey::Unlock(swapped, "пароль", unlocked), seWrongPassword);
}

TEST(KdfTuning, StaysWithinTheTimeAndMemoryBoundsOnFastAndSlowMachines) {
  // Machines by how many bytes of Argon2id memory they pass over in a second.
  for (double rate : {8192.0 * MiB, 2048.0 * MiB, 320.0 * MiB, 160.0 * MiB, 40.0 * MiB}) {
    auto measure = [rate](const TKdfParams& p) { return static_cast<double>(p.OpsLimit * p.MemLimit) / rate; };
    const TKdfTuning t = TuneKdf(0.5, measure);
    EXPECT_GE(t.Seconds, 0.3) << rate / MiB;
    EXPECT_LE(t.Seconds, 1.0) << rate / MiB;
    EXPECT_EQ(t.Seconds, measure(t.Params));
    EXPECT_GE(t.Params.MemLimit, (rate >= 160.0 * MiB ? 64 : 16) * MiB) << rate / MiB;
    EXPECT_LE(t.Params.MemLimit, 256 * MiB);
  }
}

}  // namespace
