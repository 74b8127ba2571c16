// SPDX-License-Identifier: GPL-2.0-or-later
// The three sound cues that accompany messages.
#pragma once

namespace kelvane {

enum class SoundCue : int { Success = 0, Error = 1, Attention = 2 };

}  // namespace kelvane
