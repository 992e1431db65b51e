#include "tests/app/ov2subs/fuzz_ov2.h"

#include <gtest/gtest.h>

#include <span>
#include <string_view>

#include "app/nodalux/app_state.h"
#include "app/nodalux/poi_data.h"
#include "app/ov2subs/ov2_decoder.h"
#include "app/ov2subs/ov2_reader.h"
#include "tests/app/nodalux/data_test_support.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/platform/headless/headless_platform.h"
#include "toolkit/platform/transcript.h"
#include "tools/makeov2/ov2_encoder.h"
#include "tools/makeov2/temp_line.h"

namespace ov2test {
namespace {

// The headless backend answers the reader's message boxes; its transcript
// tells how many were shown.
const zarv::platform::Transcript& Screen() {
  static const auto transcript = [] {
    auto in_memory = zarv::platform::Transcript::InMemory();
    zarv::SetPlatform(zarv::platform::CreateHeadlessPlatform({}, *in_memory));
    return in_memory;
  }();
  return *transcript;
}

std::size_t BoxesShown() {
  std::size_t boxes = 0;
  for (const std::string& line : Screen().lines()) boxes += line.starts_with("box ") ? 1 : 0;
  return boxes;
}

}  // namespace

void FuzzReadOv2(const std::uint8_t* data, std::size_t size) {
  nodalux::testing::ResetProgramState();
  const std::size_t boxes_before = BoxesShown();
  nodalux::AppendOv2Records(std::span(data, size));
  ASSERT_LE(nodalux::POI_COUNT, nodalux::MAX_POI);
  ASSERT_EQ(nodalux::READ_COUNT, nodalux::POI_COUNT);
  ASSERT_LE(BoxesShown() - boxes_before, 1u);
  // Every POI record takes at least 13 bytes.
  ASSERT_LE(static_cast<std::size_t>(nodalux::POI_COUNT) * 13, size);
}

void FuzzMakeOv2Line(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const makeov2::ParsedLine parsed = makeov2::ParseTempLine(line);
  if (parsed.kind != makeov2::ParsedLine::Kind::kRecord) return;
  const makeov2::Ov2Poi& poi = parsed.poi;
  ASSERT_LE(std::abs(poi.longitude), 18000000);
  ASSERT_LE(std::abs(poi.latitude), 9000000);
  ASSERT_EQ(poi.name.find('\0'), std::string::npos);

  const auto bytes = makeov2::EncodeOv2({poi});
  ASSERT_TRUE(bytes);
  nodalux::ov2::Decoder decoder(
      std::span(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()));
  const auto back = decoder.next();
  ASSERT_TRUE(back);
  ASSERT_EQ(back->longitude, poi.longitude);
  ASSERT_EQ(back->latitude, poi.latitude);
  ASSERT_EQ(back->name, std::string_view(poi.name).substr(0, nodalux::ov2::kNameBytes));
  ASSERT_FALSE(decoder.next());
  ASSERT_EQ(decoder.stop(), nodalux::ov2::Stop::kEnd);
}

}  // namespace ov2test
