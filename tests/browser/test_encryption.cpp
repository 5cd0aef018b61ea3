// An encrypted library in the window: encrypting from the authorization dialog, no plain dream in
// any file of the library's folder, the login with the password or the recovery key, a new
// password, and the journals plain again.
#include <QDirIterator>
#include <QRegularExpression>
#include <ctime>

#include "vlm_Codec.h"
#include "vlm_DocumentState.h"
#include "vlm_KeyCost.h"
#include "vlm_Keys.h"
#include "vlm_Rekey.h"
#include "vlm_Sealed.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"
#include "vlm_UnsavedCopies.h"
#include "xml_functions.h"
#include "xml_node.h"

namespace {
const QByteArray kRare = "Zyxwortel";

class EncryptionTest : public BrowserTest {
protected:
  void SetUp() override {
    SetNewKeyCost({1, 8192});  // a login in the tests need not take half a second
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
                                        "  </directory>\n</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"),
                         QStringLiteral("<velmora>\n  <day name=\"d1\">\n    <experience number=\"001\" title=\"t\">\n"
                                        "      <description>a Zyxwortel b</description>\n"
                                        "    </experience>\n  </day>\n</velmora>\n"));
  }
  // Sets the credentials from the authorization button, answering its question with `yes`.
  void SetCredentials(const QString& password, bool encrypt, bool yes = true) {
    Ui.Logins = {{true, QStringLiteral("Мария"), password, encrypt}};
    Ui.Confirmations = {{yes, false}};
    QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
  }
  // The files of the library's folder, hidden ones and those in sub-folders too, that hold `word`.
  QStringList FilesHolding(const QByteArray& word) const {
    QStringList found;
    QDirIterator it(Library.Dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      QFile file(it.next());
      if (file.open(QIODevice::ReadOnly) && file.readAll().contains(word)) found << file.fileName();
    }
    return found;
  }
  TXMLParser* OpenJournal() { return Form->Library().OpenJournal(Library.Path(QStringLiteral("j.xml")).toStdString()); }
  bool JournalHoldsRareWord() {
    TXMLParser* journal = OpenJournal();
    return journal && QByteArray::fromStdString(journal->SaveToString()).contains(kRare);
  }
  QString RecoveryKey() const {
    const QRegularExpression key(QStringLiteral("[0-9A-Z]{4}(-[0-9A-Z]{4}){8}"));
    const QRegularExpressionMatch match = key.match(Ui.Warnings.isEmpty() ? QString() : Ui.Warnings.last());
    return match.hasMatch() ? match.captured() : QString();
  }
};
}  // namespace

TEST_F(EncryptionTest, NoPlainDreamReachesTheDiskAndThePasswordOrRecoveryKeyOpensIt) {
  Open();
  SetCredentials(QStringLiteral("пароль"), false);  // a login without encryption first
  SetCredentials(QStringLiteral("пароль"), true);
  ASSERT_EQ(Ui.Questions.size(), 1);  // a lost password is a lost diary: asked first
  const QString recovery = RecoveryKey();
  ASSERT_FALSE(recovery.isEmpty()) << Ui.Warnings.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).startsWith("VELMORA-SEALED 1\n"));
  EXPECT_EQ(Form->Library().Root().GetAttribute(attrUserPassword), "undefined");  // no password kept
  EXPECT_EQ(FilesHolding(kRare), QStringList());

  // A save of new words, a backup, the open version kept beside (a conflict) and the copies kept
  // when a save fails are all sealed.
  TXMLParser* journal = OpenJournal();
  TXMLNode* dream = journal->Root->GetChild(0)->GetChild(0);
  Form->Library().SetText(*journal, *dream, tfComment, "c Zyxwortel2");
  EXPECT_TRUE(Form->SaveAndReport());
  const std::string path = journal->FileName;
  ASSERT_TRUE(Form->Backups()->KeepNow(path));
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(20)));
  KeepOpenVersionBeside(*journal, path, std::time(nullptr));
  EXPECT_FALSE(KeepUnsavedCopies({journal}, {Library.Path()}, std::time(nullptr)).isEmpty());
  Form.reset();
  EXPECT_EQ(FilesHolding(kRare), QStringList());
  const QByteArray sealed = Library.Read(QStringLiteral("j.xml"));

  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль!")}};
  Open();
  EXPECT_TRUE(Form->LoginFailed());
  EXPECT_EQ(Ui.Errors.last(), QStringLiteral("Неверное имя или пароль"));
  Form.reset();
  TLibraryKey other;
  std::string otherKey;
  ASSERT_EQ(TLibraryKey::Create("x", {1, 8192}, other, otherKey), seOk);
  Ui.Logins = {{true, QStringLiteral("Мария"), QString::fromStdString(otherKey)}};
  Open();
  EXPECT_TRUE(Form->LoginFailed());
  EXPECT_EQ(Ui.Errors.last(), QString::fromUtf8(SealErrorText(seWrongRecoveryKey)));
  Form.reset();
  EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), sealed);

  Ui.Logins = {{true, QStringLiteral("Мария"), recovery.toLower()}};
  Open();
  ASSERT_FALSE(Form->LoginFailed());
  EXPECT_TRUE(JournalHoldsRareWord());
  Form.reset();
  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль")}};
  Open();
  ASSERT_FALSE(Form->LoginFailed());
  EXPECT_TRUE(JournalHoldsRareWord());
}

