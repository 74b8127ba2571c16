// SPDX-License-Identifier: GPL-2.0-or-later
// Ctrl-C as the Cancel button: while the watch lives, SIGINT — and SIGTERM
// and SIGHUP, which a closing terminal, a service manager or `kill` send —
// are held back (blocked) and taken when asked for, so a run notices them
// between files, where the batch layer checks for Cancel, instead of dying
// mid-write.
#pragma once

#include <signal.h>

namespace kelvane::cli {

class InterruptWatch {
 public:
  InterruptWatch();
  // Takes a SIGINT still held back (it came too late to cancel anything) and
  // lets the signal through again.
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // True once one of the three has arrived while the watch lives.
  bool Interrupted();

 private:
  void TakePending();

  sigset_t interrupt_{};
  sigset_t previous_{};
  bool interrupted_ = false;
};

}  // namespace kelvane::cli
