// MakeOV2_v1-1 INPUT OUTPUT: turns the POI text file INPUT into the OV2
// overlay OUTPUT.
#include <iostream>

#include "tools/makeov2/converter.h"

int main(int argc, char** argv) { return makeov2::RunConverter(argc, argv, std::cerr); }
