// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace kelvane {

namespace {

constexpr std::array<int, 2> kSignals{SIGTERM, SIGHUP};

// The one thing a signal handler may reach is a value of its own: the
// pipe's write end, set while a TerminationSignals object lives.
volatile sig_atomic_t writeEnd = -1;

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a byte that wakes the notifier.
  [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) return;
  writeEnd = pipe_[1];
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);

  struct sigaction action {};
  action.sa_handler = &OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kSignals.size(); ++i) installed_[i] = ::sigaction(kSignals[i], &action, &previous_[i]) == 0;
}

TerminationSignals::~TerminationSignals() {
  for (size_t i = 0; i < kSignals.size(); ++i) {
    if (installed_[i]) ::sigaction(kSignals[i], &previous_[i], nullptr);
  }
  writeEnd = -1;
  delete notifier_;
  for (const int fd : pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

void TerminationSignals::Drain() {
  char bytes[64];
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  emit received();
}

}  // namespace kelvane
