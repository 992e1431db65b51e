// Readers and writers of the two POI file kinds.
#pragma once

namespace nodalux {
void READ_CSV();   // read_csv.cpp
void WRITE_CSV();  // write_csv.cpp
void READ_OV2();   // app/ov2subs/read_ov2.cpp
void WRITE_OV2();  // app/ov2subs/write_ov2.cpp
}  // namespace nodalux
