#include "vlm_AutoSave.h"

#include <QGuiApplication>
#include <QSessionManager>

TAutoSave::TAutoSave(std::function<bool()> changed, TSave save, TReport report, QObject* parent)
    : QObject(parent), FChanged(std::move(changed)), FSave(std::move(save)), FReport(std::move(report)) {
  FTimer.setSingleShot(true);
  SetInterval(kDefaultSeconds);
  connect(&FTimer, &QTimer::timeout, this, &TAutoSave::SaveNow);
}

void TAutoSave::SetInterval(int seconds) {
  FTimer.setInterval(seconds * 1000);
  if (seconds <= 0) FTimer.stop();
}

void TAutoSave::Edited() {
  if (FTimer.interval() > 0 && !FTimer.isActive() && FChanged()) FTimer.start();
}

void TAutoSave::SaveNow() {
  FTimer.stop();
  if (FSaving || !FChanged()) return;
  if (Busy && Busy()) {
    Edited();
    return;
  }
  FSaving = true;
  const std::vector<TJournalSaveFailure> failures = FSave();
  FSaving = false;
  if (failures.empty()) {
    FFailing = false;
  } else if (!FFailing) {
    FFailing = true;
    FReport(failures);
  }
  Edited();  // what could not be written is tried again after the interval
}

void TAutoSave::WatchApplication() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) return;
  connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive) SaveNow();
  });
  // The session manager waits for these handlers: the files are on disk when it goes on.
  connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { SaveNow(); }, Qt::DirectConnection);
  connect(app, &QGuiApplication::saveStateRequest, this, [this](QSessionManager&) { SaveNow(); }, Qt::DirectConnection);
}
