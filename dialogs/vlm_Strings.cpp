#include "vlm_Strings.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "xml_functions.h"

// Qt's converter rather than xml's Cp1251ToUtf8 (which serves the code below Qt): it is the fast
// path for whole texts, and it keeps byte 0x98 as U+0098, so an editor gives back every byte it showed.
namespace {
const char* const kCodePage = "windows-1251";

bool Encodable(const QString& text) {
  QStringEncoder encoder(kCodePage);
  const QByteArray ignored = encoder.encode(text);  // encoding happens on conversion
  return encoder.isValid() && !encoder.hasError();
}
}  // namespace

QString FromCp(std::string_view cp1251) {
  QStringDecoder decoder(kCodePage);
  if (!decoder.isValid()) return QString::fromLatin1(cp1251.data(), static_cast<qsizetype>(cp1251.size()));
  return decoder.decode(QByteArrayView(cp1251.data(), static_cast<qsizetype>(cp1251.size())));
}

bool ToCp(const QString& text, std::string& cp1251, QString* bad) {
  QStringEncoder encoder(kCodePage);
  cp1251.clear();
  if (!encoder.isValid()) return false;
  const QByteArray bytes = encoder.encode(text);
  if (!encoder.hasError()) {
    cp1251.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
  }
  if (bad) {
    // Find the characters one by one; only done on the rare failing path.
    bad->clear();
    WithoutForeignCharacters(text, bad);
  }
  return false;
}

QString WithoutForeignCharacters(const QString& text, QString* left) {
  if (Encodable(text)) return text;
  QString kept;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
    const QString ch = text.mid(i, n);
    if (Encodable(ch))
      kept += ch;
    else if (left && !left->contains(ch))
      left->append(ch);
    i += n - 1;
  }
  return kept;
}

QString FromAnyText(std::string_view text) {
  if (ValidUtf8(text)) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return FromCp(text);
}
