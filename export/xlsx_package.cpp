// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/xlsx_package.h"

#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <set>

#include "export/clean_text.h"
#include "export/xlsx_text.h"

namespace kelvane {
namespace {

constexpr const char* kContentTypesPart = "[Content_Types].xml";
constexpr const char* kPackageRelsPart = "_rels/.rels";
constexpr const char* kRelNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kWorksheetRelType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char* kWorksheetContentType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

// Parts read to be changed are small; anything bigger is not a workbook part.
constexpr zip_uint64_t kMaxPartSize = 64u << 20;
constexpr size_t kMaxSheetNameChars = 31;

constexpr std::string_view kNewContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "</Types>";
constexpr std::string_view kNewPackageRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/>"
    "</Relationships>";
constexpr std::string_view kNewWorkbook =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<bookViews><workbookView/></bookViews><sheets/></workbook>";
constexpr std::string_view kNewWorkbookRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/>"
    "</Relationships>";
constexpr std::string_view kNewStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

struct ZipDiscard {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscard>;

struct FileClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, FileClose>;

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The element or attribute name without its namespace prefix.
std::string_view LocalName(std::string_view name) {
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The prefix of an element's name including its colon ("x:"), or empty.
std::string PrefixOf(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

pugi::xml_node ChildByLocalName(const pugi::xml_node& parent, std::string_view local) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && LocalName(child.name()) == local) return child;
  }
  return {};
}

// The folder of a part name, with its trailing "/" ("xl/" for "xl/workbook.xml").
std::string PartFolder(std::string_view part) {
  const size_t slash = part.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

// The relationships part that belongs to a part.
std::string RelsPartOf(std::string_view part) {
  const size_t slash = part.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? part : part.substr(slash + 1);
  return PartFolder(part) + "_rels/" + std::string(name) + ".rels";
}

// A relationship target read from a part in folder, as a part name; empty
// when it leaves the package.
std::string ResolveTarget(const std::string& folder, std::string_view target) {
  const std::string joined =
      !target.empty() && target.front() == '/' ? std::string(target.substr(1)) : folder + std::string(target);
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    const std::string segment = joined.substr(start, end - start);
    if (segment == "..") {
      if (segments.empty()) return {};
      segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string part;
  for (const std::string& segment : segments) part += (part.empty() ? "" : "/") + segment;
  return part;
}

// Parses a part keeping its declaration, comments and white space, so that
// writing it back changes only what was added.
bool Parse(pugi::xml_document& doc, std::string_view text) {
  const pugi::xml_parse_result result =
      doc.load_buffer(text.data(), text.size(), pugi::parse_full | pugi::parse_ws_pcdata, pugi::encoding_auto);
  return result && doc.document_element();
}

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

std::string Serialise(const pugi::xml_document& doc) {
  StringWriter writer;
  doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return std::move(writer.text);
}

// The whole content of an entry of the archive; nothing when it is missing,
// too large or unreadable. name is matched whatever its letter case, as
// part names are; the entry's own name is returned in storedName.
std::optional<std::string> ReadPart(zip_t* archive, const std::string& name, std::string& storedName) {
  const zip_int64_t index = zip_name_locate(archive, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_RAW);
  if (index < 0) return std::nullopt;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW, &st) != 0 ||
      !(st.valid & ZIP_STAT_SIZE) || st.size > kMaxPartSize || st.name == nullptr) {
    return std::nullopt;
  }
  storedName = st.name;
  const ZipFile file(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
  if (!file) return std::nullopt;
  std::string data(static_cast<size_t>(st.size), '\0');
  zip_uint64_t done = 0;
  while (done < st.size) {
    const zip_int64_t n = zip_fread(file.get(), data.data() + done, st.size - done);
    if (n <= 0) return std::nullopt;
    done += static_cast<zip_uint64_t>(n);
  }
  return data;
}

// A part read from a range of a scratch file while the package is written.
struct RangeSource {
  const ScratchFile* file;
  PartRange range;
  uint64_t read = 0;
  zip_error_t error;
};

zip_int64_t ReadRange(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto* source = static_cast<RangeSource*>(userdata);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      source->read = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const uint64_t n = std::min<uint64_t>(length, source->range.length - source->read);
      if (n > 0 && !source->file->ReadAt(source->range.offset + source->read, data, static_cast<size_t>(n))) {
        zip_error_set(&source->error, ZIP_ER_READ, EIO);
        return -1;
      }
      source->read += n;
      return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &source->error);
      if (st == nullptr) return -1;
      zip_stat_init(st);
      st->size = source->range.length;
      st->valid |= ZIP_STAT_SIZE;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&source->error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&source->error);
      delete source;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

// The package being written: an archive that starts empty and is written
// straight into a descriptor, which the caller then flushes and commits.
struct FdTarget {
  int fd;
  zip_error_t error;
};

zip_int64_t Fail(FdTarget& target, int zipError) {
  zip_error_set(&target.error, zipError, errno);
  return -1;
}

zip_int64_t WriteFd(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& target = *static_cast<FdTarget*>(userdata);
  switch (command) {
    case ZIP_SOURCE_STAT:
      // There is no earlier archive here.
      zip_error_set(&target.error, ZIP_ER_READ, ENOENT);
      return -1;
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_TELL:
      return 0;
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
      if (::ftruncate(target.fd, 0) != 0 || ::lseek(target.fd, 0, SEEK_SET) != 0) return Fail(target, ZIP_ER_WRITE);
      return 0;
    case ZIP_SOURCE_WRITE: {
      const ssize_t n = ::write(target.fd, data, static_cast<size_t>(length));
      if (n < 0) return Fail(target, ZIP_ER_WRITE);
      return n;
    }
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_SEEK_WRITE: {
      auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &target.error);
      if (args == nullptr) return -1;
      if (command == ZIP_SOURCE_SEEK) return 0;
      if (::lseek(target.fd, static_cast<off_t>(args->offset), args->whence) < 0) return Fail(target, ZIP_ER_SEEK);
      return 0;
    }
    case ZIP_SOURCE_TELL_WRITE: {
      const off_t at = ::lseek(target.fd, 0, SEEK_CUR);
      if (at < 0) return Fail(target, ZIP_ER_TELL);
      return at;
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&target.error, data, length);
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                            ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                                            ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE,
                                            ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    default:
      zip_error_set(&target.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

}  // namespace

struct XlsxPackage::State {
  ZipArchive source;                         // the opened workbook, or none for a new one
  std::vector<std::string> sourceEntries;    // its entries, in stored order
  std::map<std::string, std::string> parts;  // new content by part name
  std::vector<std::string> newParts;         // parts not in the source, in order
  // New worksheets: their parts in a scratch file.
  std::map<std::string, std::pair<const ScratchFile*, PartRange>> sheetParts;
  std::set<std::string> lowerNames;  // every part name, lower case
  std::string contentTypesPart = kContentTypesPart;
  std::string workbookPart = "xl/workbook.xml";
  std::string workbookRelsPart = "xl/_rels/workbook.xml.rels";
  pugi::xml_document contentTypes;
  pugi::xml_document workbook;
  pugi::xml_document workbookRels;
  // What the workbook holds, kept up to date as sheets are added.
  std::set<std::string> lowerSheetNames;
  size_t sheetCount = 0;
  size_t worksheetCount = 0;
  unsigned long long highestSheetId = 0;
  std::set<std::string> relIds;
  bool changed = false;

  void AddNewPart(const std::string& name, std::string data) {
    parts[name] = std::move(data);
    newParts.push_back(name);
    lowerNames.insert(LowerAscii(name));
  }

  // Reads the sheets and relationships of the workbook; false when it has
  // no list of sheets.
  bool IndexWorkbook() {
    std::map<std::string, std::string> relTypes;
    for (pugi::xml_node rel = workbookRels.document_element().first_child(); rel; rel = rel.next_sibling()) {
      if (LocalName(rel.name()) != "Relationship") continue;
      relIds.insert(rel.attribute("Id").value());
      relTypes[rel.attribute("Id").value()] = rel.attribute("Type").value();
    }
    const pugi::xml_node sheets = ChildByLocalName(workbook.document_element(), "sheets");
    if (!sheets) return false;
    for (pugi::xml_node sheet = sheets.first_child(); sheet; sheet = sheet.next_sibling()) {
      if (sheet.type() != pugi::node_element || LocalName(sheet.name()) != "sheet") continue;
      std::string relId;
      for (pugi::xml_attribute a = sheet.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        if (name.find(':') != std::string_view::npos && LocalName(name) == "id") relId = a.value();
      }
      lowerSheetNames.insert(LowerAscii(sheet.attribute("name").value()));
      highestSheetId = std::max(highestSheetId, sheet.attribute("sheetId").as_ullong());
      ++sheetCount;
      if (EndsWith(relTypes[relId], "/worksheet")) ++worksheetCount;
    }
    return true;
  }
};

XlsxPackage::XlsxPackage() : state_(std::make_unique<State>()) {
  State& s = *state_;
  Parse(s.contentTypes, kNewContentTypes);
  Parse(s.workbook, kNewWorkbook);
  Parse(s.workbookRels, kNewWorkbookRels);
  // The three parsed parts are written at Save; they are listed here so
  // the package keeps the usual order of parts.
  s.AddNewPart(s.contentTypesPart, {});
  s.AddNewPart(kPackageRelsPart, std::string(kNewPackageRels));
  s.AddNewPart(s.workbookPart, {});
  s.AddNewPart(s.workbookRelsPart, {});
  s.AddNewPart("xl/styles.xml", std::string(kNewStyles));
  s.IndexWorkbook();
  s.changed = true;
}

XlsxPackage::~XlsxPackage() = default;
XlsxPackage::XlsxPackage(XlsxPackage&&) noexcept = default;
XlsxPackage& XlsxPackage::operator=(XlsxPackage&&) noexcept = default;

XlsxResult XlsxPackage::Open(const std::string& path, XlsxPackage& package) {
  auto s = std::make_unique<State>();
  int error = 0;
  s->source.reset(zip_open(path.c_str(), ZIP_RDONLY, &error));
  if (!s->source) return XlsxResult::kCannotOpen;
  zip_t* archive = s->source.get();

  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count <= 0) return XlsxResult::kNotAWorkbook;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (name == nullptr) return XlsxResult::kNotAWorkbook;
    s->sourceEntries.emplace_back(name);
    s->lowerNames.insert(LowerAscii(name));
  }

