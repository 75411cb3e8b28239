// The bench host's files driven through every fault the file layer injects: the HTML report and
// the compacted detail file (replaced whole), the printed reports (one new file per print), the
// lamp device, the report journal and the run's log (appended), the measurement log (a
// temporary file appended to, then renamed into place), and whole runs whose saves fail.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "JsonLines.h"
#include "LampPort.h"
#include "MeasurementLogReader.h"
#include "MeasurementLogWriter.h"
#include "OperatorViews.h"
#include "ReportCommand.h"
#include "RunCommand.h"
#include "RunLog.h"
#include "app/KelvaProcess.h"
#include "host/Candidate.h"
#include "host/FaultSweep.h"
#include "host/Output.h"
#include "host/Railway.h"
#include "host/Sea.h"

using namespace FaultSweep;

namespace {

const std::string kNoSpace = std::strerror(ENOSPC);

// The temporary file JsonLines::WriteWhole writes `path` under.
std::string WholeTemporary(const std::string& path) {
  return path + ".tmp-" + std::to_string(::getpid()) + "-0";
}

// What JsonLines::WriteWhole says when the point's fault stops it.
std::string WholeFileReason(const std::string& path, const Point& point) {
  const std::string temporary = WholeTemporary(path);
  switch (point.fault) {
    case Fault::syncFails:
      return "cannot sync " + temporary + ": " + SystemReason(point);
    case Fault::renameFails:
      return "cannot rename " + temporary + " to " + path + ": " + SystemReason(point);
    default:
      return "cannot write " + temporary + ": " + SystemReason(point);
  }
}

// "" when `path` is a JSON Lines file of exactly `lines` whole lines.
std::string ReadJsonLines(const std::string& path, size_t lines) {
  std::vector<JsonLines::Line> read;
  std::string warning, error;
  if (JsonLines::Read(path, read, warning, error) != JsonLines::ReadResult::ok) return error;
  if (!warning.empty()) return warning;
  return read.size() == lines ? "" : std::to_string(read.size()) + " lines";
}

}  // namespace

// `kelva report --html OUT`: a page that cannot be written leaves the previous page.
TEST(FileFaultsTest, TheHtmlReportKeepsItsPreviousPageAtEveryFault) {
  TempFolder folder;
  const std::string parts = folder / "work/Report/parts.jsonl";
  std::filesystem::create_directories(folder / "work/Report");
  std::filesystem::create_directories(folder / "pages");
  WriteText(parts, "{\"serial\":\"1\",\"resultCode\":1}\n");
  ReportOptions options;
  options.workdir = folder / "work";
  options.html = folder / "pages/report.html";
  const auto save = [&options] {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int exitCode = WriteReport(options);
    ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    return exitCode == 0 && err.empty() ? "" : std::to_string(exitCode) + ": " + err;
  };
  ASSERT_EQ(save(), "");
  WriteText(parts, "{\"serial\":\"1\",\"resultCode\":1}\n{\"serial\":\"2\",\"resultCode\":0}\n");
  SweepReplacedFile({options.html, save,
                     [&options](const Point& point) {
                       return "2: kelva: " + WholeFileReason(options.html, point) + "\n";
                     },
                     [](const std::string& path) {
                       const std::string page = ReadText(path);
                       return page.rfind("<!DOCTYPE html>", 0) == 0 && page.size() > 15 &&
                                      page.compare(page.size() - 15, 15, "</body></html>\n") == 0
                                  ? ""
                                  : "not a whole page";
                     }});
}

// The detail file, rewritten with the lines the report shows once it holds too many.
TEST(FileFaultsTest, TheCompactedDetailFileKeepsItsPreviousVersionAtEveryFault) {
  TempFolder folder;
  const std::string path = folder / "detail.jsonl";
  std::string error;
  ASSERT_TRUE(JsonLines::WriteWhole(path, "{\"a\":1}\n{\"a\":2}\n{\"a\":3}\n", error)) << error;
  SweepReplacedFile(
      {path,
       [&path] {
         std::string why;
         return JsonLines::WriteWhole(path, "{\"a\":2}\n{\"a\":3}\n", why) ? "" : "false: " + why;
       },
       [&path](const Point& point) { return "false: " + WholeFileReason(path, point); },
       [](const std::string& file) {
         const std::string three = ReadJsonLines(file, 3), two = ReadJsonLines(file, 2);
         return three.empty() || two.empty() ? "" : three;
       }});
}

