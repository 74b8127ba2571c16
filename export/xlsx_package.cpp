// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/xlsx_package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <set>

#include "engine/utility_functions.h"
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

struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using ZipSource = std::unique_ptr<zip_source_t, SourceFree>;

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
  zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) return std::nullopt;
  std::string data(static_cast<size_t>(st.size), '\0');
  zip_uint64_t done = 0;
  while (done < st.size) {
    const zip_int64_t n = zip_fread(file, data.data() + done, st.size - done);
    if (n <= 0) break;
    done += static_cast<zip_uint64_t>(n);
  }
  const bool complete = done == st.size && zip_fclose(file) == 0;
  if (!complete) return std::nullopt;
  return data;
}

// Writes bytes beside path, flushes them and renames the new file over path.
// The temporary file is made with the usual permissions for a new file (the
// user's umask applies); an existing file's permissions are carried over.
bool ReplaceFileWith(const std::string& path, std::string_view bytes) {
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  if (existed && !S_ISREG(old.st_mode)) return false;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = path + ".kv" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (ok && existed) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

// The bytes of an in-memory archive source after the archive was closed.
std::optional<std::string> SourceBytes(zip_source_t* source) {
  if (zip_source_open(source) != 0) return std::nullopt;
  std::string bytes;
  char buf[65536];
  zip_int64_t n = 0;
  while ((n = zip_source_read(source, buf, sizeof buf)) > 0) bytes.append(buf, static_cast<size_t>(n));
  zip_source_close(source);
  if (n < 0) return std::nullopt;
  return bytes;
}

}  // namespace

struct XlsxPackage::State {
  ZipArchive source;                         // the opened workbook, or none for a new one
  std::vector<std::string> sourceEntries;    // its entries, in stored order
  std::map<std::string, std::string> parts;  // new content by part name
  std::vector<std::string> newParts;         // parts not in the source, in order
  std::set<std::string> lowerNames;          // every part name, lower case
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

XlsxResult XlsxPackage::AddWorksheet(std::string_view name, std::string sheetXml) {
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

  s.AddNewPart(part, std::move(sheetXml));
  s.relIds.insert(relId);
  s.lowerSheetNames.insert(LowerAscii(sheetName));
  s.highestSheetId = sheetId;
  ++s.sheetCount;
  ++s.worksheetCount;
  s.changed = true;
  return XlsxResult::kOk;
}

XlsxResult XlsxPackage::Save(const std::string& path) {
  State& s = *state_;
  if (s.changed) {
    s.parts[s.contentTypesPart] = Serialise(s.contentTypes);
    s.parts[s.workbookPart] = Serialise(s.workbook);
    s.parts[s.workbookRelsPart] = Serialise(s.workbookRels);
  }

  zip_error_t error;
  zip_error_init(&error);
  ZipSource buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
  zip_error_fini(&error);
  if (!buffer) return XlsxResult::kCannotWrite;
  // The archive takes a reference of its own; the buffer outlives it.
  zip_source_keep(buffer.get());
  zip_error_init(&error);
  ZipArchive out(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
  zip_error_fini(&error);
  if (!out) {
    zip_source_free(buffer.get());
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
  for (size_t i = 0; i < s.sourceEntries.size(); ++i) {
    const std::string& name = s.sourceEntries[i];
    const auto changed = s.parts.find(name);
    bool ok = false;
    if (changed != s.parts.end()) {
      ok = add(name, fromMemory(changed->second));
    } else if (EndsWith(name, "/")) {
      ok = zip_dir_add(out.get(), name.c_str(), ZIP_FL_ENC_GUESS) >= 0;
    } else {
      // Start 0 and length -1: the stored (compressed) bytes are copied as they are.
      ok = add(name, zip_source_zip(out.get(), s.source.get(), i, 0, 0, -1));
    }
    if (!ok) return XlsxResult::kCannotWrite;
  }
  for (const std::string& name : s.newParts) {
    if (!add(name, fromMemory(s.parts[name]))) return XlsxResult::kCannotWrite;
  }
  if (zip_close(out.get()) != 0) return XlsxResult::kCannotWrite;
  (void)out.release();  // zip_close freed it

  const std::optional<std::string> bytes = SourceBytes(buffer.get());
  if (!bytes || !ReplaceFileWith(path, *bytes)) return XlsxResult::kCannotWrite;
  return XlsxResult::kOk;
}

}  // namespace kelvane