  std::string stored;
  const auto contentTypes = ReadPart(archive, kContentTypesPart, s->contentTypesPart);
  const auto packageRels = ReadPart(archive, kPackageRelsPart, stored);
  if (!contentTypes || !packageRels || !Parse(s->contentTypes, *contentTypes)) return XlsxResult::kNotAWorkbook;
  pugi::xml_document rels;
  if (!Parse(rels, *packageRels)) return XlsxResult::kNotAWorkbook;

  std::string workbookTarget;
  for (pugi::xml_node rel = rels.document_element().first_child(); rel; rel = rel.next_sibling()) {
    if (LocalName(rel.name()) == "Relationship" && EndsWith(rel.attribute("Type").value(), "/officeDocument")) {
      workbookTarget = ResolveTarget("", rel.attribute("Target").value());
      break;
    }
  }
  if (workbookTarget.empty()) return XlsxResult::kNotAWorkbook;
  const auto workbook = ReadPart(archive, workbookTarget, s->workbookPart);
  if (!workbook || !Parse(s->workbook, *workbook)) return XlsxResult::kNotAWorkbook;
  const auto workbookRels = ReadPart(archive, RelsPartOf(s->workbookPart), s->workbookRelsPart);
  if (!workbookRels || !Parse(s->workbookRels, *workbookRels) || !s->IndexWorkbook()) {
    return XlsxResult::kNotAWorkbook;
  }
  package.state_ = std::move(s);
  return XlsxResult::kOk;
}

size_t XlsxPackage::WorksheetCount() const { return state_->worksheetCount; }

bool XlsxPackage::SheetNameAllowed(std::string_view name) const {
  const std::string text = ToUtf8(name);
  const size_t length = CountCharacters(text);
  if (length == 0 || length > kMaxSheetNameChars) return false;
  if (text.front() == '\'' || text.back() == '\'') return false;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr(":\\/?*[]", c) != nullptr) return false;
  }
  return state_->lowerSheetNames.count(LowerAscii(text)) == 0;
}