// A printed report is a new file: a print that fails leaves no file (and no temporary one)
// behind, and the reports printed before stay as they were.
TEST(FileFaultsTest, APrintedReportIsWholeOrAbsent) {
  TempFolder folder;
  const std::string reports = folder / "reports/";
  CBerichtsView::Report report;
  report.serial = "S1";
  report.header = "Part S1\n";
  report.body = "Level 1 too high\n";
  std::string error;
  ASSERT_EQ(PrintReportFile(report, reports, error), reports + "S1.txt") << error;
  const std::string first = ReadText(reports + "S1.txt");
  const std::string second = reports + "S1.2.txt";

  const FileFaults::Counts calls = CallsOf([&] { PrintReportFile(report, reports, error); });
  std::filesystem::remove(second);
  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(Describe(point));
    {
      const Armed armed(point);
      error.clear();
      EXPECT_EQ(PrintReportFile(report, reports, error), "");
    }
    EXPECT_EQ(error, "the report " + second + " cannot be written: " + ReplacingFileReason(point));
    EXPECT_EQ(Names(reports), std::vector<std::string>{"S1.txt"});
    EXPECT_EQ(ReadText(reports + "S1.txt"), first);
    EXPECT_EQ(PrintReportFile(report, reports, error), second);
    EXPECT_EQ(ReadText(second), "Part S1\nLevel 1 too high\n");
    std::filesystem::remove(second);
  }
  EXPECT_EQ(PointsOf(calls).size(), 5u);  // one write, one sync, one rename
}

// The lamp device cannot take bytes back: a failed write is said, the commands before it are
// there whole, and nothing more is written (a torn command is never followed by another).
TEST(FileFaultsTest, TheLampStopsAtAFailedWrite) {
  TempFolder folder;
  const std::string path = folder / "lamp";
  const auto send = [](const wchar_t* command) {
    CModuleOutputWire::Find("SerialOutput")->SendData(command, 7, nullptr);
  };
  FileFaults::Counts calls;
  {
    CLampPort lamp;
    std::string error;
    ASSERT_TRUE(lamp.Open(path, error)) << error;
    lamp.Connect();
    calls = CallsOf([&] { send(L"wr01100"); });
  }
  // A port's listener stays on the wire after it: taken off before the next port listens.
  CModuleOutputWire::Find("SerialOutput")->ClearListeners();
  ASSERT_EQ(calls.writes, 1u);  // a command in one write
  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(Describe(point));
    std::filesystem::remove(path);
    {
      CLampPort lamp;
      std::string error;
      ASSERT_TRUE(lamp.Open(path, error)) << error;
      lamp.Connect();
      send(L"wr01100");
      {
        const Armed armed(point);
        send(L"wr02200");
        EXPECT_GT(FileFaults::Injected(), 0u);
      }
      send(L"wr03300");
      EXPECT_EQ(lamp.WriteFailure(), "the lamp " + path + " cannot be written: " + kNoSpace);
      // What the operator saw is kept all the same.
      EXPECT_EQ(lamp.Take().size(), 3u);
    }
    CModuleOutputWire::Find("SerialOutput")->ClearListeners();
    EXPECT_EQ(ReadText(path), point.fault == Fault::shortWrite ? "wr01100\nwr02" : "wr01100\n");
  }
}

