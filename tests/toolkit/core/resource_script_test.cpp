#include "toolkit/core/resource_script.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using zarv::ParseResourceScript;

std::optional<std::string> NoFiles(std::string_view) { return std::nullopt; }
std::optional<std::string> AnyFile(std::string_view name) { return "<" + std::string(name) + ">"; }

TEST(ResourceScript, ReadsTheProgramsOwnScript) {
  std::ifstream in(std::string(NODALUX_SOURCE_DIR) + "/resources/nodalux.rc");
  std::stringstream ss;
  ss << in.rdbuf();
  auto r = ParseResourceScript(ss.str(), AnyFile);
  ASSERT_TRUE(r.resources) << r.error;
  const auto& res = *r.resources;
  ASSERT_EQ(res.menus.count(30001), 1u);
  const auto& bar = res.menus.at(30001);
  ASSERT_EQ(bar.items.size(), 3u);
  EXPECT_EQ(bar.items[0].text, "&File");
  ASSERT_EQ(bar.items[0].items.size(), 4u);
  EXPECT_EQ(bar.items[0].items[3].text, "E&xit");
  EXPECT_EQ(bar.items[0].items[3].id, 40005);
  EXPECT_EQ(res.strings.at(40009), "Define circular area for group");
  const std::string& toolbar = res.rcdata.at(30101);
  ASSERT_EQ(toolbar.size(), 22u);  // 11 words
  EXPECT_EQ(static_cast<unsigned char>(toolbar[4]) | (static_cast<unsigned char>(toolbar[5]) << 8), 40002);
  EXPECT_EQ(res.rcdata.at(102), "<dialog_102.dat>");
  const auto& d = res.dialogs.at(102);
  EXPECT_EQ(d.caption, "Circular POI group definition");
  EXPECT_EQ(d.cx, 160);
  EXPECT_EQ(d.cy, 122);
  EXPECT_EQ(d.font_face, "MS Sans Serif");
  ASSERT_EQ(d.controls.size(), 11u);
  EXPECT_EQ(d.controls[1].cls, "COMBOBOX");
  EXPECT_EQ(d.controls[1].style & zarv::style::kCbsTypeMask, zarv::style::kCbsDropDown);
  EXPECT_EQ(d.controls[2].cls, "REALEDIT");
  EXPECT_EQ(d.controls[2].text, "51.23804");
  EXPECT_EQ(d.controls[10].style & zarv::style::kBsTypeMask, zarv::style::kBsDefPushButton);
  const auto& about = res.dialogs.at(101);
  EXPECT_EQ(about.controls[0].style & zarv::style::kSsTypeMask, zarv::style::kSsCenter);
  EXPECT_TRUE(about.controls[0].style & zarv::style::kSsSunken);
}

TEST(ResourceScript, DamagedScriptsGiveALineNumberNotACrash) {
  const char* bad[] = {
      "1 MENU BEGIN POPUP \"x\" BEGIN",          // no END
      "1 DIALOG 0, 0, 10\nBEGIN END",           // short geometry
      "1 RCDATA BEGIN 99999999999 END",         // number too large
      "1 BITMAP \"missing.bmp\"",               // file missing
      "STRINGTABLE BEGIN 1 \"unterminated END",  // string runs off the line
      "1 FROB",                                  // unknown type
      "\"x\" MENU",                              // bad name
      "1 DIALOG 0,0,1,1 STYLE WS_NOSUCH BEGIN END",
  };
  for (const char* s : bad) {
    auto r = ParseResourceScript(s, NoFiles);
    EXPECT_FALSE(r.resources) << s;
    EXPECT_EQ(r.error.rfind("line ", 0), 0u) << r.error;
  }
}

}  // namespace
