// The GPX reader: what it takes from a file, the numbers it accepts, the
// files it refuses and where it says the fault is.
#include <gtest/gtest.h>

#include <cerrno>
#include <bit>
#include <cstring>

#include "tests/app/formats/gpx/gpx_test_support.h"

namespace nodalux::gpx {
namespace {

using testing::ReadGpx;

std::string Gpx11(std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
         std::string(body) + "</gpx>\n";
}

void ExpectSame(const std::vector<Poi>& got, const std::vector<Poi>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(got[i].latitude),
              std::bit_cast<std::uint32_t>(want[i].latitude));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(got[i].longitude),
              std::bit_cast<std::uint32_t>(want[i].longitude));
    EXPECT_EQ(got[i].name, want[i].name);
  }
}

TEST(GpxReader, ReadsGpx10Gpx11NoNamespaceAndPrefixedAlike) {
  const std::string body =
      "<wpt lat=\"51.5\" lon=\"-0.12345\"><name>Kew</name></wpt>\n"
      "<rte><rtept lat=\"-33.86\" lon=\"151.21\"><name>Sydney</name></rtept></rte>\n";
  const std::string prefixed =
      "<g:gpx version=\"1.1\" xmlns:g=\"http://www.topografix.com/GPX/1/1\">"
      "<g:wpt lat=\"51.5\" lon=\"-0.12345\"><g:name>Kew</g:name></g:wpt>"
      "<g:rte><g:rtept lat=\"-33.86\" lon=\"151.21\"><g:name>Sydney</g:name></g:rtept></g:rte>"
      "</g:gpx>";
  const std::vector<Poi> want = {{-0.12345f, 51.5f, "Kew"}, {151.21f, -33.86f, "Sydney"}};
  for (const std::string& text :
       {Gpx11(body),
        "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">" + body + "</gpx>",
        "<gpx>" + body + "</gpx>", prefixed}) {
    SCOPED_TRACE(text);
    const auto result = ReadGpx(text);
    EXPECT_FALSE(result.error) << result.error->message;
    ExpectSame(result.pois, want);
  }
}

TEST(GpxReader, TakesPointsAndTheirFirstNameOnly) {
  const auto result = ReadGpx(Gpx11(
      "<metadata><name>not a point</name></metadata>\n"
      "<wpt lat='1' lon='2'><ele>5</ele><name>first</name><name>second</name></wpt>\n"
      "<wpt lat='3' lon='4'/>\n"
      "<wpt lat='5' lon='6'><desc><name>inside desc</name></desc></wpt>\n"
      "<wpt lat='7' lon='8'><name>A &amp; B &lt;&#233;&#x20AC;&gt; <![CDATA[<c&d>]]></name></wpt>\n"
      "<wpt lat='9' lon='10'><name>  spaced\ttab  </name></wpt>\n"
      "<wpt lat='11' lon='12'><name>out<b>in bold</b>side</name></wpt>\n"
      "<rte><name>route</name><rtept lat='13' lon='14'><name>r1</name></rtept></rte>\n"
      "<trk><name>track</name><trkseg><trkpt lat='1' lon='1'/><trkpt lat='2' lon='2'/></trkseg>"
      "</trk>\n"
      "<extensions><wpt xmlns='urn:other' lat='x' lon='y'><name>other</name></wpt></extensions>\n"
      "<wpt lat='15' lon='16'><extensions><x:name xmlns:x='urn:x'>ext</x:name></extensions>"
      "<name>after ext</name></wpt>\n"));
  ASSERT_FALSE(result.error) << result.error->message;
  ExpectSame(result.pois, {{2, 1, "first"},
                           {4, 3, ""},
                           {6, 5, ""},
                           {8, 7, "A & B <\xC3\xA9\xE2\x82\xAC> <c&d>"},
                           {10, 9, "  spaced\ttab  "},
                           {12, 11, "outside"},
                           {14, 13, "r1"},
                           {16, 15, "after ext"}});
  EXPECT_EQ(result.track_points, 2u);
}

TEST(GpxReader, LineEndsInNamesFollowXml) {
  // A literal carriage return becomes a line feed as XML says; written as a
  // reference it stays.
  const auto result = ReadGpx(Gpx11("<wpt lat='1' lon='2'><name>a\r\nb\rc&#13;d</name></wpt>"));
  ASSERT_FALSE(result.error);
  ExpectSame(result.pois, {{2, 1, "a\nb\nc\rd"}});
}

