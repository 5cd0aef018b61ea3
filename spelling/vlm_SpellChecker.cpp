#include "vlm_SpellChecker.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <future>
#include <map>
#include <mutex>
#include <vector>

#ifdef VELMORA_HUNSPELL
#include <hunspell.hxx>
#endif

namespace {

constexpr qsizetype kMostRemembered = 200000;  // words; past it the memory starts again

#ifdef VELMORA_HUNSPELL
// Hunspell's names of encodings as ICU (behind QStringEncoder) knows them.
QByteArray EncodingName(const std::string& hunspellName) {
  QByteArray name = QByteArray::fromStdString(hunspellName).trimmed();
  if (name.startsWith("microsoft-cp")) return "windows-" + name.mid(12);
  if (name.startsWith("ISO8859-")) return "ISO-8859-" + name.mid(8);
  return name.isEmpty() ? QByteArray("ISO-8859-1") : name;
}
#endif

// `word` with е for ё and ' for the typographic apostrophe.
QString Plain(QString word) {
  word.replace(QChar(0x0451), QChar(0x0435)).replace(QChar(0x0401), QChar(0x0415));
  return word.replace(QChar(0x2019), QLatin1Char('\''));
}

QString Trimmed(QString word) {
  word = word.trimmed();
  if (word.startsWith(QChar(0xFEFF))) word.remove(0, 1);
  return word;
}

}  // namespace

#ifdef VELMORA_HUNSPELL
struct TDictionary {
  std::unique_ptr<Hunspell> Speller;
  QStringEncoder Encoder;
  QStringDecoder Decoder;
};
#else
struct TDictionary {};
#endif

struct TDictionaries {
  std::vector<std::unique_ptr<TDictionary>> List;
};

namespace {

#ifdef VELMORA_HUNSPELL
// `word` in the dictionary's encoding; false when a letter of it has no byte there (some encoders
// put a '?' in its place instead of telling): then it is none of the dictionary's words.
bool Encode(TDictionary& d, const QString& word, std::string& bytes) {
  const QByteArray encoded = d.Encoder.encode(word);
  if (d.Encoder.hasError() || d.Decoder.decode(encoded) != word || d.Decoder.hasError()) {
    d.Encoder.resetState();
    d.Decoder.resetState();
    return false;
  }
  bytes = encoded.toStdString();
  return true;
}
#endif

// The first pair of files of each language, in the order of the folders.
std::vector<std::pair<QString, QString>> DictionaryFiles(const QStringList& folders, const QStringList& languages) {
  std::vector<std::pair<QString, QString>> files;
#ifdef VELMORA_HUNSPELL
  for (const QString& language : languages) {
    for (QString folder : folders) {
      if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
      const QString aff = folder + language + QStringLiteral(".aff"), dic = folder + language + QStringLiteral(".dic");
      if (QFileInfo(aff).isFile() && QFileInfo(dic).isFile()) {
        files.emplace_back(aff, dic);
        break;
      }
    }
  }
#else
  Q_UNUSED(folders);
  Q_UNUSED(languages);
#endif
  return files;
}

std::shared_ptr<TDictionaries> Load(const std::vector<std::pair<QString, QString>>& files) {
  auto loaded = std::make_shared<TDictionaries>();
#ifdef VELMORA_HUNSPELL
  for (const auto& [aff, dic] : files) {
    auto speller = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
    const QByteArray encoding = EncodingName(speller->get_dict_encoding());
    auto one = std::make_unique<TDictionary>();
    one->Encoder = QStringEncoder(encoding.constData(), QStringConverter::Flag::Stateless);
    one->Decoder = QStringDecoder(encoding.constData(), QStringConverter::Flag::Stateless);
    if (!one->Encoder.isValid() || !one->Decoder.isValid()) continue;  // an encoding Qt cannot write: left out
    one->Speller = std::move(speller);
    loaded->List.push_back(std::move(one));
  }
#else
  Q_UNUSED(files);
#endif
  return loaded;
}

// One reading per set of dictionaries for the whole process, started by the first checker.
std::shared_future<std::shared_ptr<TDictionaries>> Shared(const QStringList& folders, const QStringList& languages) {
  static std::mutex guard;
  static std::map<QString, std::shared_future<std::shared_ptr<TDictionaries>>> readings;
  const auto files = DictionaryFiles(folders, languages);
  QString key;
  for (const auto& pair : files) key += pair.second + QLatin1Char('\n');
  const std::lock_guard lock(guard);
  auto found = readings.find(key);
  if (found != readings.end()) return found->second;
  auto reading = std::async(std::launch::async, [files] {
                   // A failure (no memory for a dictionary) leaves spell checking off, never the program.
                   try {
                     return Load(files);
                   } catch (...) {
                     return std::make_shared<TDictionaries>();
                   }
                 }).share();
  readings.emplace(key, reading);
  return reading;
}

}  // namespace

// The reading under way is kept apart from the header: <future> is not needed by its readers.
struct TDictionariesReading {
  std::shared_future<std::shared_ptr<TDictionaries>> Future;
};