// The report journal (parts.jsonl, detail.jsonl) is appended a line at a time: an append that
// fails is reported and takes nothing away; the lines before it are read back whole, and the
// next append goes on after them.
TEST(FileFaultsTest, AFailedAppendLeavesTheJournalEndingAfterItsLastWholeLine) {
  TempFolder folder;
  const std::string path = folder / "parts.jsonl";
  std::string error;
  ASSERT_TRUE(JsonLines::Append(path, "{\"serial\":\"1\",\"resultCode\":1}", error));
  ASSERT_TRUE(JsonLines::Append(path, "{\"serial\":\"2\",\"resultCode\":0}", error));
  const std::string before = ReadText(path);
  const std::string line = "{\"serial\":\"3\",\"resultCode\":1,\"errors\":[]}";

  const FileFaults::Counts calls = CallsOf([&] { JsonLines::Append(path, line, error); });
  ASSERT_EQ(calls.writes, 1u);
  WriteText(path, before);
  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(Describe(point));
    {
      const Armed armed(point);
      EXPECT_FALSE(JsonLines::Append(path, line, error));
    }
    EXPECT_EQ(error, "cannot append to " + path + ": " + kNoSpace);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(ReadJsonLines(path, 2), "");
    EXPECT_TRUE(JsonLines::Append(path, line, error)) << error;
    EXPECT_EQ(ReadText(path), before + line + "\n");
    EXPECT_EQ(ReadJsonLines(path, 3), "");
    WriteText(path, before);
  }

  // A torn line that could not be cut off (a killed run) is cut before the next append.
  WriteText(path, before + "{\"serial\":\"3\",\"res");
  EXPECT_TRUE(JsonLines::Append(path, line, error)) << error;
  EXPECT_EQ(ReadText(path), before + line + "\n");
}

// The run's log: a line that cannot be written is said once and leaves no torn line; the lines
// after it go in again.
TEST(FileFaultsTest, TheRunLogKeepsWholeLinesAndSaysWhenOneIsLost) {
  TempFolder folder;
  const std::string path = folder / "kelva.log";
  std::string error;
  {
    CRunLog log;
    ASSERT_TRUE(log.Open(path, error)) << error;
    log.Write(1, 0, "first");
    log.Write(1, 0, "second\n");
    EXPECT_EQ(log.WriteFailure(), "");
  }
  const std::string before = ReadText(path);
  ASSERT_EQ(before, "[1] first\n[1] second\n");
  const std::string lost = "a line long enough to be cut in two";

  CRunLog counted;
  ASSERT_TRUE(counted.Open(path, error));
  const FileFaults::Counts calls = CallsOf([&] { counted.Write(1, 0, lost); });
  WriteText(path, before);
  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(Describe(point));
    CRunLog log;
    ASSERT_TRUE(log.Open(path, error)) << error;
    {
      const Armed armed(point);
      log.Write(1, 0, lost);
    }
    EXPECT_EQ(log.WriteFailure(), "the log " + path + " cannot be written: " + kNoSpace);
    EXPECT_EQ(ReadText(path), before);
    log.Write(2, 0, "third");
    EXPECT_EQ(ReadText(path), before + "[2] third\n");
    WriteText(path, before);
  }
  EXPECT_EQ(PointsOf(calls).size(), 2u);
}

namespace {

// A part of one mode with one final value.
PartRecord OnePart(const std::string& serial, float value) {
  PartRecord record;
  record.part.serial = serial;
  record.type = "T";
  record.tick = 1000;
  record.wallMilliseconds = 1765000000000;
  auto level = std::make_shared<CMeasuringResultScalar>();
  level->SetClavis(SClavis{1, 1, 1, 1, 10, 0});
  level->value = value;
  record.steps.push_back({PartStep::beginMode, 1, {}, {}, false});
  record.steps.push_back({PartStep::beginMeasurement, 1, {}, {}, false});
  record.steps.push_back({PartStep::deliver, 1, "FinalInput", {level}, false});
  record.steps.push_back({PartStep::endMeasurement, 1, {}, {}, false});
  record.steps.push_back({PartStep::endMode, 1, {}, {}, false});
  return record;
}

// The serials of the parts the measurement log reader takes from `path`; a refusal ends the
// list with "error: <what>".
std::vector<std::string> PartsIn(const std::string& path) {
  CMeasurementLogReader reader({path});
  std::vector<std::string> serials;
  PartRecord part;
  std::string error;
  while (reader.Next(part, error)) serials.push_back(part.part.serial);
  if (!error.empty()) serials.push_back("error: " + error);
  return serials;
}

}  // namespace

