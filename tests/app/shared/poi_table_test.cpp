// The POI table: slots keep what they last held, memory follows what is
// held, and a load's changes can be undone whole.
#include <gtest/gtest.h>

#include <utility>

#include "app/shared/poi_table.h"

namespace nodalux {
namespace {

POI_RECORD Poi(float lon, std::string_view name) {
  POI_RECORD poi;
  poi.LONGITUDE = lon;
  poi.LATITUDE = -lon;
  poi.NAME.assign(name);
  return poi;
}

TEST(PoiTable, HoldsWhatWasPutInAndReadsBlankBeyond) {
  PoiTable table;
  EXPECT_EQ(table.held(), 0);
  EXPECT_EQ(std::as_const(table)[1].NAME.str(), "");
  EXPECT_EQ(std::as_const(table)[MAX_POI].LONGITUDE, 0.0f);
  EXPECT_EQ(table.held(), 0);  // reading grows nothing
  table[3000] = Poi(1.0f, "far");
  EXPECT_EQ(table.held(), 3000);
  EXPECT_EQ(std::as_const(table)[2999].NAME.str(), "");
  EXPECT_EQ(std::as_const(table)[3000].NAME.str(), "far");
  const PoiTable copy = table;
  table[3000].NAME.assign("changed");
  EXPECT_EQ(copy[3000].NAME.str(), "far");
}

TEST(PoiTable, UndoPutsEverySlotBackAndForgetsNewOnes) {
  PoiTable table;
  for (int i = 1; i <= 1500; ++i) table[i] = Poi(static_cast<float>(i), "old " + std::to_string(i));
  table.begin_changes();
  for (int i = 1; i <= 2500; ++i) table[i] = Poi(-1.0f, "new");
  table[7].NAME.assign("changed twice");
  table.undo_changes();
  EXPECT_EQ(table.held(), 1500);
  for (int i = 1; i <= 1500; ++i) {
    ASSERT_EQ(std::as_const(table)[i].NAME.str(), "old " + std::to_string(i));
    ASSERT_EQ(std::as_const(table)[i].LONGITUDE, static_cast<float>(i));
  }
  EXPECT_EQ(std::as_const(table)[1501].NAME.str(), "");
  EXPECT_EQ(std::as_const(table)[2500].NAME.str(), "");

  table.begin_changes();
  table[2] = Poi(9.0f, "kept");
  table[1600] = Poi(8.0f, "kept too");
  table.keep_changes();
  table.undo_changes();  // nothing left to undo
  EXPECT_EQ(std::as_const(table)[2].NAME.str(), "kept");
  EXPECT_EQ(std::as_const(table)[1600].NAME.str(), "kept too");
}

}  // namespace
}  // namespace nodalux
