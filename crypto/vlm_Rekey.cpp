#include "vlm_Rekey.h"

#include <algorithm>

#include "vlm_CryptoResources.h"
#include "vlm_Sealed.h"

namespace {

constexpr std::string_view kRecordMagic = "VELMORA-REKEY 1";

// Fills "%1", "%2" in a message.
std::string Fill(std::string text, const std::vector<std::string>& args) {
  for (std::size_t i = args.size(); i-- > 0;) {
    const std::string mark = "%" + std::to_string(i + 1);
    if (const std::size_t at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), args[i]);
  }
  return text;
}

std::string JournalError(const std::string& journal, const std::string& reason) {
  return Fill(crypto_res::MsgRekeyJournal, {journal, reason});
}

// Removes the side files and then the record: every journal is as it was before the plan.
bool RollBack(const TRekeyRecord& record, const std::string& recordPath, TRekeyFiles& files, std::string& error) {
  bool all = true;
  for (const std::string& journal : record.Journals) {
    std::string why;
    if (!files.Remove(RekeySidePath(journal), why)) {
      all = false;
      if (error.empty()) error = why;
    }
  }
  // The record stays while a side file does, so that the next start removes it.
  return all && files.Remove(recordPath, error);
}

// Steps 4-6: the side files over the journals, the library's key record, the record removed.
TRekeyResult RollForward(const TRekeyRecord& record, const std::string& recordPath,
                         const TStoreKeyRecord& storeKeyRecord, TRekeyFiles& files) {
  TRekeyResult result;
  result.Committed = true;
  std::string why;
  for (const std::string& journal : record.Journals) {
    const std::string side = RekeySidePath(journal);
    if (files.Exists(side) && !files.Rename(side, journal, why)) {
      result.Error = JournalError(journal, why) + "\n" + crypto_res::MsgRekeyPending;
      return result;
    }
  }
  if (!storeKeyRecord(record.NewKeyRecord, why) || !files.Remove(recordPath, why)) {
    result.Error = why + "\n" + crypto_res::MsgRekeyPending;
    return result;
  }
  result.Done = true;
  return result;
}

// Step 2 for one journal: its new form in the side file, written whole and read back.
bool Prepare(const std::string& journal, const TRekeyConvert& convert, TRekeyFiles& files, std::string& error) {
  std::string oldBytes, newBytes, readBack;
  const std::string side = RekeySidePath(journal);
  bool ok = files.Read(journal, oldBytes, error) && convert(oldBytes, newBytes, error) &&
            files.Write(side, newBytes, error) && files.Read(side, readBack, error);
  if (ok && readBack != newBytes) {
    error = crypto_res::MsgRekeyReadBack;
    ok = false;
  }
  // Whichever of them is plain text, none stays in freed memory.
  WipeString(oldBytes);
  WipeString(newBytes);
  WipeString(readBack);
  return ok;
}

}  // namespace

std::string TRekeyRecord::ToText() const {
  std::string text = std::string(kRecordMagic) + "\n";
  text += State == rkCommitted ? "state committed\n" : "state prepared\n";
  text += "key " + NewKeyRecord + "\n";
  for (const std::string& journal : Journals) text += "journal " + journal + "\n";
  return text + "end\n";
}

bool TRekeyRecord::FromText(std::string_view text) {
  TRekeyRecord read;
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return false;  // every line ends, the last "end" too
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  if (lines.size() < 4 || lines.front() != kRecordMagic || lines.back() != "end") return false;
  if (lines[1] == "state committed") read.State = rkCommitted;
  else if (lines[1] != "state prepared") return false;
  if (!lines[2].starts_with("key ")) return false;
  read.NewKeyRecord = lines[2].substr(4);
  for (std::size_t i = 3; i + 1 < lines.size(); ++i) {
    if (!lines[i].starts_with("journal ") || lines[i].size() == 8) return false;
    read.Journals.emplace_back(lines[i].substr(8));
  }
  *this = std::move(read);
  return true;
}

std::string RekeySidePath(const std::string& journal) {
  const std::size_t slash = journal.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return journal.substr(0, name) + "." + journal.substr(name) + ".rekey";
}

TRekeyConvert Resealer(const TLibraryKey* from, const TLibraryKey* to) {
  return [from, to](std::string_view oldBytes, std::string& newBytes, std::string& error) {
    std::string opened;
    std::string_view plain = oldBytes;
    TSealError e = seOk;
    if (from) {
      e = OpenSealed(oldBytes, *from, opened);
      if (e == seNotSealed) e = seFoundPlain;
      plain = opened;
    } else if (IsSealed(oldBytes)) {
      e = seFoundSealed;
    }
    if (e == seOk) {
      if (to) e = Seal(plain, *to, newBytes);
      else newBytes.assign(plain);
    }
    WipeString(opened);
    if (e != seOk) error = SealErrorText(e);
    return e == seOk;
  };
}

TRekeyResult RunRekey(const TRekeyJob& job, TRekeyFiles& files) {
  TRekeyResult result;
  if (files.Exists(job.RecordPath)) {
    result.Error = crypto_res::MsgRekeyUnfinished;
    return result;
  }
  TRekeyRecord record;
  record.NewKeyRecord = job.NewKeyRecord;
  for (const std::string& journal : job.Journals) {
    const std::string target = files.Target(journal);
    if (target.find('\n') != std::string::npos) {
      result.Error = JournalError(journal, crypto_res::MsgRekeyBadPath);
      return result;
    }
    if (files.Exists(target) && std::find(record.Journals.begin(), record.Journals.end(), target) == record.Journals.end())
      record.Journals.push_back(target);
  }
  std::string why;
  if (!files.Write(job.RecordPath, record.ToText(), why)) {
    result.Error = why;
    return result;
  }
  std::string failure;
  for (const std::string& journal : record.Journals)
    if (!Prepare(journal, job.Convert, files, why)) {
      failure = JournalError(journal, why);
      break;
    }
  record.State = rkCommitted;
  if (failure.empty() && !files.Write(job.RecordPath, record.ToText(), why)) failure = why;
  if (!failure.empty()) {
    std::string undoError;
    RollBack(record, job.RecordPath, files, undoError);
    result.Error = failure + "\n" + crypto_res::MsgRekeyRolledBack;
    return result;
  }
  return RollForward(record, job.RecordPath, job.StoreKeyRecord, files);
}

TRekeyResult FinishRekey(const std::string& recordPath, const TStoreKeyRecord& storeKeyRecord, TRekeyFiles& files) {
  TRekeyResult result;
  if (!files.Exists(recordPath)) {
    result.Done = true;
    return result;
  }
  std::string text;
  TRekeyRecord record;
  if (!files.Read(recordPath, text, result.Error)) return result;
  if (!record.FromText(text)) {
    result.Error = Fill(crypto_res::MsgRekeyRecordDamaged, {recordPath});
    return result;
  }
  if (record.State == rkCommitted) return RollForward(record, recordPath, storeKeyRecord, files);
  result.Done = RollBack(record, recordPath, files, result.Error);
  return result;
}
