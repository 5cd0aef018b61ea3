// Journals sealed with the password: the form journals take on disk, the login to an encrypted
// library, and changing the key (encrypting, a new password, plain again). The library file stays
// plain: it holds the key record (the data key wrapped by the password and sealed to the recovery
// key, vlm_Keys.h), never the password.
#include <unistd.h>

#include <QDir>
#include <QGuiApplication>
#include <QScopeGuard>
#include <algorithm>
#include <utility>
#include <optional>

#include "vlm_EncryptionResources.h"
#include "vlm_FileWatch.h"
#include "vlm_JournalSealing.h"
#include "vlm_KeyCost.h"
#include "vlm_MainForm.h"
#include "vlm_PosixFiles.h"
#include "vlm_Rekey.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_functions.h"

namespace {
constexpr std::string_view attrKeyRecord = "key";
std::optional<TKdfParams> gNewKeyCost;

// A line typed where the password goes that was meant as a recovery key: it is told as a mistyped
// key rather than as a wrong password.
bool MeantAsRecoveryKey(const QString& typed) {
  QString bare = typed;
  bare.remove(QLatin1Char('-')).remove(QLatin1Char(' '));
  return typed.contains(QLatin1Char('-')) && bare.size() >= 32 && bare.size() <= 40;
}
}  // namespace

TKdfParams NewKeyCost() {
  if (!gNewKeyCost) gNewKeyCost = TuneKdf(0.5).Params;
  return *gNewKeyCost;
}

void SetNewKeyCost(const TKdfParams& params) { gNewKeyCost = params; }

bool Tfrm_MainForm::IsEncrypted() const {
  return FLibrary && FLibrary->Root->GetAttribute(attrKeyRecord) != litUndefined;
}

void Tfrm_MainForm::StartSealing() {
  // Until the login unlocks the key, a sealed journal is refused, never read as a damaged one.
  FSealing = std::make_shared<TJournalSealing>();
  SetSealing(FSealing);
  if (!FViewOnly.isEmpty() || LibraryState().Read != rsWhole) return;
  TPosixFiles files;
  const TRekeyResult result = FinishRekey(
      NativePath(FLibrary->FileName) + ".rekey",
      [this](const std::string& record, std::string& error) {
        return StoreKeyRecord(record, FLibrary->Root->GetAttribute(attrUserName), error);
      },
      files);
  if (!result.Done) FUi.ShowError(this, QString::fromStdString(result.Error));
}

bool Tfrm_MainForm::UnlockLibrary(const QString& password, bool nameRight) {
  TKeyBlock block;
  if (const TSealError e = block.FromText(FLibrary->Root->GetAttribute(attrKeyRecord)); e != seOk) {
    FUi.ShowError(this, Text(SealErrorText(e)));
    return false;
  }
  const std::string typed = password.toUtf8().toStdString();
  TLibraryKey key;
  TSealError e = nameRight ? TLibraryKey::Unlock(block, typed, key) : seWrongPassword;
  bool recovered = false;
  if (e == seWrongPassword) {
    const TSealError r = TLibraryKey::UnlockWithRecovery(block, typed, key);
    recovered = r == seOk;
    if (recovered || r == seWrongRecoveryKey || (r == seMistypedRecoveryKey && MeantAsRecoveryKey(password))) e = r;
  }
  if (e != seOk) {
    FUi.ShowError(this, Text(e == seWrongPassword ? res::MsgWrongCredentials : SealErrorText(e)));
    return false;
  }
  FSealing = std::make_shared<TJournalSealing>(std::move(key));
  SetSealing(FSealing);
  if (recovered) FUi.ShowWarning(this, Text(res::MsgOpenedWithRecoveryKey));
  return true;
}

bool Tfrm_MainForm::StoreKeyRecord(const std::string& keyRecord, const std::string& scrambledName, std::string& error) {
  TXMLNode& root = *FLibrary->Root;
  if (keyRecord.empty()) {
    root.RemoveAttribute(attrKeyRecord);
  } else {
    // The password is not kept in any form: the key record checks it.
    if (scrambledName != litUndefined) root.SetAttribute(attrUserName, scrambledName);
    root.RemoveAttribute(attrUserPassword);
    root.SetAttribute(attrKeyRecord, keyRecord);
  }
  FCore->MarkChanged(FLibrary);
  const TSaveReport report = FCore->Save();
  AfterOwnWrites(report);  // the program's own write: the file watch follows it
  if (report.Failures.empty() && !FCore->IsChanged(FLibrary)) return true;
  error = report.Failures.empty() ? res::LoadStatusText(xrCannotOpen) : SaveFailureList(report.Failures);
  return false;
}

