// SPDX-License-Identifier: GPL-2.0-or-later
// Text as the XML parts of a workbook can hold it.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// Cell text for element content: the text as UTF-8 (ToUtf8) with &, < and > escaped,
// and the characters XML can't carry (control characters other than tab and
// line feed, carriage return, U+FFFE, U+FFFF) written the way spreadsheet
// applications read them back, as _xHHHH_; a literal "_xHHHH_" in the text
// has its underscore escaped so that it is not decoded.
std::string CellTextXml(std::string_view bytes);

}  // namespace kelvane