TEST(GpxReader, Coordinates) {
  struct Row {
    std::string text;
    std::optional<float> value;  // none: refused
    ErrorKind kind = ErrorKind::kBadCoordinate;
  };
  const Row rows[] = {
      {"51.47604", 51.47604f},
      {" +1.5\t", 1.5f},
      {"-0", -0.0f},
      {"0.00001", 1e-5f},
      {"1.5E-5", 1.5e-5f},
      {"90", 90.0f},
      {"-90.000", -90.0f},
      {"5.", 5.0f},
      {".5", 0.5f},
      {"1e-400", 0.0f},
      // Rounded once, from the decimal: not through double.
      {"0.100000001490116119384765625", 0.1f},
      {"90.0000001", std::nullopt, ErrorKind::kOutOfRange},
      {"-90.5", std::nullopt, ErrorKind::kOutOfRange},
      {"1e400", std::nullopt, ErrorKind::kOutOfRange},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"abc", std::nullopt},
      {"nan", std::nullopt},
      {"inf", std::nullopt},
      {"-inf", std::nullopt},
      {"0x10", std::nullopt},
      {"1,5", std::nullopt},
      {"+-1", std::nullopt},
      {"--1", std::nullopt},
      {"++1", std::nullopt},
      {"1 2", std::nullopt},
      {"1e", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("lat=\"" + row.text + "\"");
    const auto result = ReadGpx(Gpx11("<wpt lat=\"" + row.text + "\" lon=\"0\"/>"));
    if (row.value) {
      ASSERT_FALSE(result.error) << result.error->message;
      ASSERT_EQ(result.pois.size(), 1u);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(result.pois[0].latitude),
                std::bit_cast<std::uint32_t>(*row.value));
    } else {
      ASSERT_TRUE(result.error);
      EXPECT_EQ(result.error->kind, row.kind) << result.error->message;
      EXPECT_TRUE(result.pois.empty());
    }
  }
  // The longitude has its own range.
  EXPECT_FALSE(ReadGpx(Gpx11("<wpt lat='0' lon='-180'/><wpt lat='0' lon='180'/>")).error);
  const auto beyond = ReadGpx(Gpx11("<wpt lat='0' lon='180.00001'/>"));
  ASSERT_TRUE(beyond.error);
  EXPECT_EQ(beyond.error->kind, ErrorKind::kOutOfRange);
  EXPECT_EQ(beyond.error->message, "wpt lon \"180.00001\" is outside -180..180");
}

struct Refusal {
  std::string what;
  std::string text;
  ErrorKind kind;
  std::uint64_t line;
  std::uint64_t column;
  std::string message = {};  // checked when given
};

std::string Nested(int depth) {
  std::string open, close;
  for (int i = 1; i < depth; ++i) open += "<e>", close = "</e>" + close;
  return "<gpx>" + open + close + "</gpx>";
}

