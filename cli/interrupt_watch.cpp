// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/interrupt_watch.h"

#include <ctime>

namespace kelvane::cli {

InterruptWatch::InterruptWatch() {
  sigemptyset(&interrupt_);
  sigaddset(&interrupt_, SIGINT);
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
  if (sigpending(&pending) != 0 || sigismember(&pending, SIGINT) != 1) return;
  const timespec noWait{0, 0};
  if (sigtimedwait(&interrupt_, nullptr, &noWait) == SIGINT) interrupted_ = true;
}

}  // namespace kelvane::cli