XlsxResult XlsxPackage::AddWorksheet(std::string_view name, const ScratchFile& file, PartRange range) {
  if (!SheetNameAllowed(name)) return XlsxResult::kNameRefused;
  State& s = *state_;
  const std::string sheetName = ToUtf8(name);
  const pugi::xml_node workbookRoot = s.workbook.document_element();
  pugi::xml_node sheets = ChildByLocalName(workbookRoot, "sheets");
  pugi::xml_node relsRoot = s.workbookRels.document_element();
  pugi::xml_node typesRoot = s.contentTypes.document_element();
  if (!sheets || !relsRoot || !typesRoot) return XlsxResult::kNotAWorkbook;

  // A part name, relationship id and sheet id that are not used yet.
  const std::string folder = PartFolder(s.workbookPart);
  std::string part;
  for (size_t n = s.sheetCount + 1; part.empty() || s.lowerNames.count(LowerAscii(part)) != 0; ++n) {
    part = folder + "worksheets/sheet" + std::to_string(n) + ".xml";
  }
  std::string relId;
  for (size_t n = s.relIds.size() + 1; relId.empty() || s.relIds.count(relId) != 0; ++n) {
    relId = "rId" + std::to_string(n);
  }
  const unsigned long long sheetId = s.highestSheetId + 1;

  pugi::xml_node rel = relsRoot.append_child((PrefixOf(relsRoot) + "Relationship").c_str());
  rel.append_attribute("Id") = relId.c_str();
  rel.append_attribute("Type") = kWorksheetRelType;
  rel.append_attribute("Target") = part.substr(folder.size()).c_str();

  pugi::xml_node type = typesRoot.append_child((PrefixOf(typesRoot) + "Override").c_str());
  type.append_attribute("PartName") = ("/" + part).c_str();
  type.append_attribute("ContentType") = kWorksheetContentType;

  // The r:id attribute needs the relationships namespace: the workbook's own
  // prefix for it when it declares one, else a declaration on the element.
  std::string relPrefix;
  for (pugi::xml_attribute a = workbookRoot.first_attribute(); a; a = a.next_attribute()) {
    const std::string_view attr = a.name();
    if (attr.substr(0, 6) == "xmlns:" && std::string_view(a.value()) == kRelNamespace) {
      relPrefix = std::string(attr.substr(6));
      break;
    }
  }
  pugi::xml_node sheet = sheets.append_child((PrefixOf(sheets) + "sheet").c_str());
  sheet.append_attribute("name") = sheetName.c_str();
  sheet.append_attribute("sheetId") = sheetId;
  if (relPrefix.empty()) {
    relPrefix = "r";
    sheet.append_attribute("xmlns:r") = kRelNamespace;
  }
  sheet.append_attribute((relPrefix + ":id").c_str()) = relId.c_str();

  s.newParts.push_back(part);
  s.lowerNames.insert(LowerAscii(part));
  s.sheetParts[part] = {&file, range};
  s.relIds.insert(relId);
  s.lowerSheetNames.insert(LowerAscii(sheetName));
  s.highestSheetId = sheetId;
  ++s.sheetCount;
  ++s.worksheetCount;
  s.changed = true;
  return XlsxResult::kOk;
}