TEST(GpxReader, RefusesHostileAndBrokenFiles) {
  const std::string big_attribute(kMaxMarkupBytes, 'a');
  const Refusal rows[] = {
      {"a DOCTYPE", "<?xml version='1.0'?>\n<!DOCTYPE gpx>\n<gpx/>", ErrorKind::kDoctype, 2, 1,
       "a DOCTYPE declaration: GPX needs none, and entity declarations are refused"},
      {"entity expansion",
       "<!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n"
       "<gpx><wpt lat='1' lon='1'><name>&b;&b;&b;</name></wpt></gpx>",
       ErrorKind::kDoctype, 1, 1},
      {"an external entity",
       "<!DOCTYPE gpx SYSTEM \"file:///etc/passwd\">\n<gpx>&x;</gpx>", ErrorKind::kDoctype, 1,
       1},
      {"an undefined entity", "<gpx><wpt lat='1' lon='1'><name>&x;</name></wpt></gpx>",
       ErrorKind::kMalformed, 1, 33, "not well-formed XML: undefined entity"},
      {"nesting too deep", Nested(kMaxDepth + 1), ErrorKind::kTooDeep, 1,
       5 + 3 * static_cast<std::uint64_t>(kMaxDepth - 1) + 1,
       "elements nested more than 64 deep"},
      {"a huge attribute",
       "<gpx>\n<wpt lat='1' lon='1' x='" + big_attribute + "'/></gpx>", ErrorKind::kTooLong, 2, 1},
      {"a huge comment", "<gpx><!--" + big_attribute + "--></gpx>", ErrorKind::kTooLong, 1, 6},
      {"an unfinished huge tag", "<gpx><wpt x='" + big_attribute + big_attribute,
       ErrorKind::kTooLong, 1, 6},
      {"a name too long",
       "<gpx><wpt lat='1' lon='1'><name>" + std::string(kMaxNameBytes + 1, 'n') +
           "</name></wpt></gpx>",
       ErrorKind::kTooLong, 1, 33, "a name longer than 4096 bytes"},
      {"an empty file", "", ErrorKind::kMalformed, 1, 1, "not well-formed XML: no element found"},
      {"a truncated file", "<gpx><wpt lat='1' lon='2'><name>Kew</na", ErrorKind::kMalformed, 1,
       36},
      {"mismatched tags", "<gpx>\n<wpt lat='1' lon='2'></rte></gpx>", ErrorKind::kMalformed, 2,
       24, "not well-formed XML: mismatched tag"},
      {"a byte that is not UTF-8", "<gpx><wpt lat='1' lon='2'><name>caf\xE9</name></wpt></gpx>",
       ErrorKind::kMalformed, 1, 36},
      {"text after the root", "<gpx/>junk", ErrorKind::kMalformed, 1, 7},
      {"a CSV file", "Longitude,Latitude,Name\n-0.1,51.5,\"Kew\"\n", ErrorKind::kMalformed, 1,
       1},
      {"another XML file", "<kml xmlns='http://www.opengis.net/kml/2.2'/>", ErrorKind::kNotGpx,
       1, 1, "not a GPX file: the document is <kml>, not <gpx>"},
      {"an unknown GPX namespace", "<gpx xmlns='http://www.topografix.com/GPX/2/0'/>",
       ErrorKind::kNotGpx, 1, 1},
      {"no lat", "<gpx>\n  <wpt lon='1'/></gpx>", ErrorKind::kMissingCoordinate, 2, 3,
       "wpt without its lat attribute"},
      {"no lon", "<gpx><rte><rtept lat='1'/></rte></gpx>", ErrorKind::kMissingCoordinate, 1, 11,
       "rtept without its lon attribute"},
      {"a namespaced lat", "<gpx xmlns:x='urn:x'><wpt x:lat='1' lon='1'/></gpx>",
       ErrorKind::kMissingCoordinate, 1, 22},
      {"an unknown encoding", "<?xml version='1.0' encoding='x-no-such'?><gpx/>",
       ErrorKind::kMalformed, 1, 31, "not well-formed XML: unknown encoding"},
      {"an encoding that is not ASCII", "<?xml version='1.0' encoding='IBM037'?><gpx/>",
       ErrorKind::kMalformed, 1, 31},
      {"a multi-byte encoding", "<?xml version='1.0' encoding='SHIFT_JIS'?><gpx/>",
       ErrorKind::kMalformed, 1, 31},
  };
  for (const Refusal& row : rows) {
    SCOPED_TRACE(row.what);
    const auto result = ReadGpx(row.text);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->kind, row.kind) << result.error->message;
    EXPECT_EQ(result.error->line, row.line);
    EXPECT_EQ(result.error->column, row.column);
    if (!row.message.empty()) {
      EXPECT_EQ(result.error->message, row.message);
    }
    EXPECT_TRUE(result.pois.empty());
  }
}

TEST(GpxReader, LimitsThemselvesAreAllowed) {
  EXPECT_FALSE(ReadGpx(Nested(kMaxDepth)).error);
  const std::string name(kMaxNameBytes, 'n');
  const auto result =
      ReadGpx("<gpx><wpt lat='1' lon='1'><name>" + name + "</name></wpt></gpx>");
  ASSERT_FALSE(result.error);
  EXPECT_EQ(result.pois.at(0).name, name);
  // Long text that is not a name costs nothing and is fine.
  const std::string desc(10 * kMaxMarkupBytes, 'd');
  EXPECT_FALSE(ReadGpx("<gpx><wpt lat='1' lon='1'><desc>" + desc + "</desc><desc><![CDATA[" +
                       desc + "]]></desc></wpt></gpx>")
                   .error);
  EXPECT_FALSE(ReadGpx(std::string(10 * kMaxMarkupBytes, ' ') + "<gpx/>").error);
}

TEST(GpxReader, PointsBeforeAnErrorArriveInOrder) {
  const auto result = ReadGpx(Gpx11(
      "<wpt lat='1' lon='2'><name>a</name></wpt>\n<wpt lat='3' lon='4'/>\n<wpt lat='x' lon='5'/>"
      "\n<wpt lat='6' lon='7'/>"));
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, ErrorKind::kBadCoordinate);
  EXPECT_EQ(result.error->line, 5u);
  EXPECT_EQ(result.error->message, "wpt lat \"x\" is not a decimal number");
  ExpectSame(result.pois, {{2, 1, "a"}, {4, 3, ""}});
}

