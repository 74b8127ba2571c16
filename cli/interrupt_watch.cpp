// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/interrupt_watch.h"

#include <ctime>

namespace kelvane::cli {

InterruptWatch::InterruptWatch() {
  sigemptyset(&interrupt_);
  sigaddset(&interrupt_, SIGINT);
  sigaddset(&interrupt_, SIGTERM);
  sigaddset(&interrupt_, SIGHUP);
  sigprocmask(SIG_BLOCK, &interrupt_, &previous_);
}

InterruptWatch::~InterruptWatch() {
  TakePending();
  sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

bool InterruptWatch::Interrupted() {
  if (!interrupted_) TakePending();
  return interrupted_;
}

void InterruptWatch::TakePending() {
  sigset_t pending;
  sigemptyset(&pending);
  if (sigpending(&pending) != 0) return;
  if (sigismember(&pending, SIGINT) != 1 && sigismember(&pending, SIGTERM) != 1 && sigismember(&pending, SIGHUP) != 1) {
    return;
  }
  const timespec noWait{0, 0};
  while (sigtimedwait(&interrupt_, nullptr, &noWait) > 0) interrupted_ = true;
}

}  // namespace kelvane::cli
