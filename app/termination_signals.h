// SPDX-License-Identifier: GPL-2.0-or-later
// SIGTERM and SIGHUP (a logout, a service manager, kill, a closed terminal)
// taken into the event loop: the handler only writes a byte to a pipe, and a
// notifier on the pipe's other end emits received() where the window can
// act on it. Without the pipe the signals end the program at once, as
// before. One object at a time; its end puts the previous handlers back.
#pragma once

#include <signal.h>

#include <QObject>
#include <array>

class QSocketNotifier;

namespace kelvane {

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 signals:
  void received();

 private:
  void Drain();

  std::array<int, 2> pipe_{-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  std::array<struct sigaction, 2> previous_{};
  std::array<bool, 2> installed_{};
};

}  // namespace kelvane
