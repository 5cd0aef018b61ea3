#pragma once
// Re-keying a library: every journal re-written in a new form (sealed with a new key, sealed for
// the first time, or plain again), so that a kill or a failure at any moment leaves every journal
// readable, and a restart finishes the change or undoes it.
//
// The plan, in steps that each change the disk atomically:
//   1. the record (TRekeyRecord, state "prepared") is written: the new key record and the journals;
//   2. each journal in turn is converted into a side file beside it (".NAME.rekey"), written whole
//      and read back before the next; the journals themselves are untouched;
//   3. the record is re-written with state "committed": the change is now decided;
//   4. each side file is renamed over its journal;
//   5. the library's key record is stored (the caller's StoreKeyRecord writes the library file);
//   6. the record is removed.
// A failure before 3 removes the side files and the record: every journal is as it was. A failure
// after 3 leaves the record for FinishRekey, which the program calls at start before anything
// reads a journal: it rolls a "prepared" record back and a "committed" one forward (steps 4-6,
// skipping what was done). Neither needs a key or the password. At every moment each journal
// file is in the old form or the new, whole.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "vlm_Keys.h"

// The files a re-keying touches, injected so that tests can kill or fail any step. Paths are the
// file system's. Each returns false and sets `error` (UTF-8, for the user) when it fails.
class TRekeyFiles {
public:
  virtual ~TRekeyFiles() = default;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool Read(const std::string& path, std::string& bytes, std::string& error) = 0;
  // Replaces or creates the file whole: after a kill it holds the old bytes or the new.
  virtual bool Write(const std::string& path, std::string_view bytes, std::string& error) = 0;
  // Replaces `to` by `from` in one step (the journal keeps its permissions).
  virtual bool Rename(const std::string& from, const std::string& to, std::string& error) = 0;
  // True also when there is nothing to remove.
  virtual bool Remove(const std::string& path, std::string& error) = 0;
  // The file a journal's path leads to (a symbolic link followed), so that the side file is made
  // beside the file itself.
  virtual std::string Target(const std::string& path) { return path; }
};

enum TRekeyState { rkPrepared, rkCommitted };

// The record of a re-keying in progress, kept in a text file of its own (beside the library file).
struct TRekeyRecord {
  TRekeyState State = rkPrepared;
  std::string NewKeyRecord;           // what the library's key record becomes; empty: plain
  std::vector<std::string> Journals;  // the journal files (targets)
  std::string ToText() const;
  bool FromText(std::string_view text);  // false when it is not a whole record
};

// The side file a journal's new form is written to before it replaces the journal.
std::string RekeySidePath(const std::string& journal);

// Converts a journal's bytes to the new form; false with `error` (UTF-8) when it cannot.
using TRekeyConvert = std::function<bool(std::string_view oldBytes, std::string& newBytes, std::string& error)>;
// Stores the new key record in the library file (atomically); false with `error` when it cannot.
using TStoreKeyRecord = std::function<bool(const std::string& newKeyRecord, std::string& error)>;

// The converter between two forms: `from` null reads plain journals, else opens them with `from`;
// `to` null writes plain, else seals with `to`. Refuses a journal that is not in the `from` form
// (SealErrorText of seFoundPlain, seFoundSealed, seOtherKey, ...). The keys must outlive it.
TRekeyConvert Resealer(const TLibraryKey* from, const TLibraryKey* to);

struct TRekeyJob {
  std::vector<std::string> Journals;  // missing files are skipped (a journal not saved yet)
  std::string RecordPath;             // e.g. the library file's path + ".rekey"
  std::string NewKeyRecord;           // TKeyBlock::ToText() of the new key, or empty for plain
  TRekeyConvert Convert;
  TStoreKeyRecord StoreKeyRecord;  // required
};

struct TRekeyResult {
  bool Committed = false;  // the journals are in the new form (or FinishRekey will make them so)
  bool Done = false;       // all done, the record removed
  std::string Error;       // UTF-8, for the user, when not done
};

// Runs the plan. Refuses to start while an earlier record is there (FinishRekey first). Before the
// call every unsaved change must be saved; nothing may write the journals until it returns.
TRekeyResult RunRekey(const TRekeyJob& job, TRekeyFiles& files);

// At start: finishes or undoes a re-keying that a kill or failure interrupted. No record: Done.
// A "prepared" one is undone (Committed false); a "committed" one is finished (Committed true,
// StoreKeyRecord called with its key record). Not Done (with Error) while a step still fails.
TRekeyResult FinishRekey(const std::string& recordPath, const TStoreKeyRecord& storeKeyRecord, TRekeyFiles& files);
