#include "vlm_Strings.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const char* const kCodePage = "windows-1251";
}

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
    for (qsizetype i = 0; i < text.size(); ++i) {
      const qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
      const QString ch = text.mid(i, n);
      QStringEncoder one(kCodePage);
      const QByteArray ignored = one.encode(ch);  // encoding happens on conversion
      if (one.hasError() && !bad->contains(ch)) bad->append(ch);
      i += n - 1;
    }
  }
  return false;
}

QString FromAnyText(std::string_view text) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  if (!utf8.hasError()) return decoded;
  return FromCp(text);
}
