#include "host/Sea.h"

#include <gtest/gtest.h>
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
  // Fields between stay empty and read as their defaults.
  EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 5, 7), 7);
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
  CResourceList list(app, "Terminal-Instruments");
  list.AddLineTail().SetInt(0, 2500);
  list.AddLineTail().SetInt(0, 2001);
  app->CreateEntry("Empty", 0);
  CSeaBase::PreferenceSea()->LookupSetBool("Lamp-BeimStartOffen", true, 0);
  CSeaBase::MessagesSea()->LookupSetBool("GlobalDebugVerbose", true, 0);
  ASSERT_TRUE(SeaFile::Save(path_));
  EXPECT_EQ(ReadFile().find("[messages]"), std::string::npos);

  // A person edits the file: changes a field, adds a list line and a comment.
  std::string text = ReadFile();
  const std::string old = "KelSequencer-Params = 1; \"\"; NEUTRAL";
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

  // Saving again gives the same text as the first save plus the edits.
  const std::string reloaded = SeaFile::Format();
  ASSERT_TRUE(SeaFile::Parse(reloaded, "again"));
  EXPECT_EQ(SeaFile::Format(), reloaded);
}

TEST_F(SeaTest, DamagedFilesGiveDefaultsAndOneMessage) {
  app->LookupSetInt("KelSequencer-Params", 30, 11);
  ASSERT_TRUE(SeaFile::Save(path_));
  const std::string good = ReadFile();

  // Cut short anywhere: refused with one message, every setting at its default.
  for (size_t cut = 1; cut < good.size() - 1; ++cut) {
    WriteFile(good.substr(0, cut));
    app->LookupSetInt("Stale", 1, 0);
    PrWin::CaptureSink capture;
    EXPECT_FALSE(SeaFile::Load(path_)) << cut;
    EXPECT_EQ(capture.Lines().size(), 1u) << cut;
    EXPECT_EQ(app->LookupGetInt("KelSequencer-Params", 11, 50), 50) << cut;
    EXPECT_FALSE(app->HasEntry("Stale"));
  }
  WriteFile(good.substr(0, good.find("[end]")));
  PrWin::CaptureSink cutCapture;
  EXPECT_FALSE(SeaFile::Load(path_));
  EXPECT_NE(cutCapture.Text().find("expected the closing line [end] (the file is cut short); all "
                                   "settings take their defaults"),
            std::string::npos)
      << cutCapture.Text();

  const std::pair<const char*, const char*> cases[] = {
      {"[application]\nKey = \"open\n[end]\n",
       "Settings file 'F', line 2: expected a closing '\"'; all settings take their defaults\n"},
      {"Key = 1\n[end]\n",
       "Settings file 'F', line 1: expected a [application] or [preferences] section before the "
       "first entry; all settings take their defaults\n"},
      {"[application]\nKey += 1\n[end]\n",
       "Settings file 'F', line 2: expected 'key =' before the first 'key +=' line; all settings "
       "take their defaults\n"},
      {"[other]\n[end]\n",
       "Settings file 'F', line 1: expected [application] or [preferences]; all settings take "
       "their defaults\n"},
  };
  for (const auto& [text, message] : cases) {
    PrWin::CaptureSink capture;
    EXPECT_FALSE(SeaFile::Parse(text, "F"));
    EXPECT_EQ(capture.Text(), message);
    EXPECT_TRUE(app->Entries().empty());
  }

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
