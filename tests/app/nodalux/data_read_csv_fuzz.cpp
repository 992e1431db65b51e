#include "tests/app/nodalux/data_read_csv_fuzz.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/nodalux/app_state.h"
#include "app/nodalux/list_view.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/poi_files.h"

namespace nodalux::testing {

void FuzzReadCsv(std::span<const std::uint8_t> bytes, const std::filesystem::path& scratch_file,
                 std::int32_t preloaded) {
  {
    std::ofstream out(scratch_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  POI_COUNT = preloaded;
  READ_COUNT = 0;
  QUIT_REQUESTED = false;
  INPUT_FILE.assign(scratch_file.string());

  READ_CSV();

  ASSERT_GE(POI_COUNT, preloaded);
  ASSERT_LE(POI_COUNT, MAX_POI);
  ASSERT_GE(READ_COUNT, 0);
  ASSERT_EQ(POI_COUNT - preloaded, READ_COUNT);
  ASSERT_GE(LIST_COUNT, 0);
  ASSERT_LE(LIST_COUNT, LIST_CAPACITY);
}

}  // namespace nodalux::testing
