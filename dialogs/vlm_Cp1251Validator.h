#pragma once
// The one rule for text typed or pasted into a one-line field whose text is stored: characters that
// Windows-1251 cannot hold are left out, the rest is taken, and `refused` is told which were left out.
#include <QValidator>
#include <functional>

#include "vlm_Strings.h"  // WithoutForeignCharacters

class TCp1251Validator : public QValidator {
public:
  TCp1251Validator(QObject* parent, std::function<void(const QString&)> refused)
      : QValidator(parent), FRefused(std::move(refused)) {}
  State validate(QString& input, int& position) const override;

private:
  std::function<void(const QString&)> FRefused;
};
