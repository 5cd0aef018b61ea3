#pragma once
// Every modal thing the main window opens goes through this seam, so that tests can answer it
// without a modal loop. TQtUserInteraction is the program's own, with real dialogs.
#include <QString>
#include <QUrl>

#include "vlm_AuthorizationForm.h"

class QWidget;

struct TLoginResult {
  bool Accepted = false;  // left with OK
  QString UserName;
  QString Password;
};

class TUserInteraction {
public:
  virtual ~TUserInteraction() = default;
  // The authorization dialog in the given mode, shown modally.
  virtual TLoginResult AskCredentials(QWidget* parent, TAuthorizationMode mode) = 0;
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  virtual void ShowWarning(QWidget* parent, const QString& text) = 0;
  // Files could not be written at exit: true to go back to the program, false to close anyway.
  virtual bool AskGoBackAfterSaveFailure(QWidget* parent, const QString& text) = 0;
  // The desktop's "open" on a web address; the result is ignored.
  virtual void OpenUrl(const QUrl& url) = 0;
};

class TQtUserInteraction : public TUserInteraction {
public:
  TLoginResult AskCredentials(QWidget* parent, TAuthorizationMode mode) override;
  void ShowError(QWidget* parent, const QString& text) override;
  void ShowWarning(QWidget* parent, const QString& text) override;
  bool AskGoBackAfterSaveFailure(QWidget* parent, const QString& text) override;
  void OpenUrl(const QUrl& url) override;
};
