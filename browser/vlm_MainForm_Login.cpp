// The login check at start-up and the setting of the stored credentials.
#include "vlm_Codec.h"
#include "vlm_EncryptionResources.h"
#include "vlm_MainForm.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_functions.h"

bool Tfrm_MainForm::CheckLogin() {
  TXMLNode* root = FLibrary->Root.get();
  const std::string storedName = root->GetAttribute(attrUserName);
  const std::string storedPassword = root->GetAttribute(attrUserPassword);
  const bool encrypted = IsEncrypted();
  if (!encrypted && (storedName == litUndefined || storedPassword == litUndefined)) return true;  // no login
  const TLoginResult typed = FUi.AskCredentials(this, amLogin);
  if (!typed.Accepted) return false;
  // Compared byte for byte in the document's code page; a character without a byte there
  // cannot be part of stored credentials.
  std::string typedName, typedPassword;
  // The scrambled texts are compared as the library file holds them: the writer replaces quotes
  // and angle brackets in values and the reader joins blanks, and a scrambled text may contain
  // any of these. Decoding the stored text would then never give back what the user typed.
  const TCodec codec;
  const bool nameRight = storedName == litUndefined ||
                         (ToCp(typed.UserName, typedName) && StoredValue(codec.Encode(typedName)) == StoredValue(storedName));
  if (encrypted) return UnlockLibrary(typed.Password, nameRight);
  const bool right = nameRight && ToCp(typed.Password, typedPassword) &&
                     StoredValue(codec.Encode(typedPassword)) == StoredValue(storedPassword);
  // Said before the program ends, so that the end is not taken for a crash.
  if (!right) FUi.ShowError(this, QString::fromUtf8(res::MsgWrongCredentials));
  return right;
}

void Tfrm_MainForm::btn_AuthorizationClick() {
  const TLoginResult typed = FUi.AskNewCredentials(this, IsEncrypted());
  if (!typed.Accepted) return;
  std::string name, password;
  QString bad;
  const bool nameOk = ToCp(typed.UserName, name, &bad);
  QString badPassword;
  const bool passwordOk = ToCp(typed.Password, password, &badPassword);
  if (!nameOk || !passwordOk) {
    // Refused rather than stored with a stand-in character the login could never match.
    FUi.ShowError(this, QString::fromUtf8(res::MsgCredentialsNotCp1251).arg(bad + badPassword));
    return;
  }
  const TCodec codec;
  if (typed.Encrypt && (name.empty() || password.empty())) return FUi.ShowError(this, QString::fromUtf8(res::MsgEncryptNeedsPassword));
  if (typed.Encrypt || IsEncrypted()) {
    // Encrypted from now on (the key record replaces the stored password), or plain again.
    if (!ChangeEncryption(typed, codec.Encode(name)) || typed.Encrypt) return;
  }
  if (!name.empty() && !password.empty()) {
    FCore->SetCredentials(codec.Encode(name), codec.Encode(password));
  } else {
    FCore->SetCredentials({}, {});
  }
}
