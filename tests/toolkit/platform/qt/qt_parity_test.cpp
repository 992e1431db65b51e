// What keeps the Qt backend's transcript equal to the headless one: the
// client stays the size asked for, Qt's own repaints and layout passes are
// not reported, status lines follow what the label shows, and texts with
// carriage returns read back byte for byte.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <algorithm>
#include <sstream>

#include "tests/toolkit/platform/qt/qt_test_support.h"
#include "toolkit/platform/qt/qt_messages.h"
#include "toolkit/platform/qt/qt_platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {
namespace {

using qt_test::FindWidget;
using qt_test::RecordingSink;

WindowSpec SmallWindow() {
  WindowSpec spec;
  spec.title = "Nodalux";
  spec.client = {512, 256};
  spec.fixed_border = true;
  spec.status_bar = true;
  MenuEntry file{"&File", 40001, true};
  file.items = {{"&Open", 40002}, {"E&xit", 40005}};
  spec.menu = {file};
  return spec;
}

ToolbarSpec TextToolbar() {
  ToolbarSpec bar;
  bar.id = 30101;
  bar.image = {16, 16};  // no bitmap: the buttons show their numbers
  bar.buttons = {{40002, 0, true, false, "Open"}, {0, -1}, {40005, 1, true, false, "Exit"}};
  return bar;
}

class QtParityTest : public ::testing::Test {
 protected:
  void start(WindowSpec spec = SmallWindow()) {
    std::string error;
    platform_ = CreateQtPlatform("", *transcript_, &error);
    ASSERT_TRUE(platform_) << error;
    ASSERT_TRUE(platform_->open_window(spec, sink_));
    window_ = FindWidget<QMainWindow>("root");
    ASSERT_TRUE(window_);
  }
  // Lets Qt finish whatever it queued (shows, layouts, paints).
  static void settle() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  std::vector<std::string> lines_starting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : transcript_->lines())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }
  bool reported(InputKind kind) const {
    return std::any_of(sink_.inputs.begin(), sink_.inputs.end(),
                       [kind](const Input& in) { return in.kind == kind; });
  }

  std::unique_ptr<Transcript> transcript_ = Transcript::InMemory();
  RecordingSink sink_;
  std::unique_ptr<Platform> platform_;
  QMainWindow* window_ = nullptr;
};

// The toolbar and status bar arrive after the window is on screen; the frame
// grows around them and the toolkit never hears of an in-between size.
TEST_F(QtParityTest, ClientKeepsItsSizeWhileTheChromeChanges) {
  start();
  platform_->set_toolbar(TextToolbar());
  platform_->set_status_parts({178, -1});
  platform_->set_status_text(1, " Number of POI in group: 0");
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(platform_->client_size().w, 512);
  EXPECT_EQ(platform_->client_size().h, 256);
  const QSize on_screen = FindWidget<QWidget>("client")->size();  // scaled with the font
  EXPECT_GE(on_screen.width(), 512);
  EXPECT_GE(on_screen.height(), 256);

  platform_->remove_toolbar(ToolbarSide::kTop);
  platform_->set_toolbar(TextToolbar());
  QApplication::processEvents();
  EXPECT_EQ(FindWidget<QWidget>("client")->size(), on_screen);
  EXPECT_FALSE(reported(InputKind::kResize)) << "no spurious resize may reach the toolkit";
  EXPECT_FALSE(reported(InputKind::kExpose)) << "Qt's own repaints are served from the image";
}

// Hiding and showing again, or a window on top going away, repaints from the
// backing image; the toolkit has nothing to redraw.
TEST_F(QtParityTest, OwnRepaintsAreNotExposures) {
  start();
  platform_->draw_text(5, 20, "Input from ... pubs.csv", {0, 0, 0}, {255, 255, 255});
  window_->hide();
  window_->show();
  QWidget cover;
  cover.resize(200, 200);
  cover.show();
  cover.close();
  settle();
  EXPECT_TRUE(sink_.inputs.empty()) << sink_.inputs.size() << " inputs reported";
}

struct StatusCase {
  const char* name;
  std::vector<const char*> texts;  // set on part 1 in turn
  std::vector<std::string> expected;
};

