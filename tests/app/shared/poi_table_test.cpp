// The POI table: slots keep what they last held, memory follows what is
// held, and a load's changes can be undone whole.
#include <gtest/gtest.h>

#include <string>

#include "app/shared/poi_table.h"

namespace nodalux {
namespace {

TEST(PoiTable, HoldsWhatWasPutInAndReadsBlankBeyond) {
  PoiTable table;
  EXPECT_EQ(table.held(), 0);
  EXPECT_EQ(table[1].NAME.str(), "");
  EXPECT_EQ(table[MAX_POI].LONGITUDE, 0.0f);
  EXPECT_EQ(table.held(), 0);  // reading grows nothing
  table.put(3000, 1.0f, -1.0f, "far");
  EXPECT_EQ(table.held(), 3000);
  EXPECT_EQ(table[2999].NAME.str(), "");
  EXPECT_EQ(table[3000].NAME.str(), "far");
  EXPECT_EQ(table.at(3000).latitude, -1.0f);
  const PoiTable copy = table;
  table.put(3000, 2.0f, 2.0f, "changed");
  EXPECT_EQ(copy[3000].NAME.str(), "far");
  table.clear();
  EXPECT_EQ(table.held(), 0);
  EXPECT_EQ(table[3000].NAME.str(), "");
}

// A name is what a 128-character text keeps of it: its first 128 bytes,
// trailing blanks not significant; leading blanks and any byte stay.
TEST(PoiTable, KeepsNamesAsTheRecordsTextWould) {
  PoiTable table;
  const std::string long_name = std::string(127, 'n') + "xyz";
  table.put(1, 0.0f, 0.0f, long_name);
  table.put(2, 0.0f, 0.0f, std::string("  lead\0nul\t  ", 13));
  table.put(3, 0.0f, 0.0f, std::string(127, 'q') + " tail");
  EXPECT_EQ(table[1].NAME.str(), long_name.substr(0, 128));
  EXPECT_EQ(table.at(2).name, std::string_view("  lead\0nul\t", 11));
  EXPECT_EQ(table.at(3).name, std::string(127, 'q'));
  EXPECT_EQ(table[2].NAME, zarv::Text<128>(std::string_view("  lead\0nul\t", 11)));
}

TEST(PoiTable, UpdateChangesOnlyTheValuesGiven) {
  PoiTable table;
  table.put(1, 10.0f, 20.0f, "old");
  table.update(1, std::nullopt, 5.0f, std::nullopt);
  table.update(2, 7.0f, std::nullopt, std::nullopt);  // a slot never used starts blank
  EXPECT_EQ(table[1].LONGITUDE, 10.0f);
  EXPECT_EQ(table[1].LATITUDE, 5.0f);
  EXPECT_EQ(table[1].NAME.str(), "old");
  EXPECT_EQ(table[2].LONGITUDE, 7.0f);
  EXPECT_EQ(table[2].NAME.str(), "");
  table.update(1, std::nullopt, std::nullopt, "new");
  EXPECT_EQ(table[1].NAME.str(), "new");
  EXPECT_EQ(table[1].LATITUDE, 5.0f);
}

// Names overwritten again and again never pile up, and every slot keeps
// its own through the tidying that drops them.
TEST(PoiTable, OverwrittenNamesDoNotPileUp) {
  PoiTable table;
  for (int round = 0; round < 200; ++round) {
    for (int i = 1; i <= 1000; ++i) {
      table.put(i, static_cast<float>(round), 0.0f, "POI " + std::to_string(i) + " of round " + std::to_string(round));
    }
    table.put(round + 1, 0.0f, 0.0f, table.at(round + 2).name);  // a name from the table itself
  }
  for (int i = 1; i <= 1000; ++i) {
    const int named_after = i == 200 ? 201 : i;
    ASSERT_EQ(table[i].NAME.str(), "POI " + std::to_string(named_after) + " of round 199") << i;
  }
  // Some tens of thousands of bytes of names, not the 4 MB written.
  EXPECT_LT(table.name_bytes(), 200u * 1024u);
  const PoiTable copy = table;
  EXPECT_EQ(copy[1000].NAME.str(), "POI 1000 of round 199");
}

// The group is copied from the loaded POI without their names' bytes; the
// two tables still change apart, whatever either does afterwards.
TEST(PoiTable, ACopiedSlotIsItsOwnAfterwards) {
  PoiTable loaded;
  for (int i = 1; i <= 100; ++i) loaded.put(i, static_cast<float>(i), 0.0f, "loaded " + std::to_string(i));
  PoiTable group;
  group.put(1, 0.0f, 0.0f, "old group");
  group.clear();
  for (int i = 2; i <= 100; i += 2) group.append_copy(loaded, i);
  EXPECT_EQ(group.held(), 50);
  EXPECT_EQ(group[50].NAME.str(), "loaded 100");
  EXPECT_EQ(group.name_bytes(), loaded.name_bytes());  // nothing copied

  // The loaded POI change many times over (a new file, say): the group
  // keeps its names, and their bytes are dropped once neither needs them.
  for (int round = 0; round < 100; ++round) {
    loaded.begin_changes();
    for (int i = 1; i <= 100; ++i) loaded.put(i, 0.0f, 0.0f, "round " + std::to_string(round) + std::string(900, 'x'));
    loaded.keep_changes();
  }
  group.put(2, 1.0f, 1.0f, "changed in the group");
  EXPECT_EQ(group[1].NAME.str(), "loaded 2");
  EXPECT_EQ(group[2].NAME.str(), "changed in the group");
  EXPECT_EQ(loaded[4].NAME.str(), "round 99" + std::string(120, 'x'));
  EXPECT_LT(loaded.name_bytes(), 200u * 1024u);
  group.clear();
  group.append_copy(loaded, 3);
  group.append_copy(PoiTable(), 1);  // a slot never used: blank
  EXPECT_EQ(group[1].NAME.str(), "round 99" + std::string(120, 'x'));
  EXPECT_EQ(group[2].NAME.str(), "");
}

TEST(PoiTable, UndoPutsEverySlotBackAndForgetsNewOnes) {
  PoiTable table;
  for (int i = 1; i <= 1500; ++i) table.put(i, static_cast<float>(i), 0.0f, "old " + std::to_string(i));
  table.begin_changes();
  for (int round = 0; round < 50; ++round) {
    for (int i = 1; i <= 2500; ++i) table.put(i, -1.0f, 0.0f, "new name that takes some room");
  }
  table.update(7, std::nullopt, std::nullopt, "changed twice");
  table.undo_changes();
  EXPECT_EQ(table.held(), 1500);
  for (int i = 1; i <= 1500; ++i) {
    ASSERT_EQ(table[i].NAME.str(), "old " + std::to_string(i));
    ASSERT_EQ(table[i].LONGITUDE, static_cast<float>(i));
  }
  EXPECT_EQ(table[1501].NAME.str(), "");
  EXPECT_EQ(table[2500].NAME.str(), "");

  table.begin_changes();
  table.put(2, 9.0f, 0.0f, "kept");
  table.put(1600, 8.0f, 0.0f, "kept too");
  table.keep_changes();
  table.undo_changes();  // nothing left to undo
  EXPECT_EQ(table[2].NAME.str(), "kept");
  EXPECT_EQ(table[1600].NAME.str(), "kept too");
  EXPECT_EQ(table[1].NAME.str(), "old 1");
}

}  // namespace
}  // namespace nodalux
