// Reading recorded reference parts back from a measurement log: the cost per part of `kelva
// replay`'s reader (parsing every line, decoding every curve, building the measured values),
// to set against the library's own work on the same part. The log holds 20 different parts
// written as `kelva run --record` writes them; each iteration reads the next part, from the
// start of the log again after the last one.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "MeasurementLogReader.h"
#include "MeasurementLogWriter.h"
#include "ReferenceRecord.h"

namespace {

constexpr int kLoggedParts = 20;
// The log of the benchmark, written once and removed when the program ends.
struct BenchLog {
  // In $TMPDIR when set: on a memory file system the figure is the reader's own work, without
  // the disk.
  std::string path =
      std::string(std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp") +
      "/kelva-replay-read-bench-" + std::to_string(getpid()) + ".log";
  BenchLog() {
    std::ofstream out(path, std::ios::binary);
    out << "{\"log\":\"kelva measurement log\",\"version\":1,\"platform\":\"Bench\"}\n";
    for (int serial = 1; serial <= kLoggedParts; ++serial)
      out << CMeasurementLogWriter::PartLines(ReferenceRecord::Make(serial), 1, 4000);
  }
  ~BenchLog() { std::remove(path.c_str()); }
};

const std::string& LogFile() {
  static const BenchLog log;
  return log.path;
}

void BM_ReadReferencePart(benchmark::State& state) {
  const std::string& file = LogFile();
  auto reader = std::make_unique<CMeasurementLogReader>(std::vector<std::string>{file});
  PartRecord part;
  std::string error;
  size_t values = 0;
  for (auto _ : state) {
    if (!reader->Next(part, error)) {
      if (!error.empty()) {
        state.SkipWithError(error.c_str());
        break;
      }
      state.PauseTiming();
      reader = std::make_unique<CMeasurementLogReader>(std::vector<std::string>{file});
      state.ResumeTiming();
      reader->Next(part, error);
    }
    values = 0;
    for (const PartStep& step : part.steps) values += step.values.size();
    benchmark::DoNotOptimize(part);
  }
  state.counters["values"] = static_cast<double>(values);
}
BENCHMARK(BM_ReadReferencePart)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
