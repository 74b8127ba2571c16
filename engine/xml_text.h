// SPDX-License-Identifier: GPL-2.0-or-later
// Text as XML holds it: escaping for element content and attribute values,
// and decoding of entity and character references.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// text as valid UTF-8 holding only characters XML allows: bytes that are not
// part of a UTF-8 sequence are read as Windows-1252 (the code page of older
// Exif text), control characters other than tab, line feed and carriage
// return are dropped, as are U+FFFE and U+FFFF.
std::string XmlCharacters(std::string_view text);

// XmlCharacters(text) escaped for element content: & < > and the carriage
// return (which a reader would otherwise turn into a line feed).
std::string EscapeXmlContent(std::string_view text);

// The same for an attribute value in the given quotes; tab and line feed are
// escaped as well, since readers turn them into blanks.
std::string EscapeXmlAttribute(std::string_view text, char quote);

// raw with its references (&lt; &gt; &amp; &apos; &quot; &#N; &#xH;)
// replaced by their characters; nothing when a reference is unknown, cut
// short or names a character XML does not allow.
std::optional<std::string> DecodeXmlReferences(std::string_view raw);

}  // namespace kelvane
