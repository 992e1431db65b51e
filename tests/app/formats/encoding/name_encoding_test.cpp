// Byte names as text and back in each encoding mode, and names that go
// from a byte format to GPX and back.
#include <gtest/gtest.h>

#include <random>

#include "app/formats/encoding/name_encoding.h"
#include "app/formats/encoding/utf8.h"
#include "app/formats/gpx/gpx_writer.h"
#include "tests/app/formats/gpx/gpx_test_support.h"

namespace nodalux::encoding {
namespace {

constexpr std::size_t kNameBytes = 128;

TEST(NameEncoding, ParsesTheModeNames) {
  EXPECT_EQ(ParseNameEncoding("utf-8"), NameEncoding::kUtf8);
  EXPECT_EQ(ParseNameEncoding("UTF8"), NameEncoding::kUtf8);
  EXPECT_EQ(ParseNameEncoding("cp1252"), NameEncoding::kCp1252);
  EXPECT_EQ(ParseNameEncoding("Windows-1252"), NameEncoding::kCp1252);
  EXPECT_EQ(ParseNameEncoding("auto"), NameEncoding::kAuto);
  for (std::string_view bad : {"", "latin1", "utf-16", "auto ", "cp125"}) {
    EXPECT_FALSE(ParseNameEncoding(bad)) << bad;
  }
  for (auto e : {NameEncoding::kUtf8, NameEncoding::kCp1252, NameEncoding::kAuto}) {
    EXPECT_EQ(ParseNameEncoding(NameEncodingName(e)), e);
  }
}

TEST(NameEncoding, Cp1252KeepsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  NameCodec codec(NameEncoding::kCp1252);
  const NameText text = codec.ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(text.text));
  EXPECT_EQ(text.replaced, 0u);
  EXPECT_NE(text.text.find("\xE2\x82\xAC"), std::string::npos);  // 0x80: euro sign
  EXPECT_NE(text.text.find("\xC3\xA9"), std::string::npos);      // 0xE9: e acute
  // The undefined bytes are the C1 controls of the same number.
  for (unsigned char hole : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    const std::string one(1, static_cast<char>(hole));
    const std::string want = {'\xC2', static_cast<char>(hole)};
    EXPECT_EQ(codec.ToUtf8(one).text, want);
  }
  const NameBytes back = codec.FromUtf8(text.text, 1000);
  EXPECT_EQ(back.bytes, all);
  EXPECT_EQ(back.substituted, 0u);
  EXPECT_FALSE(back.cut);
}

TEST(NameEncoding, ReadingInEachMode) {
  NameCodec utf8(NameEncoding::kUtf8), cp1252(NameEncoding::kCp1252), automatic(NameEncoding::kAuto);
  const std::string utf8_name = "Caf\xC3\xA9 \xE2\x82\xAC";
  const std::string cp1252_name = "Caf\xE9 \x80";
  EXPECT_EQ(utf8.ToUtf8(utf8_name).text, utf8_name);
  EXPECT_EQ(automatic.ToUtf8(utf8_name).text, utf8_name);
  EXPECT_EQ(automatic.ToUtf8(cp1252_name).text, utf8_name);
  EXPECT_EQ(cp1252.ToUtf8(cp1252_name).text, utf8_name);
  // Taken as CP1252, UTF-8 bytes are two characters each.
  EXPECT_EQ(cp1252.ToUtf8("\xC3\xA9").text, "\xC3\x83\xC2\xA9");
  const NameText bad = utf8.ToUtf8(cp1252_name);
  EXPECT_EQ(bad.text, "Caf\xEF\xBF\xBD \xEF\xBF\xBD");
  EXPECT_EQ(bad.replaced, 2u);
}

TEST(NameEncoding, WritingCp1252SubstitutesWhatItLacks) {
  NameCodec codec(NameEncoding::kCp1252);
  struct Row {
    std::string text;
    std::string bytes;
    std::size_t substituted;
  };
  const Row rows[] = {
      {"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 \x80", 0},
      {"\xC5\x81\xC3\xB3\x64\xC5\xBA", "L\xF3" "dz", 2},  // Polish: L-stroke, z-acute
      {"a\xE2\x86\x92" "b", "a->b", 1},                    // arrow
      {"\xE4\xB8\xAD", "?", 1},                            // a CJK character
      {"\xC2\x80", "?", 1},                                // U+0080 has no byte
      {"\xC2\x9D", "\x9D", 0},                             // a hole keeps its byte
      {"bad \xFF byte", "bad ? byte", 1},                  // not UTF-8
      {"cut \xE2\x82", "cut ??", 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const NameBytes out = codec.FromUtf8(row.text, kNameBytes);
    EXPECT_EQ(out.bytes, row.bytes);
    EXPECT_EQ(out.substituted, row.substituted);
    EXPECT_FALSE(out.cut);
  }
}

TEST(NameEncoding, LongNamesAreCutAtACharacterBoundary) {
  const std::string name = std::string(127, 'a') + "\xC3\xA9" + "z";  // 130 bytes in UTF-8
  for (auto mode : {NameEncoding::kUtf8, NameEncoding::kAuto}) {
    NameCodec codec(mode);
    const NameBytes out = codec.FromUtf8(name, kNameBytes);
    EXPECT_EQ(out.bytes, std::string(127, 'a'));
    EXPECT_TRUE(out.cut);
    EXPECT_FALSE(codec.FromUtf8(name, 130).cut);
  }
  NameCodec cp1252(NameEncoding::kCp1252);
  const NameBytes out = cp1252.FromUtf8(name, kNameBytes);  // 129 bytes in CP1252
  EXPECT_EQ(out.bytes, std::string(127, 'a') + "\xE9");
  EXPECT_TRUE(out.cut);
  EXPECT_EQ(Utf8Prefix("\xE2\x82\xAC", 2), "");
  EXPECT_EQ(Utf8Prefix("\xE2\x82\xAC", 3), "\xE2\x82\xAC");
}

TEST(NameEncoding, EveryModeGivesValidUtf8AndCp1252RoundTripsAnyBytes) {
  std::mt19937 random(5);
  NameCodec utf8(NameEncoding::kUtf8), cp1252(NameEncoding::kCp1252), automatic(NameEncoding::kAuto);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    for (int n = static_cast<int>(random() % 40); n > 0; --n) {
      bytes += static_cast<char>(random() % 3 == 0 ? 0x80 + random() % 0x80 : random() % 256);
    }
    for (NameCodec* codec : {&utf8, &cp1252, &automatic}) {
      const std::string text = codec->ToUtf8(bytes).text;
      ASSERT_TRUE(IsValidUtf8(text));
      ASSERT_TRUE(IsValidUtf8(codec->FromUtf8(text, kNameBytes).bytes) ||
                  codec == &cp1252);
    }
    ASSERT_EQ(cp1252.FromUtf8(cp1252.ToUtf8(bytes).text, 1000).bytes, bytes);
  }
}

// A byte name through GPX and back: to text, written as GPX, read, to bytes.
std::string ThroughGpx(const std::string& bytes, NameEncoding mode) {
  NameCodec codec(mode);
  std::string gpx;
  gpx::Writer writer(gpx);
  EXPECT_TRUE(writer.add({1.0f, 2.0f, codec.ToUtf8(bytes).text}));
  writer.finish();
  EXPECT_EQ(writer.replaced_characters(), 0u);
  const auto read = gpx::testing::ReadGpx(gpx);
  EXPECT_FALSE(read.error);
  if (read.pois.size() != 1) return "(lost)";
  return codec.FromUtf8(read.pois[0].name, kNameBytes).bytes;
}

TEST(NameEncoding, NamesSurviveByteFormatToGpxAndBack) {
  const std::vector<std::string> utf8_names = {
      "Kew Gardens", "", "  lead & trail  ", "Caf\xC3\xA9 \xE2\x82\xAC 5",
      "\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xE6\x9D\xB1\xE4\xBA\xAC", "tab\there", "\xC2\x81\xC2\x9D",
      std::string(126, 'x') + "\xC3\xA9"};
  const std::vector<std::string> cp1252_names = {
      "Caf\xE9 \x80 5", "M\xFCnchen \x84quoted\x93", "holes \x81\x8D\x8F\x90\x9D", "\xFF\xFE",
      std::string(128, '\xE9')};

  for (const std::string& name : utf8_names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ThroughGpx(name, NameEncoding::kUtf8), name);
    EXPECT_EQ(ThroughGpx(name, NameEncoding::kAuto), name);
    EXPECT_EQ(ThroughGpx(name, NameEncoding::kCp1252), name);
  }
  for (const std::string& name : cp1252_names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ThroughGpx(name, NameEncoding::kCp1252), name);
    // Auto writes UTF-8: the same text, which auto reads back as it was.
    NameCodec automatic(NameEncoding::kAuto);
    const std::string back = ThroughGpx(name, NameEncoding::kAuto);
    EXPECT_TRUE(IsValidUtf8(back));
    EXPECT_EQ(automatic.ToUtf8(back).text, automatic.ToUtf8(name).text.substr(0, back.size()));
  }
}

}  // namespace
}  // namespace nodalux::encoding