// `kelva run --record LOG`: a recording that fails leaves the previous LOG as it was and says
// why; the parts recorded before the failure stay readable, whole, in LOG.recording.
TEST(FileFaultsTest, AFailedRecordingKeepsThePreviousLogAndItsWholeParts) {
  TempFolder folder;
  const std::string path = folder / "parts.log";
  const std::string recording = path + ".recording";
  // Records `count` parts as the run does: the recording stops at its first failure.
  const auto record = [&path](const std::string& prefix, int count) {
    CMeasurementLogWriter writer;
    std::string error;
    if (!writer.Open(path, "P1", error)) return error;
    for (int i = 1; i <= count; ++i)
      if (!writer.Write(OnePart(prefix + std::to_string(i), 80.0f + i), 1, 4000, error))
        return error;
    return writer.Finish(error) ? "" : error;
  };
  ASSERT_EQ(record("A", 1), "");
  const std::string before = ReadText(path);
  ASSERT_EQ(PartsIn(path), std::vector<std::string>{"A1"});

  std::string report;
  const FileFaults::Counts calls = CallsOf([&] { report = record("B", 3); });
  ASSERT_EQ(report, "");
  const std::string after = ReadText(path);
  ASSERT_EQ(PartsIn(path), (std::vector<std::string>{"B1", "B2", "B3"}));
  ASSERT_EQ(calls.writes, 4u);  // the header and each part in one write
  WriteText(path, before);

  const std::vector<std::string> recorded = {"B1", "B2", "B3"};
  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(Describe(point));
    {
      const Armed armed(point);
      report = record("B", 3);
    }
    const bool writeFault = point.fault == Fault::shortWrite || point.fault == Fault::diskFull;
    if (writeFault) {
      EXPECT_EQ(report, "the measurement log " + recording + " cannot be written: " + kNoSpace);
    } else {
      EXPECT_EQ(report, "the measurement log could not be put in place as " + path + " (" +
                            SystemReason(point) + "); it is kept as " + recording);
    }
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(PartsIn(path), std::vector<std::string>{"A1"});
    if (writeFault && point.at == 1) {
      // Not even the header went in: nothing is kept.
      EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"parts.log"});
    } else {
      // The parts written before the failing write, whole: the same bytes as the new log has.
      const size_t whole = writeFault ? point.at - 2 : 3;
      const std::string kept = ReadText(recording);
      EXPECT_EQ(after.compare(0, kept.size(), kept), 0);
      EXPECT_EQ(PartsIn(recording),
                std::vector<std::string>(recorded.begin(), recorded.begin() + whole));
      EXPECT_EQ(Names(folder.Path()),
                (std::vector<std::string>{"parts.log", "parts.log.recording"}));
    }
    EXPECT_EQ(record("B", 3), "");
    EXPECT_EQ(ReadText(path), after);
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"parts.log"});
    WriteText(path, before);
  }
}

namespace {

struct InProcessRun {
  int exitCode = -1;
  std::string err;
  std::vector<std::string> serials;  // of the parts run
};

// `kelva run --parts N --save-every 1 --cycle-ms 4000 --json [--record LOG] --workdir WORKDIR`
// in this process, so that faults armed here reach its saves. What the run sets for the process
// is set back afterwards.
InProcessRun RunInProcess(const std::string& workdir, int parts, const std::string& record = "") {
  RunOptions options;
  options.workdir = workdir;
  options.record = record;
  options.parts = parts;
  options.cycleMs = 4000;
  options.saveEvery = 1;  // a checkpoint after every part
  options.json = true;
  const int mask = PrWin::DefaultStderrSink().Mask();
  const std::string path = CSeaBase::DefaultPath(), locals = CSeaBase::DefaultLocalsPath();
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  InProcessRun run;
  run.exitCode = RunBench(options);
  const std::string out = ::testing::internal::GetCapturedStdout();
  run.err = ::testing::internal::GetCapturedStderr();
  for (const nlohmann::json& line : ParseJsonLines(out))
    if (line.contains("serial")) run.serials.push_back(line["serial"].get<std::string>());
  // The lamp port's listener stays on the signal light's wire after the run.
  if (CModuleOutputWire* wire = CModuleOutputWire::Find("SerialOutput")) wire->ClearListeners();
  PrWin::DefaultStderrSink().SetMask(mask);
  CSeaBase::SetDefaultPaths(path, locals);
  CSeaBase::ApplicationSea()->Clear();
  CSeaBase::PreferenceSea()->Clear();
  McSetPlatformName("");
  return run;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Temporary files anywhere below `folder`.
std::vector<std::string> TemporariesBelow(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".tmp-") != std::string::npos) found.push_back(entry.path().string());
  }
  return found;
}

}  // namespace

