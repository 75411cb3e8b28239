#include "host/Sea.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "host/Output.h"

namespace {

class SeaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSeaBase::ApplicationSea()->Clear();
    CSeaBase::PreferenceSea()->Clear();
    CSeaBase::MessagesSea()->Clear();
    path_ = ::testing::TempDir() + "kelva-settings-" + std::to_string(::getpid()) + ".txt";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }

  void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string ReadFile() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::string path_;
  CSeaBase* app = CSeaBase::ApplicationSea();
};

}  // namespace

TEST_F(SeaTest, LookupsWithDefaults) {
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 11, 50), 50);
  app->LookupSetInt("KelSequencer-Params", 30, 11);
  app->LookupSetString("KelSequencer-Params", "SN 0815; A", 2);
  app->LookupSetBool("KelSequencer-Params", true, 0);
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 11, 50), 30);
  EXPECT_EQ(app->LookupGetString("KelSequencer-Params", 2, "x"), "SN 0815; A");
  EXPECT_TRUE(app->LookupGetBool("KelSequencer-Params", 0, false));
  // Fields between were never set: every read gives the caller's default, texts too.
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 5, 7), 7);
  EXPECT_EQ(app->LookupGetString("KelSequencer-Params", 1, "GT2A-000000"), "GT2A-000000");
  EXPECT_TRUE(app->LookupGetBool("KelSequencer-Params", 10, true));
  // An empty text set on purpose is a value of its own.
  app->LookupSetString("KelSequencer-Params", "", 3);
  EXPECT_EQ(app->LookupGetString("KelSequencer-Params", 3, "x"), "");
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 2, -1), -1);  // not a number
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", -1, 3), 3);

  CResourceList list(app, "Terminal-Modes");
  EXPECT_EQ(list.Count(), 0u);
  list.AddLineTail().SetInt(0, 3);
  CResourceLine second = list.AddLineTail();
  second.SetInt(0, 4);
  second.SetBool(1, true);
  list.GotoHead();
  int seen = 0;
  for (; list.IsValid(); list.GotoNext()) seen += list.GetCurrentLine().GetIntFb(0, -1);
  EXPECT_EQ(seen, 7);
  ASSERT_TRUE(list.GotoLine("4"));
  EXPECT_TRUE(list.GetCurrentLine().GetBoolFb(1, false));
  EXPECT_FALSE(list.GetCurrentLine().GetBoolFb(2, false));
  EXPECT_FALSE(list.GotoLine("5"));
  EXPECT_FALSE(list.IsValid());
}

TEST_F(SeaTest, SavedEditedAndReloaded) {
  app->LookupSetInt("KelSequencer-Params", 1, 0);
  app->LookupSetString("KelSequencer-Params", "NEUTRAL", 2);
  app->LookupSetString("Report-Title", "  padded; \"quoted\" \\ # ", 0);
  app->LookupSetString("Sequencer-Params", "", 1);
  app->LookupSetInt("Sequencer-Params", 10, 3);
  CResourceList list(app, "Terminal-Instruments");
  list.AddLineTail().SetInt(0, 2500);
  list.AddLineTail().SetInt(0, 2001);
  app->CreateEntry("Empty", 0);
  CSeaBase::PreferenceSea()->LookupSetBool("Lamp-BeimStartOffen", true, 0);
  CSeaBase::MessagesSea()->LookupSetBool("GlobalDebugVerbose", true, 0);
  ASSERT_TRUE(SeaFile::Save(path_));
  EXPECT_EQ(ReadFile().find("[messages]"), std::string::npos);
  // Fields never set are written as nothing, an empty text in quotes.
  EXPECT_NE(ReadFile().find("\nSequencer-Params = ; \"\"; ; 10\n"), std::string::npos)
      << ReadFile();

  // A person edits the file: changes a field, adds a list line and a comment.
  std::string text = ReadFile();
  const std::string old = "KelSequencer-Params = 1; ; NEUTRAL";
  ASSERT_NE(text.find(old), std::string::npos) << text;
  text.replace(text.find(old), old.size(),
               "KelSequencer-Params = 0 ; 1 ; NEUTRAL  # not a comment");
  const std::string last = "Terminal-Instruments += 2001\n";
  ASSERT_NE(text.find(last), std::string::npos);
  text.insert(text.find(last) + last.size(), "# added by hand\nTerminal-Instruments += 16000; 0\n");
  WriteFile(text);

  app->Clear();
  PrWin::CaptureSink capture;
  ASSERT_TRUE(SeaFile::Load(path_));
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 0, 9), 0);
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 1, 9), 1);
  EXPECT_EQ(app->LookupGetString("KelSequencer-Params", 2, ""), "NEUTRAL  # not a comment");
  EXPECT_EQ(app->LookupGetString("Report-Title", 0, ""), "  padded; \"quoted\" \\ # ");
  EXPECT_EQ(CResourceList(app, "Terminal-Instruments").Count(), 3u);
  ASSERT_NE(app->FindEntry("Empty"), nullptr);
  EXPECT_TRUE(app->FindEntry("Empty")->empty());
  EXPECT_TRUE(CSeaBase::PreferenceSea()->LookupGetBool("Lamp-BeimStartOffen", 0, false));
  EXPECT_EQ(app->LookupGetString("Sequencer-Params", 0, "default"), "default");
  EXPECT_EQ(app->LookupGetString("Sequencer-Params", 1, "default"), "");
  EXPECT_EQ(app->LookupGetString("Sequencer-Params", 2, "default"), "default");
  EXPECT_EQ(app->LookupGetInt("Sequencer-Params", 3, 0), 10);

  // Saving again gives the same text as the first save plus the edits.
  const std::string reloaded = SeaFile::Format();
  ASSERT_TRUE(SeaFile::Parse(reloaded, "again"));
  EXPECT_EQ(SeaFile::Format(), reloaded);
}

