// The root window on the offscreen platform: what it is built from, what it
// draws, and the raw input it reports for scripted events.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMenu>
#include <QToolBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/toolkit/platform/qt/qt_test_support.h"
#include "toolkit/platform/qt/qt_main_window.h"
#include "toolkit/platform/qt/qt_text.h"
#include "toolkit/platform/qt/qt_visible.h"
#include "toolkit/platform/qt/qt_platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {
namespace {

using qt_test::FindWidget;
using qt_test::RecordingSink;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

WindowSpec AppWindow() {
  WindowSpec spec;
  spec.title = "Nodalux";
  spec.client = {512, 256};
  spec.fixed_border = true;
  spec.status_bar = true;
  MenuEntry file{"&File", 40001, true};
  file.items = {{"&Open", 40002}, {"&Append", 40102}, {"", 0, false, true}, {"E&xit", 40005}};
  MenuEntry options{"&Options", 40008, true};
  options.items = {{"&Define POI group", 40009, false, false, false, true}};
  spec.menu = {file, options};
  return spec;
}

ToolbarSpec AppToolbar() {
  ToolbarSpec bar;
  bar.id = 30101;
  bar.image = {16, 16};
  const char* data = std::getenv("NODALUX_TEST_DATA");
  bar.bitmap = ReadFile(std::string(data ? data : ".") + "/toolbar_30101.bmp");
  bar.buttons = {{40002, 0, true, false, "Open"}, {40102, 1, true, false, "Append"},
                 {40003, 2, true, false, "Save"}, {0, -1},
                 {40009, 3, false, false, "Define circular area for group"}, {0, -1},
                 {40005, 4, true, false, "Exit"}};
  return bar;
}

class QtWindowTest : public ::testing::Test {
 protected:
  void start(std::string_view script) {
    std::string error;
    platform_ = CreateQtPlatform(script, *transcript_, &error);
    ASSERT_TRUE(platform_) << error;
    ASSERT_TRUE(platform_->open_window(AppWindow(), sink_));
    window_ = FindWidget<QMainWindow>("root");
    ASSERT_TRUE(window_);
  }
  bool has_line(const std::string& line) const {
    const auto& lines = transcript_->lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  // The window's scale from layout to screen pixels.
  const qt::LayoutScale& scale() const { return static_cast<qt::MainWindow*>(window_)->scale(); }
  std::string all_lines() const {
    std::ostringstream out;
    for (const auto& l : transcript_->lines()) out << l << '\n';
    return out.str();
  }

  std::unique_ptr<Transcript> transcript_ = Transcript::InMemory();
  RecordingSink sink_;
  std::unique_ptr<Platform> platform_;
  QMainWindow* window_ = nullptr;
};

TEST_F(QtWindowTest, BuildsMenuToolbarAndStatusPartsFromTheSpec) {
  start("");
  EXPECT_EQ(platform_->client_size().w, 512);
  EXPECT_EQ(platform_->client_size().h, 256);
  EXPECT_TRUE(has_line("window \"Nodalux\" 512x256")) << all_lines();

  const auto bar_menus = window_->menuBar()->actions();
  ASSERT_EQ(bar_menus.size(), 2);
  EXPECT_EQ(bar_menus[0]->text(), "&File");
  const auto file_items = bar_menus[0]->menu()->actions();
  ASSERT_EQ(file_items.size(), 4);
  EXPECT_EQ(file_items[0]->data().toInt(), 40002);
  EXPECT_TRUE(file_items[2]->isSeparator());
  EXPECT_TRUE(bar_menus[1]->menu()->actions()[0]->isChecked());

  platform_->set_toolbar(AppToolbar());
  EXPECT_EQ(platform_->client_size().h, 256) << "the frame grows, the client keeps its size";
  QToolBar* bar = window_->findChild<QToolBar*>("30101");
  ASSERT_TRUE(bar);
  const auto buttons = bar->actions();
  ASSERT_EQ(buttons.size(), 7);
  EXPECT_EQ(buttons[0]->toolTip(), "Open");
  EXPECT_FALSE(buttons[0]->icon().isNull()) << "image cut from the strip";
  EXPECT_TRUE(buttons[3]->isSeparator());
  EXPECT_FALSE(buttons[4]->isEnabled());
  EXPECT_EQ(buttons[4]->toolTip(), "Define circular area for group");
  EXPECT_TRUE(has_line("toolbar 30101 40002 40102 40003 - 40009 - 40005")) << all_lines();

  platform_->set_status_parts({178, -1, 400});
  platform_->set_status_text(1, " Number of POI in group: 0   ");
  platform_->set_status_text(2, "N 51.5");
  platform_->set_status_text(3, "no such part");
  QList<QLabel*> parts;
  for (QLabel* label : window_->findChildren<QLabel*>())
    if (label->isVisibleTo(window_) && label->frameShape() == QFrame::Panel) parts << label;
  ASSERT_EQ(parts.size(), 2) << "a part running to the right edge ends the division";
  EXPECT_EQ(parts[0]->geometry().right() + 1, scale().to_screen_x(178)) << "scaled on screen";
  EXPECT_EQ(parts[0]->text(), " Number of POI in group: 0");
  EXPECT_TRUE(has_line("statusparts 178 -1")) << all_lines();
  EXPECT_TRUE(has_line("status 1 \" Number of POI in group: 0\"")) << all_lines();
  EXPECT_TRUE(has_line("status 2 \"N 51.5\""));
  EXPECT_FALSE(has_line("status 3 \"no such part\""));
}

TEST_F(QtWindowTest, DrawsIntoTheClientWithoutReportingItsOwnPaints) {
  start("");
  const Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0};
  platform_->fill_rect(10, 10, 20, 20, red);
  const int advance = platform_->draw_text(30, 40, "Input from  ", black, white);
  EXPECT_EQ(advance, platform_->text_width("Input from  "));
  EXPECT_GT(advance, platform_->text_width("Input from")) << "trailing blanks are drawn too";
  platform_->fill_rect(-5, -5, 0, 0, red);             // wholly outside: nothing, no crash
  platform_->fill_rect(500, 250, 100000, 100000, red);  // clipped
  QCoreApplication::sendPostedEvents();
  QApplication::processEvents();  // every pending paint happens now
  EXPECT_TRUE(sink_.inputs.empty()) << "own drawing must not come back as an exposure";