TEST(GpxReader, OtherEncodingsReadAsDeclared) {
  const std::string body = "<gpx><wpt lat='1' lon='2'><name>caf\xE9 \x80</name></wpt></gpx>";
  // windows-1252 through iconv; ISO-8859-1 by expat itself (0x80 is a C1
  // control there).
  auto result = ReadGpx("<?xml version='1.0' encoding='windows-1252'?>" + body);
  ASSERT_FALSE(result.error) << result.error->message;
  EXPECT_EQ(result.pois.at(0).name, "caf\xC3\xA9 \xE2\x82\xAC");
  result = ReadGpx("<?xml version='1.0' encoding='ISO-8859-1'?>" + body);
  ASSERT_FALSE(result.error) << result.error->message;
  EXPECT_EQ(result.pois.at(0).name, "caf\xC3\xA9 \xC2\x80");
  // UTF-16 with its byte order mark.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("<gpx><wpt lat='1' lon='2'><name>ok</name></wpt></gpx>")) {
    utf16 += c;
    utf16 += '\0';
  }
  result = ReadGpx(utf16);
  ASSERT_FALSE(result.error) << result.error->message;
  EXPECT_EQ(result.pois.at(0).name, "ok");
}

TEST(GpxReader, ChunkSizesDoNotChangeTheResult) {
  const std::string good = Gpx11(
      "<wpt lat='51.47604' lon='-0.5'><name>\xC3\xA9t\xC3\xA9 &amp; \xE2\x82\xAC</name></wpt>\r\n"
      "<!-- a comment --><?pi data?>\n<rte><rtept lat='1' lon='2'><name><![CDATA[x]]></name>"
      "</rtept></rte>");
  const std::string bad = good.substr(0, good.size() - 20) + "<wpt lat='1'/>";
  for (const std::string& text : {good, bad}) {
    const auto whole = ReadGpx(text);
    for (const std::vector<std::size_t>& sizes :
         std::vector<std::vector<std::size_t>>{{1}, {2, 3, 5, 7}, {13}, {4096}}) {
      SCOPED_TRACE(sizes.front());
      const auto chunked = ReadGpx(text, sizes);
      ExpectSame(chunked.pois, whole.pois);
      ASSERT_EQ(chunked.error.has_value(), whole.error.has_value());
      if (whole.error) {
        EXPECT_EQ(chunked.error->kind, whole.error->kind);
        EXPECT_EQ(chunked.error->line, whole.error->line);
        EXPECT_EQ(chunked.error->column, whole.error->column);
        EXPECT_EQ(chunked.error->offset, whole.error->offset);
      }
    }
  }
}

// Fails on its second call, as a file that cannot be read further.
class FailingSource final : public formats::ByteSource {
 public:
  explicit FailingSource(std::string_view first) : first_(first) {}
  int read(char* data, std::size_t size, std::size_t* got) override {
    if (calls_++ > 0) {
      *got = 0;
      return EIO;
    }
    *got = first_.copy(data, size);
    return 0;
  }

 private:
  std::string_view first_;
  int calls_ = 0;
};

TEST(GpxReader, ReadFailureEndsReadingWithItsOwnKind) {
  FailingSource source("<gpx><wpt lat='1' lon='2'/><wpt lat='3'");
  const auto result = testing::ReadAll(source);
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, ErrorKind::kReadFailed);
  EXPECT_EQ(result.error->offset, 39u);
  ExpectSame(result.pois, {{2, 1, ""}});
}

// An endless stream of waypoints: the reader must hand points out as it
// goes, never needing the end of its input.
class EndlessSource final : public formats::ByteSource {
 public:
  int read(char* data, std::size_t size, std::size_t* got) override {
    std::size_t n = 0;
    while (n < size) {
      if (pending_.empty()) {
        pending_ = started_ ? "<wpt lat='1.5' lon='2.5'><name>p</name></wpt>\n" : "<gpx>\n";
        started_ = true;
      }
      const std::size_t k = pending_.copy(data + n, size - n);
      pending_.erase(0, k);
      n += k;
    }
    ++reads_;
    *got = n;
    return 0;
  }
  std::size_t reads() const { return reads_; }

 private:
  std::string pending_;
  bool started_ = false;
  std::size_t reads_ = 0;
};

TEST(GpxReader, StreamsAnInputThatNeverEnds) {
  EndlessSource source;
  Reader reader(source);
  constexpr std::size_t kPoints = 100000;
  for (std::size_t i = 0; i < kPoints; ++i) {
    const std::optional<Poi> poi = reader.next();
    ASSERT_TRUE(poi) << "point " << i;
    ASSERT_EQ(poi->name, "p");
  }
  EXPECT_FALSE(reader.error());
  // About 46 bytes a point: the reader asked for little more than it used.
  EXPECT_LE(source.reads(), kPoints * 46 / kChunkBytes + 2);
}

}  // namespace
}  // namespace nodalux::gpx
