#pragma once
// Spell checking against the installed Hunspell dictionaries (Russian and English by default) and
// the user's own word list, a UTF-8 text file of one word a line kept beside the library.
//
// The dictionaries are read once per process, in the background from the first StartReading on, and
// shared by every checker; a word is right when any dictionary or the own list knows it. Results
// are remembered per word, so checking a paragraph again as it is typed costs a lookup a word.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

struct TDictionaries;
struct TDictionariesReading;

class TSpellChecker {
public:
  // The dictionaries named `languages` ("ru_RU": ru_RU.aff and ru_RU.dic) found in `folders`, and
  // the own list `personalFile` (read now when it exists).
  explicit TSpellChecker(const QString& personalFile, const QStringList& folders = DefaultFolders(),
                         const QStringList& languages = DefaultLanguages());
  ~TSpellChecker();
  TSpellChecker(const TSpellChecker&) = delete;
  TSpellChecker& operator=(const TSpellChecker&) = delete;

  static QStringList DefaultFolders();
  static QStringList DefaultLanguages();
  // True when the program was built with Hunspell and at least one dictionary file pair exists.
  static bool DictionaryPresent(const QStringList& folders = DefaultFolders(),
                                const QStringList& languages = DefaultLanguages());

  // Starts reading the dictionaries in the background (once; the first Available starts it too).
  // Not at construction: a window that starts need not share its first moments with the reading.
  void StartReading();
  // True once the dictionaries have been read (never waits).
  bool Ready();
  // Waits for the dictionaries; false when none could be read: every word then counts as right.
  bool Available();
  bool Check(const QString& word);
  // Up to `most` corrections, the first dictionary's first.
  QStringList Suggest(const QString& word, int most = 7);
  // Adds `word` to the own list and its file (written whole to a new file, then renamed); false
  // when the file could not be read whole or written: the word is then known for this run only.
  bool AddWord(const QString& word);
  QString PersonalFile() const { return FPersonalFile; }
  // Why the own list could not be read or written; empty when fine.
  QString Failure() const { return FFailure; }

private:
  bool InDictionaries(const QString& word);
  bool CheckUncached(const QString& word);
  bool ReadPersonal(QStringList& words);

  std::unique_ptr<TDictionariesReading> FReading;  // from StartReading until they are first needed
  QStringList FFolders, FLanguages;
  std::shared_ptr<TDictionaries> FDictionaries;
  QString FPersonalFile;
  QString FFailure;
  bool FPersonalReadWhole = true;  // false: the file is never rewritten from what was read
  QSet<QString> FPersonal;
  QHash<QString, bool> FKnown;
};
