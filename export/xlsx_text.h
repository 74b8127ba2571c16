// SPDX-License-Identifier: GPL-2.0-or-later
// Text as the XML parts of a workbook can hold it.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// Valid UTF-8 passes unchanged; every other byte is read as a Latin-1
// character, so photo names and values in a single-byte character set stay
// readable instead of making the part unreadable.
std::string ToUtf8(std::string_view bytes);

// The number of characters of valid UTF-8 text.
size_t CountCharacters(std::string_view utf8);

// Cell text for element content: the text as UTF-8 with &, < and > escaped,
// and the characters XML can't carry (control characters other than tab and
// line feed, carriage return, U+FFFE, U+FFFF) written the way spreadsheet
// applications read them back, as _xHHHH_; a literal "_xHHHH_" in the text
// has its underscore escaped so that it is not decoded.
std::string CellTextXml(std::string_view bytes);

}  // namespace kelvane