std::vector<std::string> Tfrm_MainForm::JournalFiles() const {
  std::vector<std::string> files;
  auto add = [&files](const std::string& cp1251) {
    const std::string native = NativePath(cp1251);
    if (std::find(files.begin(), files.end(), native) == files.end()) files.push_back(native);
  };
  // Without recursion: a file decides how deep catalogs go.
  for (std::vector<const TXMLNode*> pending{FLibrary->Root.get()}; !pending.empty();) {
    const TXMLNode* element = pending.back();
    pending.pop_back();
    for (const auto& child : element->Children) pending.push_back(child.get());
    if (element->Name == tagFile && element->GetAttribute(attrPath) != litUndefined)
      add(ResolvePath(element->GetAttribute(attrPath)));
  }
  for (const auto& journal : FJournals->Documents()) add(journal->FileName);
  return files;
}

void Tfrm_MainForm::RemoveBackupsOf(const std::vector<std::string>& journals) {
  if (!FBackups) return;
  FBackups->Wait(TBackupKeeper::kCloseWait);  // copies still being packed are plain too
  for (const std::string& journal : journals)
    for (const TBackupFile& backup : FBackups->BackupsOf(journal)) ::unlink(backup.Path.c_str());
}

bool Tfrm_MainForm::ChangeEncryption(const TLoginResult& typed, const std::string& scrambledName) {
  const bool encrypted = IsEncrypted();
  const char* question = !typed.Encrypt ? res::QuestionDecrypt : encrypted ? nullptr : res::QuestionEncrypt;
  if (question && !FUi.AskYesNo(this, Text(question))) return false;
  // Deriving the key and re-writing every journal take seconds.
  bool waiting = true;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  auto stopWaiting = [&waiting] {
    if (std::exchange(waiting, false)) QGuiApplication::restoreOverrideCursor();
  };
  const auto guard = qScopeGuard(stopWaiting);
  // Every change is on disk first: the journals are re-written from their files.
  if (const TSaveReport saved = SaveFiles(); !saved.Failures.empty()) {
    stopWaiting();
    FUi.ShowError(this, Text(res::MsgKeyChangeNotStarted).arg(QString::fromStdString(SaveFailureList(saved.Failures))));
    return false;
  }
  const std::shared_ptr<const TJournalSealing> old = FSealing;  // its key opens the journals until the change
  TLibraryKey key;
  std::string recoveryLine;
  if (typed.Encrypt) {
    const std::string password = typed.Password.toUtf8().toStdString();
    const TSealError e = encrypted ? TLibraryKey::Renew(old->Key(), password, NewKeyCost(), key)
                                   : TLibraryKey::Create(password, NewKeyCost(), key, recoveryLine);
    if (e != seOk) return stopWaiting(), FUi.ShowError(this, Text(SealErrorText(e))), false;
  }
  auto next = typed.Encrypt ? std::make_shared<TJournalSealing>(std::move(key)) : std::make_shared<TJournalSealing>();
  TRekeyJob job;
  job.Journals = JournalFiles();
  job.RecordPath = NativePath(FLibrary->FileName) + ".rekey";
  job.NewKeyRecord = typed.Encrypt ? next->Key().Block().ToText() : std::string();
  job.Convert = Resealer(encrypted ? &old->Key() : nullptr, typed.Encrypt ? &next->Key() : nullptr);
  job.StoreKeyRecord = [this, &scrambledName](const std::string& record, std::string& error) {
    return StoreKeyRecord(record, scrambledName, error);
  };
  TPosixFiles files;
  const TRekeyResult result = RunRekey(job, files);
  if (result.Committed) {
    FSealing = next;
    SetSealing(FSealing);
    for (const auto& journal : FJournals->Documents()) {  // new files in the old ones' places
      FJournals->Refile(journal.get());
      if (FWatch) FWatch->Known(FromCp(journal->FileName));
    }
  }
  stopWaiting();
  if (!result.Done) {
    FUi.ShowError(this, QString::fromStdString(result.Error));
    return false;
  }
  if (!encrypted) {
    RemoveBackupsOf(job.Journals);
    FUi.ShowWarning(this, Text(res::MsgRecoveryKey).arg(QString::fromStdString(recoveryLine)));
    WipeString(recoveryLine);
  } else if (typed.Encrypt) {
    FUi.ShowWarning(this, Text(res::MsgPasswordChanged));
  }
  return true;
}
