// SPDX-License-Identifier: GPL-2.0-or-later
// Build step: turns resources/tag_library.txt into the C++ table behind
// BuiltInLibraryStrings(). Usage: generate_tag_library <input.txt> <output.cpp>
// Fails (exit code 1, message on stderr) on a malformed line or an id that
// does not rise, so a damaged table never reaches the program.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr long kHighestId = 65535;

// A C++ string literal holding text byte for byte.
std::string Literal(const std::string& text) {
  std::string literal = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      literal += '\\';
      literal += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      literal += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\%03o", c);
      literal += escaped;
    }
  }
  return literal + "\"";
}

bool Fail(const std::string& input, int lineNumber, const std::string& why) {
  std::cerr << input << ":" << lineNumber << ": " << why << "\n";
  return false;
}

// Reads every "id text" line into C++ table rows.
bool ReadTable(const std::string& input, std::string& rows) {
  std::ifstream in(input, std::ios::binary);
  if (!in) return Fail(input, 0, "cannot be read");
  std::string line;
  long previousId = -1;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t space = line.find(' ');
    if (space == 0 || space == std::string::npos || space > 5 || line.find_first_not_of("0123456789") != space) {
      return Fail(input, lineNumber, "expected a decimal id, a space and the string");
    }
    const long id = std::stol(line.substr(0, space));
    if (id > kHighestId) return Fail(input, lineNumber, "id above 65535");
    if (id <= previousId) return Fail(input, lineNumber, "ids must rise from line to line");
    previousId = id;
    rows += "    {" + std::to_string(id) + ", " + Literal(line.substr(space + 1)) + "},\n";
  }
  if (previousId < 0) return Fail(input, 0, "holds no string");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: generate_tag_library <input.txt> <output.cpp>\n";
    return 1;
  }
  std::string rows;
  if (!ReadTable(argv[1], rows)) return 1;

  std::ostringstream source;
  source << "// Generated from resources/tag_library.txt by generate_tag_library.\n"
         << "#include \"export/tag_library.h\"\n\n"
         << "namespace kelvane {\nnamespace {\n\n"
         << "constexpr LibraryString kStrings[] = {\n"
         << rows << "};\n\n}  // namespace\n\n"
         << "std::span<const LibraryString> BuiltInLibraryStrings() { return kStrings; }\n\n"
         << "}  // namespace kelvane\n";
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << source.str();
  out.close();
  if (!out) {
    std::cerr << argv[2] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