TEST_F(EncryptionTest, ANewPasswordReKeysAndPlainAgainOnlyAfterAsking) {
  Open();
  SetCredentials(QStringLiteral("пароль"), true);
  const QByteArray first = Library.Read(QStringLiteral("j.xml"));
  SetCredentials(QStringLiteral("новый"), true);
  EXPECT_NE(Library.Read(QStringLiteral("j.xml")).left(200), first.left(200));  // another key
  Form.reset();
  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль")}};
  Open();
  EXPECT_TRUE(Form->LoginFailed());
  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("новый")}};
  Open();
  ASSERT_FALSE(Form->LoginFailed());
  EXPECT_TRUE(JournalHoldsRareWord());

  SetCredentials(QStringLiteral("новый"), false, false);  // "No": nothing changes
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).startsWith("VELMORA-SEALED 1\n"));
  SetCredentials(QStringLiteral("новый"), false);
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains(kRare));
  EXPECT_EQ(Form->Library().Root().GetAttribute("key"), "undefined");
  EXPECT_EQ(Form->Library().Root().GetAttribute(attrUserPassword), TCodec().Encode(Utf8ToCp1251("новый")));
  Form.reset();
  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("новый")}};
  Open();
  ASSERT_FALSE(Form->LoginFailed());
  EXPECT_TRUE(JournalHoldsRareWord());
}

TEST_F(EncryptionTest, AKeyChangeDecidedBeforeAKillIsFinishedAtTheNextStart) {
  // Killed after the change was decided: the journal's sealed form waits beside it, the library
  // file does not have the key record yet.
  TLibraryKey key;
  std::string line, sealed;
  ASSERT_EQ(TLibraryKey::Create("пароль", {1, 8192}, key, line), seOk);
  ASSERT_EQ(Seal(Library.Read(QStringLiteral("j.xml")).toStdString(), key, sealed), seOk);
  const std::string journal = Library.Path(QStringLiteral("j.xml")).toStdString();
  auto write = [this](const QString& name, const std::string& bytes) {
    QFile file(Library.Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  };
  write(QStringLiteral(".j.xml.rekey"), sealed);
  write(QStringLiteral("dreams.ini.rekey"), TRekeyRecord{rkCommitted, key.Block().ToText(), {journal}}.ToText());

  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль")}};
  Open();
  ASSERT_FALSE(Form->LoginFailed());
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).startsWith("VELMORA-SEALED 1\n"));
  EXPECT_FALSE(QFile::exists(Library.Path(QStringLiteral("dreams.ini.rekey"))));
  EXPECT_TRUE(JournalHoldsRareWord());
}
