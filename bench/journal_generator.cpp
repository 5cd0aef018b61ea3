#include "journal_generator.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "xml_functions.h"

namespace {

// A small fixed generator, so that the files do not depend on the standard library's engines.
struct Lcg {
  std::uint64_t state;
  std::uint32_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state >> 33);
  }
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1)); }
};

const char* const kWords[] = {
    "сон", "ночь", "город", "дом", "море", "небо", "лес", "дорога", "окно", "свет", "тень", "мост", "река",
    "поезд", "старый", "тёмный", "светлый", "высокий", "тихий", "странный", "знакомый", "далёкий", "летал",
    "шёл", "видел", "слышал", "искал", "нашёл", "открыл", "стоял", "ждал", "вспомнил", "над", "под", "через",
    "вдоль", "около", "потом", "вдруг", "снова", "медленно", "быстро", "долго", "почти", "и", "но", "когда",
    "где", "я", "мы", "они", "друг", "сестра", "учитель", "кошка", "птица", "облако", "лестница", "комната",
    "дверь", "ключ", "зеркало", "голос", "музыка", "вода", "крыша", "улица", "площадь", "сад", "поле", "гора",
    "берег", "лодка", "письмо", "книга", "часы", "утро", "вечер", "зима", "лето", "дождь", "снег", "ветер",
};

std::vector<std::string> Cp1251Words() {
  std::vector<std::string> words;
  for (const char* w : kWords) words.push_back(Utf8ToCp1251(w));
  return words;
}

void Capitalize(std::string& s, std::size_t at) {
  unsigned char c = static_cast<unsigned char>(s[at]);
  if (c >= 0xE0) s[at] = static_cast<char>(c - 0x20);
  else if (c == 0xB8) s[at] = static_cast<char>(0xA8);  // ё
}

// Sentences of words until the length lies in [lo, hi]; ends with a full stop.
std::string Prose(Lcg& rng, const std::vector<std::string>& words, int lo, int hi) {
  const std::size_t target = static_cast<std::size_t>(rng.Range(lo, hi));
  std::string s;
  bool sentenceStart = true;
  while (true) {
    const std::string& w = words[rng.Next() % words.size()];
    std::size_t extra = (s.empty() ? 0 : 1) + w.size() + 1;
    if (s.size() + extra > target && s.size() + 1 >= static_cast<std::size_t>(lo)) break;
    if (!s.empty()) s += ' ';
    std::size_t at = s.size();
    s += w;
    if (sentenceStart) Capitalize(s, at);
    sentenceStart = rng.Range(0, 9) == 0;
    if (sentenceStart) s += '.';
  }
  if (s.back() != '.') s += '.';
  return s;
}

int DaysInMonth(int month, int year) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::string GenerateJournal(int years) {
  Lcg rng{static_cast<std::uint64_t>(years) * 7919 + 1};
  const std::vector<std::string> words = Cp1251Words();
  const std::string dir = Utf8ToCp1251("C:\\Сны\\");
  std::string out;
  out.reserve(static_cast<std::size_t>(years) * 365 * 3 * 800);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";
  out += "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">\r\n\r\n<velmora>\r\n";
  int number = 0;
  char buf[64];
  constexpr int kLastYear = 2024;
  for (int year = kLastYear + 1 - years; year <= kLastYear; ++year)
    for (int month = 1; month <= 12; ++month)
      for (int day = 1; day <= DaysInMonth(month, year); ++day) {
        std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", day, month, year % 100);
        out += "  <day name=\"";
        out += buf;
        out += "\">\r\n";
        for (int k = 0; k < 3; ++k) {
          std::snprintf(buf, sizeof buf, "%03d", ++number);
          out += "    <experience number=\"";
          out += buf;
          out += "\" title=\"";
          std::string title = Prose(rng, words, 12, 40);
          title.pop_back();  // no full stop in a title
          out += title;
          out += "\" readonly=\"false\">\r\n      <description>";
          out += Prose(rng, words, 200, 600);
          out += "</description>\r\n      <properties";
          for (int f = 1; f <= 4; ++f) {
            std::snprintf(buf, sizeof buf, " label%d=\"%s\"", f, rng.Range(0, 3) == 0 ? "true" : "false");
            out += buf;
          }
          std::snprintf(buf, sizeof buf, " />\r\n      <energy level=\"%d\" />\r\n", rng.Range(0, 200));
          out += buf;
          std::snprintf(buf, sizeof buf, "%06d.bmp\" />\r\n", number);
          out += "      <image path=\"" + dir + buf;
          out += "      <comment>" + Prose(rng, words, 20, 80) + "</comment>\r\n";
          out += "    </experience>\r\n";
        }
        out += "  </day>\r\n";
      }
  out += "</velmora>\r\n";
  return out;
}