TSpellChecker::TSpellChecker(const QString& personalFile, const QStringList& folders, const QStringList& languages)
    : FFolders(folders), FLanguages(languages), FPersonalFile(personalFile) {
  QStringList words;
  FPersonalReadWhole = ReadPersonal(words);
  for (const QString& w : words) FPersonal.insert(w);
}

TSpellChecker::~TSpellChecker() = default;

QStringList TSpellChecker::DefaultFolders() {
  return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/local/share/hunspell"),
          QStringLiteral("/usr/share/myspell/dicts")};
}

QStringList TSpellChecker::DefaultLanguages() { return {QStringLiteral("ru_RU"), QStringLiteral("en_US")}; }

bool TSpellChecker::DictionaryPresent(const QStringList& folders, const QStringList& languages) {
  return !DictionaryFiles(folders, languages).empty();
}

void TSpellChecker::StartReading() {
  if (!FReading && !FDictionaries)
    FReading = std::make_unique<TDictionariesReading>(TDictionariesReading{Shared(FFolders, FLanguages)});
}

bool TSpellChecker::Ready() {
  return FDictionaries || (FReading && FReading->Future.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
}

bool TSpellChecker::Available() {
  StartReading();
  if (!FDictionaries && FReading) {
    FDictionaries = FReading->Future.get();
    FReading.reset();
  }
  return FDictionaries && !FDictionaries->List.empty();
}

bool TSpellChecker::Check(const QString& word) {
  const auto known = FKnown.constFind(word);
  if (known != FKnown.constEnd()) return *known;
  const bool right = CheckUncached(word);
  if (FKnown.size() >= kMostRemembered) FKnown.clear();
  FKnown.insert(word, right);
  return right;
}

bool TSpellChecker::CheckUncached(const QString& word) {
  if (!Available()) return true;
  auto one = [this](const QString& w) {
    if (FPersonal.contains(w) || FPersonal.contains(w.toLower())) return true;
    if (InDictionaries(w)) return true;
    // Dictionaries differ in writing ё and the typographic apostrophe; either spelling is right.
    const QString plain = Plain(w);
    return plain != w && InDictionaries(plain);
  };
  if (one(word)) return true;
  if (!word.contains(QLatin1Char('-'))) return false;
  // A hyphenated word the dictionaries lack is right when each of its parts is.
  for (const QString& part : word.split(QLatin1Char('-'), Qt::SkipEmptyParts))
    if (part.size() > 1 && !one(part)) return false;
  return true;
}

bool TSpellChecker::InDictionaries(const QString& word) {
#ifdef VELMORA_HUNSPELL
  std::string bytes;
  for (const auto& d : FDictionaries->List)
    if (Encode(*d, word, bytes) && d->Speller->spell(bytes)) return true;
#else
  Q_UNUSED(word);
#endif
  return false;
}

QStringList TSpellChecker::Suggest(const QString& word, int most) {
  QStringList found;
  if (!Available()) return found;
#ifdef VELMORA_HUNSPELL
  std::string bytes;
  for (const auto& d : FDictionaries->List) {
    if (!Encode(*d, word, bytes)) continue;
    for (const std::string& s : d->Speller->suggest(bytes)) {
      const QString suggestion = d->Decoder.decode(QByteArray::fromStdString(s));
      if (d->Decoder.hasError()) {
        d->Decoder.resetState();
        continue;
      }
      if (!found.contains(suggestion)) found << suggestion;
      if (found.size() >= most) return found;
    }
  }
#else
  Q_UNUSED(word);
  Q_UNUSED(most);
#endif
  return found;
}

bool TSpellChecker::ReadPersonal(QStringList& words) {
  words.clear();
  if (FPersonalFile.isEmpty() || !QFileInfo::exists(FPersonalFile)) return true;
  QFile file(FPersonalFile);
  if (!file.open(QIODevice::ReadOnly)) {
    FFailure = file.errorString();
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    FFailure = file.errorString();
    return false;
  }
  QStringDecoder utf8(QStringConverter::Utf8);
  const QString text = utf8.decode(bytes);
  if (utf8.hasError()) {
    FFailure = QStringLiteral("not UTF-8");
    return false;  // what was read is used, never written back over the file
  }
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const QString w = Trimmed(line);
    if (!w.isEmpty()) words << w;
  }
  return true;
}

bool TSpellChecker::AddWord(const QString& word) {
  const QString w = Trimmed(word);
  if (w.isEmpty()) return false;
  FPersonal.insert(w);
  FKnown.clear();
  if (FPersonalFile.isEmpty() || !FPersonalReadWhole) return false;
  // Read again: another copy of the program may have added words since the start.
  QStringList words;
  if (!ReadPersonal(words)) return false;
  for (const QString& other : words) FPersonal.insert(other);
  if (!words.contains(w)) words << w;
  const QByteArray bytes = (words.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
  QSaveFile file(FPersonalFile);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    FFailure = file.errorString();
    return false;
  }
  QFile back(FPersonalFile);
  if (!back.open(QIODevice::ReadOnly) || back.readAll() != bytes) {
    FFailure = back.errorString();
    return false;
  }
  FFailure.clear();
  return true;
}
