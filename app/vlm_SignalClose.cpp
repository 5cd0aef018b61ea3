#include "vlm_SignalClose.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cerrno>
#include <csignal>

#include "vlm_MainForm.h"
#include "vlm_WritingFiles.h"

namespace {
int gPipe[2] = {-1, -1};  // [0] read by the event loop, [1] written by the handler
// Signals written but not yet read. When three went unanswered the event loop is stuck, and the
// next signal ends the program the old way rather than being ignored for ever; but a program that
// is writing its files is busy, not stuck, and ending it would lose what it writes.
std::atomic<int> gPending{0};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnSignal(int signal) {
  const int savedErrno = errno;
  if (gPending.fetch_add(1) >= 3 && gWritingFiles.load() == 0) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const auto written = ::write(gPipe[1], &byte, 1);
  errno = savedErrno;
}
}  // namespace

TSignalListener::TSignalListener(QObject* parent) : QObject(parent) {
  if (gPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gPipe) != 0) return;
  ::fcntl(gPipe[1], F_SETFL, ::fcntl(gPipe[1], F_GETFL) | O_NONBLOCK);
  ::fcntl(gPipe[0], F_SETFL, ::fcntl(gPipe[0], F_GETFL) | O_NONBLOCK);
  FNotifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, &TSignalListener::Drain);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  FInstalled = true;
  for (int s : kSignals) FInstalled = ::sigaction(s, &action, nullptr) == 0 && FInstalled;
}

TSignalListener::~TSignalListener() {
  if (!FNotifier) return;
  // Back to the default: a signal that comes while the program winds down ends it at once.
  for (int s : kSignals) ::signal(s, SIG_DFL);
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

void TSignalListener::Drain() {
  unsigned char bytes[16];
  ssize_t n;
  while ((n = ::read(gPipe[0], bytes, sizeof bytes)) > 0) {
    gPending.fetch_sub(static_cast<int>(n));
    for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
  }
}

void CloseForSignal(Tfrm_MainForm* window) {
  // First, so that a closing waiting in a dialog below goes on the signal's way once it is gone.
  if (window) window->ClosingForSignal();
  // A dialog left open would hold the window's close back (and the event loop with it).
  for (int guard = 0; guard < 32; ++guard) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) break;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
    if (QApplication::activeModalWidget() == modal) break;  // it would not go
  }
  if (!window) return;
  // Queued, so the dialogs' own loops have unwound before the window writes its files.
  QTimer::singleShot(0, window, [w = QPointer<Tfrm_MainForm>(window)] {
    if (w) w->close();
  });
}
