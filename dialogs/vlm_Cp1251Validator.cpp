#include "vlm_Cp1251Validator.h"

#include <QStringEncoder>

namespace {
bool Encodable(const QString& text) {
  QStringEncoder encoder("windows-1251");
  const QByteArray ignored = encoder.encode(text);  // encoding happens on conversion
  return encoder.isValid() && !encoder.hasError();
}
}  // namespace

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

QValidator::State TCp1251Validator::validate(QString& input, int& position) const {
  QString left;
  const QString kept = WithoutForeignCharacters(input, &left);
  if (left.isEmpty()) return Acceptable;
  // The cursor stays after the same characters it followed.
  position = static_cast<int>(WithoutForeignCharacters(input.left(position)).size());
  input = kept;
  if (FRefused) FRefused(left);
  return Acceptable;
}
