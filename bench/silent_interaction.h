#pragma once
// The window's questions answered by nobody, for benchmarks: no dialog is ever expected there, and
// any message is kept so that a benchmark can fail with it.
#include <QStringList>

#include "vlm_UserInteraction.h"

class TSilentInteraction : public TUserInteraction {
public:
  TLoginResult AskCredentials(QWidget*, TAuthorizationMode) override { return {}; }
  void ShowError(QWidget*, const QString& text) override { Failures << text; }
  void ShowWarning(QWidget*, const QString& text) override { Failures << text; }
  bool AskGoBackAfterSaveFailure(QWidget*, const QString&) override { return false; }
  void OpenUrl(const QUrl&) override {}
  TNewElementResult AskNewElement(QWidget*, TNewElementKind, int, const TTypedPathCheck&) override { return {}; }
  TConfirmationResult AskConfirmation(QWidget*, const QString&) override { return {}; }
  bool AskReplaceFile(QWidget*, const QString&) override { return false; }
  QString AskOpenImage(QWidget*) override { return {}; }
  void ShowAbout(QWidget*) override {}
  QStringList Failures;
};
