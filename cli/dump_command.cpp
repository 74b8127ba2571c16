#include "cli/dump_command.h"

#include <array>

#include "engine/exif_reader.h"

namespace kelvane::cli {
namespace {

constexpr std::array<const char*, kSlotCount> kSlotNames = {
    "ExifOffset", "ExifVersion", "DateTime(Modified)", "DateTimeOriginal", "DateTimeDigitized",
    "ExifImageWidth", "ExifImageHeight", "Copyright", "ImageDescription"};

// Bytes as text: printable ASCII as is, everything else as \xNN.
std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      static const char* hex = "0123456789ABCDEF";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace

int DumpPhoto(const std::string& path, FileOpsLibrary& fileOps, std::ostream& out, std::ostream& err) {
  PhotoFile file;
  if (!file.Open(path, PhotoFile::Mode::kRead)) {
    err << "kelvane-cli: cannot open " << path << "\n";
    return 1;
  }
  ExifReading reading;
  int32_t slotRequest = 0;
  const int16_t code = ReadExifTags(file, path, slotRequest, reading, fileOps);
  out << "result " << code << "  slotRequest " << slotRequest << "\n";
  out << "locator";
  for (int32_t n : reading.segment) out << ' ' << n;
  out << "\n";
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const ExifTagRecord& r = reading.tags[slot];
    out << "slot " << slot << ' ' << kSlotNames[slot] << ": ";
    if (r.tag == 0) {
      out << "-\n";
      continue;
    }
    out << "tag " << r.tag << " dir " << r.directory << " type " << int{r.type} << " count " << r.count
        << " bytes " << r.byteLength << " value " << r.valueField << " entry@" << r.entryPosition << " data@"
        << r.dataPosition;
    if (!r.text.empty()) out << " text \"" << Printable(r.text) << '"';
    out << "\n";
  }
  return code == 0 ? 0 : 1;
}

}  // namespace kelvane::cli