TEST_F(SeaTest, DamageCostsOnlyTheEntriesItTouches) {
  app->LookupSetInt("KelSequencer-Params", 30, 11);
  CResourceList list(app, "Terminal-Modes");
  for (int mode = 1; mode <= 3; ++mode) list.AddLineTail().SetInt(0, mode);
  app->LookupSetInt("Zeta", 7, 0);
  ASSERT_TRUE(SeaFile::Save(path_));
  const std::string good = ReadFile();

  // Cut short anywhere: at least one message; the entry the cut falls into never survives with
  // fewer lines than it had, and no entry takes a value it did not have.
  for (size_t cut = 1; cut < good.size() - 1; ++cut) {
    WriteFile(good.substr(0, cut));
    app->LookupSetInt("Stale", 1, 0);
    PrWin::CaptureSink capture;
    EXPECT_FALSE(SeaFile::Load(path_)) << cut;
    EXPECT_GE(capture.Lines().size(), 1u) << cut;
    const int errors = app->LookupGetInt("KelSequencer-Params", 11, 50);
    EXPECT_TRUE(errors == 50 || errors == 30) << cut;
    const CSeaBase::Entry* modes = app->FindEntry("Terminal-Modes");
    EXPECT_TRUE(modes == nullptr || modes->size() == 3) << cut;
    EXPECT_FALSE(app->HasEntry("Stale"));
  }
  // Cut between two entries: the entries before the cut keep their values, the last one read
  // (it may have lost lines) takes its defaults.
  WriteFile(good.substr(0, good.find("Zeta")));
  PrWin::CaptureSink cutCapture;
  EXPECT_FALSE(SeaFile::Load(path_));
  EXPECT_EQ(cutCapture.Text(), "Settings file '" + path_ +
                                   "' is cut short (no closing line [end]); entry "
                                   "'Terminal-Modes', read last, takes its defaults\n");
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 11, 50), 30);
  EXPECT_FALSE(app->HasEntry("Terminal-Modes"));

  const std::pair<const char*, const char*> cases[] = {
      {"[application]\nKey = \"open\nOther = 2\n[end]\n",
       "Settings file 'F', line 2: expected a closing '\"'; entry 'Key' takes its defaults\n"},
      {"Key = 1\n[application]\nOther = 2\n[end]\n",
       "Settings file 'F', line 1: expected a [application] or [preferences] section before the "
       "first entry\n"},
      {"[application]\nKey += 1\nKey = 5\nOther = 2\n[end]\n",
       "Settings file 'F', line 2: expected 'key =' before the first 'key +=' line; entry 'Key' "
       "takes its defaults\n"},
      {"[application]\nKey = 1\nKey = 5\nKey += 6\nOther = 2\n[end]\n",
       "Settings file 'F', line 3: expected one 'key =' line per key (further lines use '+='); "
       "entry 'Key' takes its defaults\n"},
      {"[other]\nKey = 1\n[application]\nOther = 2\n[end]\n",
       "Settings file 'F', line 1: expected [application] or [preferences]; the entries of this "
       "section are ignored\n"},
      {"[application]\nOther = 2\nKe\"y = 1\n[end]\nJunk\nMore\n",
       "Settings file 'F', line 3: expected a key before '='; the line is ignored\n"
       "Settings file 'F', line 5: expected nothing after [end]; the rest of the file is "
       "ignored\n"},
  };
  for (const auto& [text, message] : cases) {
    PrWin::CaptureSink capture;
    EXPECT_FALSE(SeaFile::Parse(text, "F")) << text;
    EXPECT_EQ(capture.Text(), message);
    EXPECT_FALSE(app->HasEntry("Key")) << text;
    EXPECT_EQ(app->LookupGetInt("Other", 0, 0), 2) << text;
  }

  // A NUL byte costs its line's entry only; an unreadable file costs everything, with a reason.
  const char withNul[] = "[application]\nKey = 1\0\nOther = 2\n[end]\n";
  WriteFile(std::string(withNul, sizeof withNul - 1));
  PrWin::CaptureSink nulCapture;
  EXPECT_FALSE(SeaFile::Load(path_));
  EXPECT_EQ(nulCapture.Text(), "Settings file '" + path_ +
                                   "', line 2: expected text, not a NUL byte; entry 'Key' takes "
                                   "its defaults\n");
  EXPECT_FALSE(app->HasEntry("Key"));
  EXPECT_EQ(app->LookupGetInt("Other", 0, 0), 2);
  std::remove(path_.c_str());
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  PrWin::CaptureSink fifoCapture;
  EXPECT_FALSE(SeaFile::Load(path_));
  EXPECT_EQ(fifoCapture.Text(), "Settings file '" + path_ +
                                    "' is not a regular file; all settings take their defaults\n");
  EXPECT_TRUE(app->Entries().empty());

  // A missing file is no error: everything at its default.
  std::remove(path_.c_str());
  PrWin::CaptureSink capture;
  EXPECT_TRUE(SeaFile::Load(path_));
  EXPECT_EQ(capture.Text(), "");

  // A failed save leaves the previous file as it was.
  WriteFile(good);
  EXPECT_FALSE(SeaFile::Save("/nonexistent-dir/settings.txt"));
  EXPECT_EQ(ReadFile(), good);
}
