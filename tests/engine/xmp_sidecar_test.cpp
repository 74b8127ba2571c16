// SPDX-License-Identifier: GPL-2.0-or-later
// Which files of a folder are a photo's XMP sidecars, and their names after
// the photo is renamed.
#include "engine/xmp_sidecar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvane {
namespace {

TEST(XmpSidecar, FindsBothFormsInEitherCaseAndLeavesSharedNamesAlone) {
  const std::vector<std::string> folder = {
      "A.jpg", "A.xmp",     "A.jpg.xmp", "A.JPG.XMP", "B.JPG", "b.xmp", "B.xmp", "B.jpeg.xmp", "C.jpg", "C.cr2",
      "C.xmp", "C.jpg.xmp", "D.jpg",     "D.jpg.bak", "D.XMP", "E",     "E.xmp", "F.jpg.xmp",  ".xmp",
  };
  const struct {
    std::string photo;
    std::vector<std::string> sidecars;  // "=" before a name: the whole-name form
  } cases[] = {
      {"A.jpg", {"NAME.xmp=A.xmp", "=A.jpg.xmp", "=A.JPG.XMP"}},
      {"B.JPG", {"NAME.xmp=B.xmp"}},
      {"C.jpg", {"=C.jpg.xmp"}},  // C.xmp may be C.cr2's
      {"C.cr2", {}},
      {"D.jpg", {"NAME.xmp=D.XMP"}},
      {"E", {"=E.xmp"}},
      {"F.jpg", {"=F.jpg.xmp"}},
      {"A.xmp", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> found;
    for (const Sidecar& s : SidecarsOf(c.photo, folder)) {
      found.push_back((s.form == SidecarForm::kStem ? "NAME.xmp=" : "=") + s.name);
    }
    EXPECT_EQ(found, c.sidecars) << c.photo;
  }
  // A whole folder at once gives every photo the same.
  const auto all = SidecarsInFolder(folder);
  for (const std::string& photo : folder) {
    const std::vector<Sidecar> one = SidecarsOf(photo, folder);
    const auto it = all.find(photo);
    ASSERT_EQ(it == all.end() ? 0u : it->second.size(), one.size()) << photo;
    for (size_t i = 0; i < one.size(); ++i) {
      EXPECT_EQ(it->second[i].name, one[i].name) << photo;
      EXPECT_EQ(it->second[i].form, one[i].form) << photo;
    }
  }
  for (const auto& [name, sidecar] : std::vector<std::pair<std::string, bool>>{{"a.xmp", true},
                                                                               {"a.JPG.Xmp", true},
                                                                               {".xmp", false},
                                                                               {"xmp", false},
                                                                               {"a.xmpx", false},
                                                                               {"a.jpg", false}}) {
    EXPECT_EQ(IsXmpSidecarName(name), sidecar) << name;
  }
}

TEST(XmpSidecar, RenamedWithItsPhotoKeepsItsForm) {
  const struct {
    Sidecar sidecar;
    std::string newPhoto;
    std::string renamed;
  } cases[] = {
      {{"A.xmp", SidecarForm::kStem}, "P001_A.jpg", "P001_A.xmp"},
      {{"A.JPG.XMP", SidecarForm::kFullName}, "P001_A.jpg", "P001_A.jpg.XMP"},
      {{"E.xmp", SidecarForm::kFullName}, "P_E", "P_E.xmp"},
      {{"D.XMP", SidecarForm::kStem}, "X.tar.jpg", "X.tar.XMP"},
  };
  for (const auto& c : cases) EXPECT_EQ(RenamedSidecar(c.sidecar, c.newPhoto), c.renamed) << c.sidecar.name;
}

}  // namespace
}  // namespace kelvane
