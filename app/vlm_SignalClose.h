#pragma once
// SIGTERM, SIGHUP and SIGINT (the session ending, the terminal closed, Ctrl+C) become an ordinary
// event on the event loop, so the program closes as through its exit button and writes its files.
#include <QObject>

class QSocketNotifier;

class TSignalListener : public QObject {
  Q_OBJECT
public:
  // Installs the handlers; one listener per process. False when the system refused.
  explicit TSignalListener(QObject* parent = nullptr);
  ~TSignalListener() override;
  bool Installed() const { return FInstalled; }

signals:
  // On the event loop, once per signal received.
  void Received(int signal);

private:
  void Drain();
  QSocketNotifier* FNotifier = nullptr;
  bool FInstalled = false;
};

// Tells `window` it closes for a signal (it asks nothing and shows no notice that waits from now
// on), ends every modal dialog (as if cancelled), then closes `window` on the event loop. Only when
// three signals have been left unanswered for two seconds (the program is stuck) does a fourth end
// it at once; signals that come while the program writes its files (vlm_WritingFiles.h) never do.
void CloseForSignal(class Tfrm_MainForm* window);
