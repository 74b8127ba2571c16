// SPDX-License-Identifier: GPL-2.0-or-later
// The photos an export has read, kept in a scratch file rather than in
// memory, so that an export of any number of photos needs the memory of one:
// the formats that need every photo's tags before their first line (the
// sheet layouts, the database CSV data file) read them back photo by photo.
#pragma once

#include <cstddef>
#include <functional>

#include "export/photo_values.h"
#include "export/scratch_file.h"

namespace kelvane {

class PhotoSpill {
 public:
  PhotoSpill() = default;

  // False when the scratch file can't be made or written (error() says why).
  bool Add(const PhotoValues& photo);
  size_t Count() const { return count_; }
  int error() const { return file_.error(); }

  // Hands every photo to visit in the order they were added; stops when
  // visit returns false. False when reading failed or visit said stop.
  bool Replay(const std::function<bool(const PhotoValues&)>& visit);

 private:
  ScratchFile file_;
  size_t count_ = 0;
};

}  // namespace kelvane
