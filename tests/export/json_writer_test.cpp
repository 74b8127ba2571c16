// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "export/tag_library.h"

namespace kelvane {
namespace {

TypedValue Real(double real, std::string fraction = {}) {
  TypedValue typed;
  typed.kind = TypedValue::Kind::kReal;
  typed.real = real;
  typed.fraction = std::move(fraction);
  return typed;
}

TEST(JsonWriter, EachValueIsValidJsonOfItsType) {
  const TagLibrary& library = TagLibrary::BuiltIn();
  PhotoValues photo;
  photo.folder = "/photos/\"quoted\" \\ folder/";
  photo.name = "caf\xC3\xA9\t1.jpg";
  TypedValue integer;
  integer.kind = TypedValue::Kind::kInteger;
  integer.integer = -7;
  TypedValue text;
  text.kind = TypedValue::Kind::kText;
  text.text = std::string("line\nbreak \x01 end");
  TypedValue list;
  list.kind = TypedValue::Kind::kList;
  list.numbers = {1.5, 2, std::nan("")};
  photo.values = {{0x010F, "Canon", text},
                  {0x829A, "1/250 sec", Real(0.004, "1/250")},
                  {0x829D, "F 8.0", Real(8)},
                  {0x8827, "100", integer},
                  {0x9202, "", Real(std::numeric_limits<double>::infinity())},
                  {0x0132, "shown text", TypedValue{}},
                  {0xA432, "", list},
                  {0x9286, "", TypedValue{}}};
  photo.gpsDateTime = "2008-10-23T14:27:07Z";

  const std::string line = PhotoJson(photo, library);
  ASSERT_EQ(line.find('\n'), std::string::npos) << line;
  const nlohmann::ordered_json object = nlohmann::ordered_json::parse(line);
  EXPECT_EQ(object.begin().key(), "SourceFile");
  EXPECT_EQ(object["SourceFile"], photo.folder + photo.name);
  EXPECT_EQ(object[library.Name(0x010F)], "line\nbreak \x01 end");
  EXPECT_EQ(object[library.Name(0x829A)], 0.004);
  EXPECT_EQ(object[library.Name(0x829A) + "Fraction"], "1/250");
  EXPECT_TRUE(object[library.Name(0x829D)].is_number_float());
  EXPECT_EQ(object[library.Name(0x8827)], -7);
  EXPECT_TRUE(object[library.Name(0x9202)].is_null());
  EXPECT_EQ(object[library.Name(0x0132)], "shown text");
  EXPECT_EQ(object[library.Name(0xA432)].dump(), "[1.5,2.0,null]");
  EXPECT_TRUE(object[library.Name(0x9286)].is_null());
  EXPECT_EQ(object["GPSDateTime"], "2008-10-23T14:27:07Z");

  // A name met twice appears once, with the later value.
  photo.values = {{0x010F, "Canon", TypedValue{}}, {0x010F, "Nikon", TypedValue{}}};
  const nlohmann::json twice = nlohmann::json::parse(PhotoJson(photo, library));
  EXPECT_EQ(twice.size(), 3u);
  EXPECT_EQ(twice[library.Name(0x010F)], "Nikon");
}

}  // namespace
}  // namespace kelvane
