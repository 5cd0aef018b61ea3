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
#include <cstdint>
#include <ctime>

#include "vlm_MainForm.h"
#include "vlm_WritingFiles.h"

namespace {
int gPipe[2] = {-1, -1};  // [0] read by the event loop, [1] written by the handler; kept for life
// Signals written but not yet read, and when the oldest of them came. When three signals have
// been left unanswered for a while the event loop is stuck (or the program is past it, winding
// down and stuck there), and a fourth ends the program the old way rather than being ignored for
// ever. A burst of signals during an exit save is not that, nor is a second signal while a long
// task holds the window: a program that is writing its files, or that answers within the grace
// period, is busy, not stuck, and ending it would lose its files.
std::atomic<int> gPending{0};
std::atomic<std::int64_t> gOldestPendingNs{0};
constexpr int kUnansweredBeforeEnd = 3;
constexpr std::int64_t kStuckAfterNs = 2'000'000'000;
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

std::int64_t NowNs() {
  timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);  // async-signal-safe
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void OnSignal(int signal) {
  const int savedErrno = errno;
  const std::int64_t now = NowNs();
  const int unanswered = gPending.fetch_add(1);
  if (unanswered == 0) gOldestPendingNs.store(now);
  if (unanswered >= kUnansweredBeforeEnd && now - gOldestPendingNs.load() > kStuckAfterNs && gWritingFiles.load() == 0) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const auto written = ::write(gPipe[1], &byte, 1);
  errno = savedErrno;
}

// Once per process: the pipe stays open and the handlers installed after a listener is gone, so
// that a late signal never writes into a descriptor the program has since reused for a file.
bool InstallHandlers() {
  if (gPipe[0] >= 0) return true;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gPipe) != 0) return false;
  ::fcntl(gPipe[1], F_SETFL, ::fcntl(gPipe[1], F_GETFL) | O_NONBLOCK);
  ::fcntl(gPipe[0], F_SETFL, ::fcntl(gPipe[0], F_GETFL) | O_NONBLOCK);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  bool installed = true;
  for (int s : kSignals) installed = ::sigaction(s, &action, nullptr) == 0 && installed;
  return installed;
}
}  // namespace

TSignalListener::TSignalListener(QObject* parent) : QObject(parent) {
  FInstalled = InstallHandlers();
  if (gPipe[0] < 0) return;
  FNotifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, &TSignalListener::Drain);
}

// Signals from here on are no longer answered: if winding down stalls, a fourth one after the
// grace period ends the program at once.
TSignalListener::~TSignalListener() = default;

void TSignalListener::Drain() {
  unsigned char bytes[16];
  ssize_t n;
  while ((n = ::read(gPipe[0], bytes, sizeof bytes)) > 0) {
    // Any left came during this read: they wait from now.
    if (gPending.fetch_sub(static_cast<int>(n)) > n) gOldestPendingNs.store(NowNs());
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