TEST_F(QtParityTest, StatusLineOnlyWhenTheShownTextChanges) {
  const std::vector<StatusCase> cases = {
      {"same text twice", {"A", "A"}, {"status 1 \"A\""}},
      {"trailing blanks do not count", {"A", "A   "}, {"status 1 \"A\""}},
      {"a new part starts empty", {"", "B"}, {"status 1 \"B\""}},
      {"emptied again", {"A", "", ""}, {"status 1 \"A\"", "status 1 \"\""}},
      {"back and forth", {"A", "B", "A"}, {"status 1 \"A\"", "status 1 \"B\"", "status 1 \"A\""}},
      {"a new division keeps the texts", {"A", "parts", "A"}, {"status 1 \"A\""}},
      {"bytes that are not UTF-8", {"Caf\xe9", "Caf\xe9"}, {"status 1 \"Caf\\xE9\""}},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    transcript_ = Transcript::InMemory();
    start();
    platform_->set_status_parts({178, -1});
    for (const char* text : c.texts) {
      if (std::string_view(text) == "parts") platform_->set_status_parts({200, -1});
      else platform_->set_status_text(1, text);
    }
    EXPECT_EQ(lines_starting("status "), c.expected);
    platform_.reset();
  }
}

// A static text's carriage returns are line breaks on screen, and the field
// still reads back as the bytes that were set.
class EndsOnOk : public DialogEvents {
 public:
  DialogView* view = nullptr;
  QString shown;
  void opened(DialogView& v) override { view = &v; }
  bool key_typed(int, char32_t, bool, bool) override { return true; }
  void text_changed(int) override {}
  void focus_changing(int, int, FocusCause) override {}
  void button_pressed(int id) override {
    if (QWidget* modal = QApplication::activeModalWidget())
      for (QLabel* label : modal->findChildren<QLabel*>()) shown += label->text();
    view->end(id, 0);
  }
  void enter_pressed(int, bool, bool) override { button_pressed(1); }
  void cancel() override { view->end(2, 0); }
  void selection_changed(int) override {}
  void help_requested() override {}
  bool tab_switching(int, int, int) override { return true; }
};

TEST_F(QtParityTest, StaticTextBreaksAtCarriageReturnsAndReadsBackAsSet) {
  transcript_ = Transcript::InMemory();
  std::string error;
  platform_ = CreateQtPlatform("dialog 101\npress 1\n", *transcript_, &error);
  ASSERT_TRUE(platform_) << error;
  DialogSpec spec;
  spec.id = 101;
  spec.caption = "About";
  spec.font_face = "MS Sans Serif";
  spec.cx = 120;
  spec.cy = 87;
  ControlSpec text;
  text.id = 1001;
  text.kind = ControlKind::kStatic;
  text.text = "\rNodalux v1.00\r-\r(c) 2005";
  text.x = 8, text.y = 8, text.cx = 104, text.cy = 50;
  ControlSpec ok;
  ok.id = 1;
  ok.kind = ControlKind::kDefPushButton;
  ok.text = "OK";
  ok.x = 40, ok.y = 67, ok.cx = 40, ok.cy = 14;
  ok.tab_stop = true;
  spec.controls = {text, ok};
  EndsOnOk events;
  platform_->run_modal_dialog(spec, events);
  EXPECT_EQ(events.shown, QStringLiteral("\nNodalux v1.00\n-\n(c) 2005"));
  const auto fields = lines_starting("field 1001 ");
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ(fields.front(), "field 1001 \"\\rNodalux v1.00\\r-\\r(c) 2005\"");
}

TEST(QtMessageFilterTest, DropsOnlyKnownNoise) {
  struct Case {
    const char* message;
    bool harmless;
  };
  const Case cases[] = {
      {"This plugin does not support propagateSizeHints()", true},
      {"QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'", true},
      {"This plugin does not support propagateSizeHints() and more", false},
      {"QWidget::setLayout: Attempting to set QLayout \"\" on QDialog \"\"", false},
      {"QPainter::begin: Paint device returned engine == 0, type: 3", false},
      {"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(qt::IsHarmlessQtMessage(QString::fromUtf8(c.message)), c.harmless) << c.message;

  qt::InstallQtMessageFilter();
  qt::InstallQtMessageFilter();  // twice must not make it its own predecessor
  ::testing::internal::CaptureStderr();
  qWarning("This plugin does not support propagateSizeHints()");
  qWarning("QPainter::begin: a real warning");
  const std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(written.find("propagateSizeHints"), std::string::npos) << written;
  EXPECT_NE(written.find("a real warning"), std::string::npos) << written;
}

}  // namespace
}  // namespace zarv::platform
