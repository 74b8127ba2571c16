// SPDX-License-Identifier: GPL-2.0-or-later
// A flag held set for the length of a scope: the change handlers use it to
// keep from handling the changes they make themselves.
#pragma once

namespace kelvane {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace kelvane
