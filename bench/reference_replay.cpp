// Writes the reference part's test plan (as a plan file) and a measurement log of N reference
// parts, so that `kelva replay` can drive reference-size parts through the whole library:
//
//   build/bench/reference_replay OUT_FOLDER N
//   build/apps/kelva/kelva replay --plan OUT_FOLDER/reference-plan.json
//                            --input OUT_FOLDER/reference.log --workdir OUT_FOLDER/work --json |
//                            tail -1
//
// The summary's millisecondsPerPart is the library's work per part, sourceMillisecondsPerPart
// the reading of the log. The plan is ReferencePlanFile.h.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "MeasurementLogWriter.h"
#include "ReferencePlanFile.h"
#include "ReferenceRecord.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[2]) < 1) {
    std::fprintf(stderr, "usage: reference_replay OUT_FOLDER PARTS\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const int parts = std::atoi(argv[2]);
  std::ofstream(folder + "reference-plan.json") << ReferencePlanFile::Plan().dump(1) << "\n";
  std::ofstream log(folder + "reference.log", std::ios::binary);
  log << "{\"log\":\"kelva measurement log\",\"version\":1,\"platform\":\"Bench\"}\n";
  for (int serial = 1; serial <= parts; ++serial) {
    PartRecord record = ReferenceRecord::Make(serial);
    record.tick = 4000u * static_cast<uint64_t>(serial);
    log << CMeasurementLogWriter::PartLines(record, -1, 4000);
  }
  return log ? 0 : 1;
}
