// The GPX writer: the exact document, coordinates that read back to the
// same float, names XML can carry, and a round trip through the reader.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>

#include "app/formats/encoding/utf8.h"
#include "app/formats/gpx/gpx_writer.h"
#include "tests/app/formats/gpx/gpx_test_support.h"

namespace nodalux::gpx {
namespace {

std::string Write(const std::vector<Poi>& pois, std::size_t* replaced = nullptr) {
  std::string out;
  Writer writer(out);
  for (const Poi& poi : pois) EXPECT_TRUE(writer.add(poi));
  writer.finish();
  if (replaced) *replaced = writer.replaced_characters();
  return out;
}

TEST(GpxWriter, WritesGpx11Waypoints) {
  EXPECT_EQ(Write({{-0.12345f, 51.5f, "Kew & <Co>"}, {0.0f, 0.0f, ""}}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<gpx version=\"1.1\" creator=\"nodalux-batch\" "
            "xmlns=\"http://www.topografix.com/GPX/1/1\" "
            "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
            "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
            "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
            "  <wpt lat=\"51.5\" lon=\"-0.12345\">\n"
            "    <name>Kew &amp; &lt;Co&gt;</name>\n"
            "  </wpt>\n"
            "  <wpt lat=\"0\" lon=\"0\"/>\n"
            "</gpx>\n");
}

TEST(GpxWriter, CoordinatesReadBackAsTheSameFloat) {
  std::vector<float> values = {0.0f,        -0.0f,        1e-5f,     -0.12345f, 51.47604f,
                               90.0f,       -90.0f,       180.0f,    -180.0f,   179.99999f,
                               0.1f,        1.0f / 3.0f,  1e-30f,    -7e-45f,   89.999992f,
                               std::numeric_limits<float>::denorm_min()};
  std::mt19937 random(7);
  while (values.size() < 20000) {
    const float v = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (std::abs(v) <= 180.0f) values.push_back(v);
  }
  for (float v : values) {
    const std::string text = ShortestDecimal(v);
    ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    float back = 1.0f;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), back);
    ASSERT_EQ(r.ptr, text.data() + text.size()) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(v)) << text;
  }
  EXPECT_EQ(ShortestDecimal(51.47604f), "51.47604");
  EXPECT_EQ(ShortestDecimal(-0.5f), "-0.5");
}

TEST(GpxWriter, RefusesPositionsGpxCannotHold) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::string out;
  Writer writer(out);
  const std::size_t header = out.size();
  for (const Poi& poi : {Poi{0, nan, "n"}, Poi{nan, 0, "n"}, Poi{inf, 0, "i"},
                         Poi{0, 90.00001f, "far"}, Poi{-180.00002f, 0, "far"}}) {
    EXPECT_FALSE(writer.add(poi)) << poi.latitude << " " << poi.longitude;
  }
  EXPECT_EQ(out.size(), header);
  EXPECT_TRUE(writer.add({180.0f, -90.0f, "edge"}));
}

TEST(GpxWriter, NamesAreWrittenSoXmlKeepsThem) {
  struct Row {
    std::string name;
    std::string written;
    std::size_t replaced;
  };
  const Row rows[] = {
      {"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d\"e'f", 0},
      {"]]>", "]]&gt;", 0},
      {"tab\tlf\ncr\r", "tab&#9;lf&#10;cr&#13;", 0},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 0},
      {"\xC2\x81", "\xC2\x81", 0},  // C1 controls are XML 1.0 characters
      {std::string("nul\0bel\x07", 8), "nul\xEF\xBF\xBD" "bel\xEF\xBF\xBD", 2},
      {"caf\xE9", "caf\xEF\xBF\xBD", 1},
      {"\xEF\xBF\xBE", "\xEF\xBF\xBD", 1},  // U+FFFE
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", 3},  // a surrogate: 3 bad bytes
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::size_t replaced = 0;
    const std::string out = Write({{1, 2, row.name}}, &replaced);
    EXPECT_NE(out.find("<name>" + row.written + "</name>"), std::string::npos) << out;
    EXPECT_EQ(replaced, row.replaced);
  }
}

TEST(GpxWriter, ReaderGetsBackWhatWasWritten) {
  std::mt19937 random(11);
  const std::string pieces[] = {"a", " ", "&", "<", ">", "\t", "\n", "\r", "\"", "'",
                                "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "]]>", "\xC2\x9D"};
  std::vector<Poi> pois;
  for (int i = 0; i < 2000; ++i) {
    Poi poi;
    poi.latitude = std::ldexp(static_cast<float>(random() % 2000001) - 1000000.0f, -20) * 85.0f;
    poi.longitude = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (!(std::abs(poi.longitude) <= 180.0f)) poi.longitude = static_cast<float>(i % 361) - 180.0f;
    for (int k = static_cast<int>(random() % 12); k > 0; --k) {
      poi.name += pieces[random() % std::size(pieces)];
    }
    pois.push_back(poi);
  }
  std::size_t replaced = 0;
  const auto back = testing::ReadGpx(Write(pois, &replaced));
  ASSERT_FALSE(back.error) << back.error->message;
  EXPECT_EQ(replaced, 0u);
  ASSERT_EQ(back.pois.size(), pois.size());
  for (std::size_t i = 0; i < pois.size(); ++i) {
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back.pois[i].latitude),
              std::bit_cast<std::uint32_t>(pois[i].latitude));
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back.pois[i].longitude),
              std::bit_cast<std::uint32_t>(pois[i].longitude));
    ASSERT_EQ(back.pois[i].name, pois[i].name);
  }
}

}  // namespace
}  // namespace nodalux::gpx
