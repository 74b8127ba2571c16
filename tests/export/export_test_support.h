// SPDX-License-Identifier: GPL-2.0-or-later
// Shared by the export writer tests: export tables built by hand, a writer
// context over a scratch settings file, and independent readers of the
// written files (openpyxl for workbooks, the sqlite3 shell for databases).
#pragma once

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "engine/settings_store.h"
#include "export/export_table.h"
#include "support/scripted_ui.h"
#include "support/test_support.h"

namespace kelvane::test {

// Photos collected by hand, in export order: rows[k][p] is photo p's value
// of tags[k] (an empty value: the photo has none). Every photo lies in folder.
class TestPhotos {
 public:
  TestPhotos(const std::vector<std::string>& names, std::vector<int32_t> tags,
             const std::vector<std::vector<std::string>>& rows, const std::string& folder = "/photos/")
      : tags_(std::move(tags)) {
    for (size_t p = 0; p < names.size(); ++p) {
      PhotoValues photo;
      photo.folder = folder;
      photo.name = names[p];
      for (size_t k = 0; k < tags_.size() && k < rows.size(); ++k) {
        if (p < rows[k].size() && !rows[k][p].empty()) photo.values.push_back({tags_[k], rows[k][p], {}});
      }
      std::sort(photo.values.begin(), photo.values.end(),
                [](const CollectedValue& a, const CollectedValue& b) { return a.tag < b.tag; });
      Add(photo);
    }
    std::sort(tags_.begin(), tags_.end());
  }
  explicit TestPhotos(std::vector<int32_t> tags) : tags_(std::move(tags)) {}

  void Add(const PhotoValues& photo) { spill_.Add(photo); }
  CollectedPhotos Collected() { return CollectedPhotos(tags_, spill_); }

 private:
  std::vector<int32_t> tags_;
  PhotoSpill spill_;
};

// A file target.
inline ExportTarget FileTarget(const std::string& path) {
  ExportTarget target;
  target.path = path;
  target.files = {path};
  return target;
}

// The database CSV target path + "_T.csv", "_F.csv", "_D.csv".
inline ExportTarget DbCsvTarget(const std::string& path) {
  ExportTarget target;
  target.path = path;
  target.suffixes = {"_T.csv", "_F.csv", "_D.csv"};
  return target;
}

// A writer context over a scratch folder; the settings say the library's
// release was seen already, so no release notice is shown unless a test
// changes RESVer.
struct WriterSetup {
  ScratchFolder scratch;
  SettingsStore settings{scratch.File("qmre0118.ini")};
  ScriptedUi ui;
  ExportOptions options;
  ExportWriterContext ctx{TagLibrary::BuiltIn(), settings, ui.Ports(), options};

  WriterSetup() { settings.WriteSetting("GENERAL", "RESVer", "5"); }
  std::string File(const std::string& name) const { return scratch.File(name); }
};

// Debian's Python with openpyxl (python3 on the PATH may be another one).
inline bool HaveOpenpyxl() { return RunCommand("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null").has_value(); }

// Runs a Python script with /usr/bin/python3 and the given arguments.
inline std::optional<std::string> RunPython(const std::string& script, const std::vector<std::string>& args) {
  std::string command = "/usr/bin/python3 -c " + ShellQuote(script);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  return RunCommand(command + " 2>/dev/null");
}

// The workbook as openpyxl reads it: {"sheets": [names], "cells": {sheet:
// {"B1": {"type": "n", "value": 271, "bold": false}}}}, only cells with a value.
inline std::optional<nlohmann::json> ReadWorkbook(const std::string& path) {
  static const char* kScript = R"py(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = {"sheets": wb.sheetnames, "cells": {}}
for ws in wb.worksheets:
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            if c.value is not None:
                cells[c.coordinate] = {"type": c.data_type, "value": c.value, "bold": bool(c.font.b)}
    out["cells"][ws.title] = cells
print(json.dumps(out))
)py";
  const auto output = RunPython(kScript, {path});
  if (!output) return std::nullopt;
  return nlohmann::json::parse(*output, nullptr, false);
}

inline bool HaveSqlite3() { return HaveProgram("sqlite3"); }

// The output of the sqlite3 shell for sql on the database at path ("|"
// between columns, one line per row); nothing when the shell failed.
inline std::optional<std::string> Sqlite(const std::string& path, const std::string& sql, bool header = false) {
  return RunCommand("sqlite3 -batch " + std::string(header ? "-header " : "") + ShellQuote(path) + " " +
                    ShellQuote(sql) + " 2>/dev/null");
}

}  // namespace kelvane::test