// Whole runs with their saves failing (at every sync and rename, and with the disk full from
// points spread over the run): each run says what it could not save and exits 1 (2 when the
// recording cannot even start), stopping before a part whose serial it cannot reserve; no
// temporary file is left, and the next run reads every file as it is and issues none of the
// serials again.
TEST(FileFaultsTest, ARunWhoseSavesFailSaysSoAndLeavesEveryFileWhole) {
  TempFolder folder;
  const std::string baseline = folder / "baseline";
  ASSERT_EQ(RunInProcess(baseline, 2).exitCode, 0);
  std::filesystem::remove(baseline + "/kelva.lock");
  const std::string work = folder / "work";
  const auto fromBaseline = [&] {
    std::filesystem::remove_all(work);
    std::filesystem::copy(baseline, work, std::filesystem::copy_options::recursive);
  };

  const std::string recording = folder / "recorded.log";
  fromBaseline();
  InProcessRun run;
  const FileFaults::Counts calls = CallsOf([&] { run = RunInProcess(work, 2, recording); });
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_GT(calls.writes, 100u);
  std::vector<Point> points;
  for (const Point& point : PointsOf(calls))
    if (point.fault == Fault::syncFails || point.fault == Fault::renameFails)
      points.push_back(point);
  // The disk full from every 32nd write on (each checkpoint's saves are some 200 writes apart),
  // and from write 2: the run's first save, of the settings, after the recording's header.
  for (unsigned n = 1; n <= calls.writes; n += 32) points.push_back({Fault::diskFull, n});
  points.push_back({Fault::diskFull, 2});

  for (const Point& point : points) {
    SCOPED_TRACE(Describe(point));
    fromBaseline();
    {
      const Armed armed(point);
      run = RunInProcess(work, 2, recording);
    }
    // Every fault is said, a recording that failed once; a checkpoint's file that was not saved
    // or a recording that failed makes the exit code 1.
    EXPECT_NE(run.err, "");
    const bool notSaved = run.err.find(" could not be saved to ") != std::string::npos;
    const size_t recordingSaid = Count(run.err, "kelva: the measurement log ");
    EXPECT_LE(recordingSaid, 1u) << run.err;
    if (run.err.find("; nothing was run\n") != std::string::npos) {
      EXPECT_EQ(run.exitCode, 2);  // the recording could not even be started
      EXPECT_EQ(run.serials, std::vector<std::string>{});
    } else {
      EXPECT_EQ(run.exitCode, notSaved || recordingSaid > 0 ? 1 : 0) << run.err;
    }
    if (point.fault == Fault::diskFull && point.at == 2) {
      EXPECT_EQ(run.serials, std::vector<std::string>{});
      EXPECT_NE(run.err.find("kelva: the part counter could not be saved to " + work +
                             "/settings.txt, so the run stops after 0 of 2 parts"),
                std::string::npos)
          << run.err;
    }
    EXPECT_EQ(TemporariesBelow(work), std::vector<std::string>{});
    // The next run reads every file as it is, and issues none of the serials issued before.
    const InProcessRun next = RunInProcess(work, 2);
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(next.err, "");
    ASSERT_EQ(next.serials.size(), 2u);
    for (const std::string& serial : run.serials)
      EXPECT_EQ(std::count(next.serials.begin(), next.serials.end(), serial), 0)
          << "serial " << serial << " issued again\n"
          << run.err;
  }
}
