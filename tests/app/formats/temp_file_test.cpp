// The converter's line format as the OV2 writer writes it.
#include <gtest/gtest.h>

#include <string>

#include "app/formats/temp_file.h"

namespace nodalux::formats {
namespace {

TEST(TempFile, LayoutKeepsLeadingBlanksAndEndsWithTheCount) {
  std::string text(kTempFileHeader);
  AppendTempRecord(text, -0.12345f, 51.5f, "Kew  ");
  AppendTempRecord(text, -179.99999f, -89.5f, "A, \"b\"");
  AppendTempTrailer(text, 2);
  EXPECT_EQ(text,
            ";* Created by Nodalux\r\n"
            ";* Longitude, Latitude, \"Name\"\r\n"
            "  -0.12345,  51.50000,\"Kew\"\r\n"
            "-179.99998, -89.50000,\"A, \"b\"\"\r\n"
            ";*     2 POI records written.\r\n");
  std::string trailers;
  AppendTempTrailer(trailers, 30000);
  AppendTempTrailer(trailers, 12);
  EXPECT_EQ(trailers, ";* 30000 POI records written.\r\n;*    12 POI records written.\r\n");
}

}  // namespace
}  // namespace nodalux::formats