  const QImage shot = FindWidget<QWidget>("client")->grab().toImage();
  const qt::LayoutScale& s = scale();
  EXPECT_EQ(shot.size(), QSize(s.to_screen_x(512), s.to_screen_y(256)));
  EXPECT_EQ(QColor(shot.pixel(s.to_screen_x(15), s.to_screen_y(15))), QColor(255, 0, 0));
  EXPECT_EQ(QColor(shot.pixel(s.to_screen_x(20), s.to_screen_y(20))), QColor(Qt::white))
      << "right and bottom edges are exclusive";
  EXPECT_EQ(QColor(shot.pixel(shot.width() - 1, shot.height() - 1)), QColor(255, 0, 0));
  EXPECT_TRUE(has_line("text 30 40 \"Input from  \""));
  EXPECT_TRUE(has_line("clear 10 10 20 20"));
}

TEST_F(QtWindowTest, ScriptedEventsArriveThroughTheWidgets) {
  start("menu 40002\nmenu 40005\nclose\nexpose 1 2 30 40\nexpose\nresize 300 200\nminimize\nrestore\n");
  auto next = [&] {
    sink_.inputs.clear();
    platform_->wait_input();
    EXPECT_FALSE(sink_.inputs.empty());
    return sink_.inputs.empty() ? Input{} : sink_.inputs.front();
  };
  Input in = next();
  EXPECT_EQ(in.kind, InputKind::kMenuPick);
  EXPECT_EQ(in.a, 40002);
  EXPECT_EQ(next().a, 40005);
  EXPECT_EQ(next().kind, InputKind::kCloseAsked);
  EXPECT_TRUE(window_->isVisible()) << "the close box leaves the window to the program";
  in = next();
  EXPECT_EQ(in.kind, InputKind::kExpose);
  EXPECT_EQ(std::vector<int>({in.a, in.b, in.c, in.d}), std::vector<int>({1, 2, 30, 40}));
  in = next();
  EXPECT_EQ(std::vector<int>({in.a, in.b, in.c, in.d}), std::vector<int>({0, 0, 512, 256}));
  in = next();
  EXPECT_EQ(in.kind, InputKind::kResize);
  EXPECT_EQ(in.a, 300);
  EXPECT_EQ(in.b, 200);
  EXPECT_EQ(platform_->client_size().w, 300);
  EXPECT_EQ(next().kind, InputKind::kMinimise);
  in = next();
  EXPECT_EQ(in.kind, InputKind::kRestore);  // what it means, the toolkit decides
  EXPECT_EQ(sink_.inputs.size(), 1u);
  EXPECT_EQ(next().kind, InputKind::kCloseAsked) << "a used-up script closes";
  EXPECT_EQ(all_lines().find("delivered directly"), std::string::npos)
      << "every event came through the window:\n" << all_lines();
}

// Each byte that starts no UTF-8 character shows as one replacement
// character; the rest of the text shows as it is, never re-decoded.
TEST(QtText, BadBytesShowAsOneReplacementCharacterEach) {
  const QChar bad(0xFFFD);
  struct Row {
    std::string bytes;
    QString shown;
  };
  const Row rows[] = {
      {"M\xC3\xBCller", QStringLiteral("M\u00FCller")},
      {"M\xFCller", QStringLiteral("M") + bad + QStringLiteral("ller")},
      {"\xC3\xA9\xC3", QStringLiteral("\u00E9") + bad},         // cut in two
      {"\xE2\x82x", QString(bad) + bad + QStringLiteral("x")},      // a sequence broken off
      {"\xF0\x9F\x98\x80!", QString::fromUcs4(U"\U0001F600!")},
      {"\xED\xA0\x80", QString(bad) + bad + bad},                   // a surrogate is no character
  };
  for (const Row& r : rows) EXPECT_EQ(qt::ToQt(r.bytes), r.shown) << r.bytes;
  EXPECT_EQ(qt::FromQt(qt::ToQt("M\xFCller"), "M\xFCller"), "M\xFCller") << "read back as set";
}

// The visible-text check names a text that does not fit its widget, and
// only that one.
TEST(QtVisibleText, NamesTextsCutOff) {
  const auto transcript = Transcript::InMemory();
  std::string error;
  const auto platform = CreateQtPlatform("", *transcript, &error);  // widgets need Qt running
  ASSERT_TRUE(platform) << error;
  const std::string report = ::testing::TempDir() + "visible-report";
  std::remove(report.c_str());
  ::setenv("ZARVVISIBLE", report.c_str(), 1);
  QWidget window;
  QLabel label(QStringLiteral(" Number of POI in group: 30000"), &window);
  label.setIndent(2);
  QLineEdit edit(QStringLiteral("51.47604"), &window);
  label.setGeometry(0, 0, 1000, 30);
  edit.setGeometry(0, 40, 300, 30);
  qt::CheckWidgetText(label, "wide label");
  qt::CheckWidgetText(edit, "wide edit");
  qt::CheckDrawnText(QStringLiteral("x"), 5, 100, 200, "short line");
  EXPECT_EQ(ReadFile(report), "") << "everything fits";
  label.setGeometry(0, 0, 60, 30);
  edit.setGeometry(0, 40, 30, 30);
  qt::CheckWidgetText(label, "narrow label");
  qt::CheckWidgetText(edit, "narrow edit");
  qt::CheckDrawnText(QStringLiteral("long"), 150, 100, 200, "long line");
  ::unsetenv("ZARVVISIBLE");
  const std::string cut = ReadFile(report);
  std::remove(report.c_str());
  EXPECT_NE(cut.find("narrow label \" Number of POI in group: 30000\": needs "), std::string::npos) << cut;
  EXPECT_NE(cut.find("narrow edit \"51.47604\""), std::string::npos) << cut;
  EXPECT_NE(cut.find("long line \"long\""), std::string::npos) << cut;
  EXPECT_EQ(std::count(cut.begin(), cut.end(), '\n'), 3) << cut;
}

// Layout pixels go to the screen and back unchanged, at any font size.
TEST(QtLayoutScale, RoundTripsAndNeverShrinks) {
  const auto transcript = Transcript::InMemory();
  std::string error;
  const auto platform = CreateQtPlatform("", *transcript, &error);  // fonts need Qt running
  ASSERT_TRUE(platform) << error;
  for (int points : {6, 9, 13, 20}) {
    QFont font(QStringLiteral("Sans Serif"), points);
    const qt::LayoutScale scale(font);
    for (int v : {-7, 0, 1, 5, 178, 255, 256, 512, 1023, 100000}) {
      EXPECT_EQ(scale.to_layout_x(scale.to_screen_x(v)), v) << points << ' ' << v;
      EXPECT_EQ(scale.to_layout_y(scale.to_screen_y(v)), v) << points << ' ' << v;
      if (v > 0) {
        EXPECT_GE(scale.to_screen_x(v), v);
        EXPECT_GE(scale.to_screen_y(v), v);
      }
    }
  }
}

// Without any display the backend says so in one line and starts nothing.
TEST(QtNoDisplayTest, FailsWithOneClearLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("QT_QPA_PLATFORM");
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        std::string error;
        auto platform = CreateQtPlatform(&error);
        std::fprintf(stderr, "[%s]\n", error.c_str());
        std::exit(platform ? 1 : 3);
      },
      ::testing::ExitedWithCode(3),
      "^\\[[^\n]*ZARVPLATFORM=headless[^\n]*QT_QPA_PLATFORM=offscreen[^\n]*\\]\n$");
}

}  // namespace
}  // namespace zarv::platform
