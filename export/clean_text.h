// SPDX-License-Identifier: GPL-2.0-or-later
// The one rule by which every text an export writes becomes clean UTF-8:
// a text stops at its first zero byte, as an Exif text does, and every byte
// that is not part of a well-formed UTF-8 sequence is taken for the Latin-1
// character of that code (the single-byte character sets cameras and older
// programs write are mostly Latin-1 or close to it). No export writes a zero
// byte, and every reader can decode every text.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// Valid UTF-8 passes unchanged; every other byte becomes its Latin-1
// character. Zero bytes are kept (see CleanText).
std::string ToUtf8(std::string_view bytes);

// The text up to its first zero byte, as UTF-8 (ToUtf8).
std::string CleanText(std::string_view bytes);

// The number of characters of valid UTF-8 text.
size_t CountCharacters(std::string_view utf8);

// UCS-2 text (two bytes a character, most significant first when
// bigEndian) as UTF-8, up to its first U+0000; surrogates are left out.
std::string Ucs2ToUtf8(std::string_view bytes, bool bigEndian);

// Bytes as lower-case hexadecimal digits, two per byte.
std::string HexText(std::string_view bytes);

}  // namespace kelvane
