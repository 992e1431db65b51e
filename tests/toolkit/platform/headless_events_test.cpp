#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "toolkit/platform/headless/headless_platform.h"

namespace zarv::platform {
namespace {

struct RecordingSink : InputSink {
  void input(const Input& in) override { inputs.push_back(in); }
  std::vector<Input> inputs;
};

class Headless : public ::testing::Test {
 protected:
  void start(std::string_view script, HeadlessFaults faults = {}) {
    platform = CreateHeadlessPlatform(script, *transcript, faults);
    WindowSpec spec;
    spec.title = "Nodalux";
    spec.client = {640, 400};
    MenuEntry file{"&File", 40001, true};
    file.items = {{"&Open", 40002}, {"One", 1}, {"Greyed", 3, false, false, true}};
    spec.menu = {file};
    opened = platform->open_window(spec, sink);
  }
  const std::vector<std::string>& lines() { return transcript->lines(); }

  std::unique_ptr<Transcript> transcript = Transcript::InMemory();
  std::unique_ptr<Platform> platform;
  RecordingSink sink;
  bool opened = false;
};

TEST_F(Headless, FixedMetricsAndWindowLines) {
  start("");
  ASSERT_TRUE(opened);
  EXPECT_EQ(platform->name(), "headless");
  EXPECT_EQ(platform->screen_size().w, 1024);
  EXPECT_EQ(platform->screen_size().h, 768);
  EXPECT_EQ(platform->client_size().w, 640);
  EXPECT_EQ(platform->text_width("abcd"), 32);
  EXPECT_EQ(platform->draw_text(4, 16, "hi \"x\"", {}, {}), 48);
  EXPECT_EQ(platform->dialog_base_units("Arial", 12).width, 6);
  EXPECT_EQ(platform->dialog_base_units("", 8).height, 13);
  ToolbarSpec bar;
  bar.id = 30101;
  bar.buttons = {{40002, 0}, {0, -1}, {40004, 1}};
  platform->set_toolbar(bar);
  platform->set_status_parts({200, -1});
  platform->fill_rect(0, 0, 640, 400, {});
  platform->pump_paints(100);
  EXPECT_EQ(lines(), (std::vector<std::string>{R"(window "Nodalux" 640x400)",
                                               R"(text 4 16 "hi \"x\"")",
                                               "toolbar 30101 40002 - 40004", "statusparts 200 -1",
                                               "clear 0 0 640 400"}));
}

TEST_F(Headless, StatusLineOnlyWhenTheShownTextChanges) {
  start("");
  platform->set_status_text(1, "");         // still empty: nothing to show
  platform->set_status_text(1, "Group 0");
  platform->set_status_text(1, "Group 0   ");  // same text shown
  platform->set_status_text(2, "circle");
  platform->set_status_text(1, "Group 1");
  platform->set_status_text(1, "  ");
  EXPECT_EQ(lines(), (std::vector<std::string>{R"(window "Nodalux" 640x400)",
                                               R"(status 1 "Group 0")", R"(status 2 "circle")",
                                               R"(status 1 "Group 1")", R"(status 1 "")"}));
}

TEST_F(Headless, EventsReachTheSinkAsRawInput) {
  start("menu 40002\nexpose\nexpose 1 2 3 4\nresize 300 200\nminimize\nrestore\nclose\n");
  for (int i = 0; i < 8; ++i) platform->wait_input();
  const auto& in = sink.inputs;
  ASSERT_EQ(in.size(), 8u);
  EXPECT_EQ(in[0].kind, InputKind::kMenuPick);
  EXPECT_EQ(in[0].a, 40002);
  EXPECT_EQ(in[1].kind, InputKind::kExpose);
  EXPECT_EQ((std::vector<int>{in[1].a, in[1].b, in[1].c, in[1].d}),
            (std::vector<int>{0, 0, 640, 400}));
  EXPECT_EQ((std::vector<int>{in[2].a, in[2].b, in[2].c, in[2].d}), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(in[3].kind, InputKind::kResize);
  EXPECT_EQ(platform->client_size().w, 300);
  EXPECT_EQ(in[4].kind, InputKind::kMinimise);
  EXPECT_EQ(in[5].kind, InputKind::kRestore);  // what it means, the toolkit decides
  EXPECT_EQ(in[6].kind, InputKind::kCloseAsked);  // `close`
  EXPECT_EQ(in[7].kind, InputKind::kCloseAsked);  // used up
}

// Only what the menu or a toolbar offers can be picked: pop-up headers,
// greyed items and unknown identifiers are noted and give no input.
TEST_F(Headless, MenuPicksOnlyWhatIsOffered) {
  start("menu 40001\nmenu 3\nmenu 99\nmenu 40004\nmenu 1\n");
  ToolbarSpec bar;
  bar.buttons = {{40004, 0}, {40005, 1, false}};
  platform->set_toolbar(bar);
  for (int i = 0; i < 5; ++i) platform->wait_input();
  ASSERT_EQ(sink.inputs.size(), 2u);
  EXPECT_EQ(sink.inputs[0].a, 40004);
  EXPECT_EQ(sink.inputs[1].a, 1);
  EXPECT_EQ(lines()[2], R"(note "no enabled menu item or button 40001; nothing picked")");
  EXPECT_EQ(lines()[3], R"(note "no enabled menu item or button 3; nothing picked")");
  EXPECT_EQ(lines()[4], R"(note "no enabled menu item or button 99; nothing picked")");
}

TEST_F(Headless, MessageBoxTakesItsAnswerOrShowsItsDefault) {
  // Buttons type, default position, script answer -> default result, result.
  const struct {
    int buttons, default_position;
    const char* script;
    int default_result, result;
    bool noted;
  } rows[] = {
      {0, 0, "box 1", 1, 1, false},
      {9, 0, "", 1, 1, true},          // unknown type: an OK box
      {3, 1, "box 2", 2, 2, false},     // Yes/No, No the default
      {3, 1, "box 1", 2, 1, false},
      {5, 1, "box 0", 1, 0, false},     // Abort/Retry/Ignore, Retry the default
      {4, 2, "", 0, 0, true},
      {1, 0, "box 2", 1, 1, true},      // OK/Cancel has no result 2
      {1, 7, "menu 3", 0, 0, true},     // an event is no answer; default clamped
  };
  for (const auto& r : rows) {
    transcript = Transcript::InMemory();
    platform = CreateHeadlessPlatform(r.script, *transcript);
    MessageBoxSpec spec{r.buttons, 2, r.default_position, "T", "a\rb"};
    EXPECT_EQ(platform->message_box(spec), r.result) << r.buttons << ' ' << r.script;
    const std::string expected = "box " + std::to_string(r.buttons > 5 ? 0 : r.buttons) + " 2 " +
                                 std::to_string(r.default_result) + R"( "T" "a\rb" -> )" +
                                 std::to_string(r.result);
    ASSERT_FALSE(lines().empty());
    EXPECT_EQ(lines().back(), expected);
    EXPECT_EQ(lines().size(), r.noted ? 2u : 1u) << r.script;
  }
}

TEST_F(Headless, MessageBoxNoteNamesTheAnswerLine) {
  start("# comment\nbogus\nbox 2\n");
  EXPECT_EQ(platform->message_box({1, 0, 0, "T", ""}), 1);
  EXPECT_EQ(lines().at(1), R"(note "script line 2: unknown verb \"bogus\"; skipped")");
  EXPECT_EQ(lines().at(2),
            R"(note "script line 3: box 2: this box has no button for it; default button used")");
}

TEST_F(Headless, InjectedFaults) {
  start("box 1\n", {.message_box_fails = true});
  EXPECT_EQ(platform->message_box({0, 0, 0, "T", "x"}), -1);
  EXPECT_EQ(lines().back(), R"(box 0 0 1 "T" "x" -> -1)");
  start("", {.open_window_fails = true});
  EXPECT_FALSE(opened);
}

TEST_F(Headless, FileDialogAnswers) {
  FileDialogSpec spec;
  spec.title = "Open";
  spec.filter_text = "A|*.ov2|B|*.csv|";
  spec.filters = {{"A", "*.ov2"}, {"B", "*.csv"}};
  spec.initial = "poi.csv";
  spec.flags = 128;
  spec.filter_index = 1;
  start("file /data/p.csv 2\nfile rel/p.ov2\nfile /x 3\nfile cancel\nmenu 1\n");
  FileDialogAnswer a = platform->file_dialog(spec);
  EXPECT_TRUE(a.chosen);
  EXPECT_EQ(a.path, "/data/p.csv");
  EXPECT_EQ(a.filter_index, 2);
  a = platform->file_dialog(spec);
  EXPECT_EQ(a.path, (std::filesystem::current_path() / "rel/p.ov2").string());
  EXPECT_EQ(a.filter_index, 1);
  a = platform->file_dialog(spec);  // filter 3 does not exist
  EXPECT_TRUE(a.chosen);
  EXPECT_EQ(a.filter_index, 1);
  EXPECT_NE(lines().end()[-2].find("line 3: filter 3 does not exist"), std::string::npos);
  EXPECT_FALSE(platform->file_dialog(spec).chosen);
  EXPECT_EQ(lines().back(), R"(file open "Open" "A|*.ov2|B|*.csv|" 128 "poi.csv" -> cancel)");
  EXPECT_FALSE(platform->file_dialog(spec).chosen);  // `menu 1` stays for the next wait
  platform->wait_input();
  EXPECT_EQ(sink.inputs.at(0).a, 1);
  EXPECT_EQ(lines()[1], R"(file open "Open" "A|*.ov2|B|*.csv|" 128 "poi.csv" -> "/data/p.csv" 2)");
}

TEST_F(Headless, OtherLines) {
  start("");
  platform->beep();
  platform->help_show("/p/Nodalux.hlp");
  platform->help_close();
  platform->command_ran("\"/p/MakeOV2_v1-1.exe\" /tmp/a", 1, 0);
  platform->note("hello");
  platform->process_exit(0);
  EXPECT_EQ(lines(), (std::vector<std::string>{R"(window "Nodalux" 640x400)", "beep",
                                               R"(help "/p/Nodalux.hlp")", "help close",
                                               R"(run "\"/p/MakeOV2_v1-1.exe\" /tmp/a" 1 -> 0)",
                                               R"(note "hello")", "exit 0"}));
}

TEST_F(Headless, EventsBeforeTheWindowOpensAreNoted) {
  platform = CreateHeadlessPlatform("\nmenu 1\n", *transcript);
  platform->wait_input();
  EXPECT_EQ(lines(), std::vector<std::string>{
                         R"(note "no window is open: script line 2 has nothing to act on")"});
}

TEST(HeadlessEnvironment, ScriptAndTranscriptFiles) {
  const std::string script = ::testing::TempDir() + "headless_env_script.txt";
  const std::string out = ::testing::TempDir() + "headless_env_transcript.txt";
  std::ofstream(script) << "menu 7\nbox 2\n";
  ::setenv("ZARVSCRIPT", script.c_str(), 1);
  ::setenv("ZARVTRANSCRIPT", out.c_str(), 1);
  {
    auto platform = CreateHeadlessPlatform();
    ::unsetenv("ZARVSCRIPT");
    ::unsetenv("ZARVTRANSCRIPT");
    RecordingSink sink;
    platform->open_window({.title = "T", .client = {8, 8}, .menu = {{"Seven", 7}}}, sink);
    platform->wait_input();
    EXPECT_EQ(sink.inputs.at(0).a, 7);
    EXPECT_EQ(platform->message_box({3, 0, 0, "Q", ""}), 2);
    platform->process_exit(0);
  }
  std::ifstream in(out);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "window \"T\" 8x8\nbox 3 0 1 \"Q\" \"\" -> 2\nexit 0\n");
  std::remove(script.c_str());
  std::remove(out.c_str());
}

TEST(HeadlessStop, AProgramThatNeverEndsIsStopped) {
  EXPECT_EXIT(
      {
        auto transcript = Transcript::InMemory();
        auto platform = CreateHeadlessPlatform("", *transcript);
        while (true) platform->wait_input();
      },
      ::testing::ExitedWithCode(70), "");
}

}  // namespace
}  // namespace zarv::platform
