// SPDX-License-Identifier: GPL-2.0-or-later
// The database export: the value table merged into an SQLite export
// database, one photo record per file name and one data record per photo
// and tag.
#pragma once

#include <string>

#include "export/export_table.h"

namespace kelvane {

// Creates the database at target when it does not exist, asks whether to
// refresh the tags table of an existing one after a tag-library update, then
// merges the table: the photo record found by file name (added when
// missing), one data record per photo and known tag with a value (edited or
// added), one record with tag 65535 listing the tags the tags table lacks,
// and one updates record. The whole merge is one transaction: on failure
// nothing of it stays. False when there is nothing to write, the database
// lacks one of the four tables, or any database operation fails.
bool WriteAccessDb(const ExportTable& table, const std::string& target, ExportWriterContext& ctx);

}  // namespace kelvane