XlsxResult XlsxPackage::Save(int fd) {
  State& s = *state_;
  if (s.changed) {
    s.parts[s.contentTypesPart] = Serialise(s.contentTypes);
    s.parts[s.workbookPart] = Serialise(s.workbook);
    s.parts[s.workbookRelsPart] = Serialise(s.workbookRels);
  }

  FdTarget target{fd, {}};
  zip_error_init(&target.error);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* sink = zip_source_function_create(WriteFd, &target, &error);
  ZipArchive out(sink != nullptr ? zip_open_from_source(sink, ZIP_CREATE, &error) : nullptr);
  zip_error_fini(&error);
  if (!out) {
    if (sink != nullptr) zip_source_free(sink);
    zip_error_fini(&target.error);
    return XlsxResult::kCannotWrite;
  }

  const auto add = [&](const std::string& name, zip_source_t* source) {
    if (source == nullptr) return false;
    if (zip_file_add(out.get(), name.c_str(), source, ZIP_FL_ENC_GUESS) < 0) {
      zip_source_free(source);
      return false;
    }
    return true;
  };
  const auto fromMemory = [&](const std::string& data) {
    return zip_source_buffer(out.get(), data.data(), data.size(), 0);
  };
  const auto newPart = [&](const std::string& name) {
    const auto sheet = s.sheetParts.find(name);
    if (sheet == s.sheetParts.end()) return add(name, fromMemory(s.parts[name]));
    auto* range = new RangeSource{sheet->second.first, sheet->second.second, 0, {}};
    zip_error_init(&range->error);
    zip_source_t* source = zip_source_function(out.get(), ReadRange, range);
    if (source == nullptr) {
      zip_error_fini(&range->error);
      delete range;
    }
    return add(name, source);
  };
  bool ok = true;
  for (size_t i = 0; ok && i < s.sourceEntries.size(); ++i) {
    const std::string& name = s.sourceEntries[i];
    const auto changed = s.parts.find(name);
    if (changed != s.parts.end()) {
      ok = add(name, fromMemory(changed->second));
    } else if (EndsWith(name, "/")) {
      ok = zip_dir_add(out.get(), name.c_str(), ZIP_FL_ENC_GUESS) >= 0;
    } else {
      // Start 0 and length -1: the stored (compressed) bytes are copied as they are.
      ok = add(name, zip_source_zip(out.get(), s.source.get(), i, 0, 0, -1));
    }
  }
  for (size_t i = 0; ok && i < s.newParts.size(); ++i) ok = newPart(s.newParts[i]);
  // zip_close writes the archive and frees it (and the sink) when it succeeds.
  ok = ok && zip_close(out.get()) == 0;
  if (ok) (void)out.release();
  out.reset();
  zip_error_fini(&target.error);
  return ok ? XlsxResult::kOk : XlsxResult::kCannotWrite;
}

}  // namespace kelvane
