#include "frontend/window/exit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace qgu::frontend {
namespace {

constexpr std::array<int, 2> kExitSignals = {SIGTERM, SIGINT};

// One program, one window: the pipe and the former handlers are process-wide.
int signalPipe[2] = {-1, -1};
struct sigaction formerHandlers[kExitSignals.size()];

void OnExitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request; nothing else is safe to do here.
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

CExitSignals::CExitSignals(std::function<void()> exitRequested, QObject* parent)
    : QObject(parent), exitRequested_(std::move(exitRequested)) {
  if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &CExitSignals::TakeSignal);
  struct sigaction action {};
  action.sa_handler = OnExitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kExitSignals.size(); ++i) ::sigaction(kExitSignals[i], &action, &formerHandlers[i]);
  installed_ = true;
}

CExitSignals::~CExitSignals() {
  if (!installed_) return;
  for (size_t i = 0; i < kExitSignals.size(); ++i) ::sigaction(kExitSignals[i], &formerHandlers[i], nullptr);
  delete notifier_;
  ::close(signalPipe[0]);
  ::close(signalPipe[1]);
  signalPipe[0] = signalPipe[1] = -1;
}

void CExitSignals::TakeSignal() {
  char bytes[16];
  while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
  }
  // A second signal while the first is handled changes nothing.
  if (requested_) return;
  requested_ = true;
  exitRequested_();
}

}  // namespace qgu::frontend
