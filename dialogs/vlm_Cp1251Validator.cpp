#include "vlm_Cp1251Validator.h"

#include "vlm_Strings.h"

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
