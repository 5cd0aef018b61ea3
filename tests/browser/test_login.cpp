// The login check at start-up and the authorization button.
#include <QToolButton>

#include "vlm_Codec.h"
#include "vlm_Strings.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"
#include "xml_functions.h"

class LoginTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n"
        "  <directory name=\"A\">\n"
        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
        "  </directory>\n"
        "</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d\" />\n</velmora>\n"));
  }
  // Stores scrambled credentials the way the program does (UTF-8 in, Windows-1251 stored).
  void StoreCredentials(const std::string& name, const std::string& password) {
    TXMLParser library;
    const std::string file = Library.Path(QStringLiteral("dreams.ini")).toStdString();
    library.LoadFromFile(file);
    ASSERT_EQ(library.Status, xrOk);
    const TCodec codec;
    library.Root->SetAttribute(attrUserName, codec.Encode(Utf8ToCp1251(name)));
    library.Root->SetAttribute(attrUserPassword, codec.Encode(Utf8ToCp1251(password)));
    library.SaveToFile(file);
    LibraryBefore = Library.Read(QStringLiteral("dreams.ini"));
    JournalBefore = Library.Read(QStringLiteral("j.xml"));
  }
  void ExpectNothingWrittenAfterEnd() {
    ASSERT_TRUE(Form->LoginFailed());
    EXPECT_EQ(TopItem()->childCount(), 0);  // no catalog was shown
    EXPECT_TRUE(Form->Library().Journals().Documents().empty());
    Form->close();
    Form.reset();
    EXPECT_EQ(Library.Read(QStringLiteral("dreams.ini")), LibraryBefore);
    EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), JournalBefore);
  }
  QByteArray LibraryBefore, JournalBefore;
  TXMLNode* Root() const { return Form->Library().Document().Root.get(); }
};

TEST_F(LoginTest, RightCredentialsOpenTheLibrary) {
  StoreCredentials("Иван", "секрет 1");
  Ui.Logins = {{true, QStringLiteral("Иван"), QStringLiteral("секрет 1")}};
  Open();
  EXPECT_FALSE(Form->LoginFailed());
  ASSERT_EQ(Ui.Modes.size(), 1u);
  EXPECT_EQ(Ui.Modes[0], amLogin);
  EXPECT_NE(Item(QStringLiteral("J")), nullptr);
  EXPECT_EQ(Item(QStringLiteral("J"))->childCount(), 1);
}

TEST_F(LoginTest, NameInAnotherCaseEndsTheProgramWritingNothing) {
  StoreCredentials("Иван", "секрет");
  Ui.Logins = {{true, QStringLiteral("иван"), QStringLiteral("секрет")}};
  Open();
  ExpectNothingWrittenAfterEnd();
}

TEST_F(LoginTest, WrongPasswordIsSaidAndEndsTheProgramWritingNothing) {
  StoreCredentials("user", "pass");
  Ui.Logins = {{true, QStringLiteral("user"), QStringLiteral("pas")}};
  Open();
  EXPECT_EQ(Ui.Errors, QStringList{QStringLiteral("Неверное имя или пароль")});
  ExpectNothingWrittenAfterEnd();
}

TEST_F(LoginTest, ClosedDialogEndsTheProgramWritingNothing) {
  StoreCredentials("user", "pass");
  Ui.Logins = {{false, QStringLiteral("user"), QStringLiteral("pass")}};
  Open();
  EXPECT_TRUE(Ui.Errors.isEmpty());  // nothing was typed wrong
  ExpectNothingWrittenAfterEnd();
}

TEST_F(LoginTest, OneStoredValueAloneAsksNothing) {
  StoreCredentials("user", "pass");
  TXMLParser library;
  const std::string file = Library.Path(QStringLiteral("dreams.ini")).toStdString();
  library.LoadFromFile(file);
  library.Root->RemoveAttribute(attrUserPassword);
  library.SaveToFile(file);
  Open();
  EXPECT_TRUE(Ui.Modes.empty());
  EXPECT_FALSE(Form->LoginFailed());
}

TEST_F(LoginTest, AuthorizationButtonSetsRemovesAndKeepsCredentials) {
  Open();
  const TCodec codec;
  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль")}};
  QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
  ASSERT_EQ(Ui.Modes.back(), amParameters);
  EXPECT_EQ(Root()->GetAttribute(attrUserName), codec.Encode(Utf8ToCp1251("Мария")));
  EXPECT_EQ(Root()->GetAttribute(attrUserPassword), codec.Encode(Utf8ToCp1251("пароль")));

  // Cancel leaves them; a character without a Windows-1251 byte is refused with a message.
  Ui.Logins = {{false, QStringLiteral("x"), QStringLiteral("y")}};
  QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
  Ui.Logins = {{true, QStringLiteral("用户"), QStringLiteral("y")}};
  QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
  ASSERT_EQ(Ui.Errors.size(), 1);
  EXPECT_TRUE(Ui.Errors[0].contains(QStringLiteral("用户")));
  EXPECT_EQ(Root()->GetAttribute(attrUserName), codec.Encode(Utf8ToCp1251("Мария")));

  // A name with an empty password switches the login off.
  Ui.Logins = {{true, QStringLiteral("Мария"), QString()}};
  QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
  EXPECT_EQ(Root()->GetAttribute(attrUserName), "undefined");
  EXPECT_EQ(Root()->GetAttribute(attrUserPassword), "undefined");
}

TEST_F(LoginTest, CredentialsSetInOneRunAreAskedForInTheNext) {
  Open();
  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль!")}};
  QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
  ASSERT_TRUE(Close());
  Form.reset();

  Ui.Modes.clear();
  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль!")}};
  Open();
  EXPECT_EQ(Ui.Modes, std::vector<TAuthorizationMode>{amLogin});
  EXPECT_FALSE(Form->LoginFailed());
  Form->close();
  Form.reset();

  Ui.Logins = {{true, QStringLiteral("Мария"), QStringLiteral("пароль")}};
  Open();
  EXPECT_TRUE(Form->LoginFailed());
}

// A scrambled text may hold quotes, angle brackets or runs of blanks, which the file does not keep
// as they are: whatever the user sets must still open the library at the next start.
TEST_F(LoginTest, CredentialsThatTheFileStoresChangedStillOpenTheLibrary) {
  const TCodec codec;
  const std::vector<QString> passwords = {
      QStringLiteral("a>b"), QStringLiteral("a\"b<c"),
      FromCp(codec.Decode("  x  ")),  // scrambled into runs of blanks
  };
  for (const QString& password : passwords) {
    SCOPED_TRACE(password.toStdString());
    Ui.Modes.clear();
    Ui.Logins = {{true, QStringLiteral("Мария"), password}};
    Open();
    QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
    ASSERT_TRUE(Close());
    Form.reset();

    Ui.Logins = {{true, QStringLiteral("Мария"), password}};
    Open();
    EXPECT_EQ(Ui.Modes, (std::vector<TAuthorizationMode>{amParameters, amLogin}));
    EXPECT_FALSE(Form->LoginFailed());
    // Remove them again for the next round.
    Ui.Logins = {{true, QStringLiteral("Мария"), QString()}};
    QTest::mouseClick(Form->btn_Authorization, Qt::LeftButton);
    ASSERT_TRUE(Close());
    Form.reset();
  }
}
