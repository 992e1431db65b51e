// The Qt 6 Widgets backend: the real desktop program.
//
// Implements: the root window (menu bar, toolbars, status bar, client area
// drawn from a backing image), raw input to the toolkit's sink, the message
// box, file selection, template dialogs, the help viewer, beeps, and the
// script/transcript that the headless backend shares. Under a script every
// event is acted out on the real widgets and the transcript is read back
// from them.
#include "toolkit/platform/qt/qt_platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPainter>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef ZARV_WITH_XCB
#include <xcb/xcb.h>
#endif

#include "toolkit/platform/qt/qt_input.h"
#include "toolkit/platform/qt/qt_main_window.h"
#include "toolkit/platform/qt/qt_visible.h"
#include "toolkit/platform/qt/qt_window_script.h"
#include "toolkit/platform/qt/qt_messages.h"
#include "toolkit/platform/qt/qt_modal_dialog.h"
#include "toolkit/platform/qt/qt_modeless_events.h"
#include "toolkit/platform/qt/qt_text.h"
#include "toolkit/platform/script.h"

namespace zarv::platform {
namespace {

using qt::ToQt;
using qt::FromQt;

const char kNoDisplay[] =
    "no display for the Qt desktop (DISPLAY and WAYLAND_DISPLAY are unset); "
    "run with ZARVPLATFORM=headless, or QT_QPA_PLATFORM=offscreen";
const char kPluginFailed[] =
    "the Qt platform plugin could not open a display; "
    "run with ZARVPLATFORM=headless, or QT_QPA_PLATFORM=offscreen";

int g_argc = 1;
char g_arg0[] = "nodalux";
char* g_argv[] = {g_arg0, nullptr};

bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Qt ends the process when its platform plugin cannot start, so try that in a
// child first; the parent then fails with a clear line instead.
bool PluginStarts() {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return true;  // cannot probe; let Qt try
  if (child == 0) {
    const int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) {
      dup2(null_fd, STDOUT_FILENO);
      dup2(null_fd, STDERR_FILENO);
    }
    alarm(20);
    QApplication probe(g_argc, g_argv);
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return true;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Whether Qt will connect to an X server: the one it would connect to
// accepts us. Asking takes a millisecond; starting Qt in a child to find out
// takes as long as Qt's own start.
bool X11Answers() {
#ifdef ZARV_WITH_XCB
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool ok = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return ok;
#else
  return PluginStarts();
#endif
}

bool DisplayUsable(std::string* error) {
  if (QApplication::instance()) return true;
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  const std::string platform = qpa ? qpa : "";
  if (platform.empty() && !EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY")) {
    if (error) *error = kNoDisplay;
    return false;
  }
  const bool always_starts = platform.rfind("offscreen", 0) == 0 || platform.rfind("minimal", 0) == 0;
  // Without a platform named, Qt takes X11 unless the session is Wayland's.
  const char* session = std::getenv("XDG_SESSION_TYPE");
  const bool wayland_session = EnvSet("WAYLAND_DISPLAY") && session && std::string(session) == "wayland";
  const bool x11 = platform == "xcb" || (platform.empty() && EnvSet("DISPLAY") && !wayland_session);
  if (!always_starts && !(x11 ? X11Answers() : PluginStarts())) {
    if (error) *error = kPluginFailed;
    return false;
  }
  return true;
}

// Throws keyboard and mouse input away while a started program runs.
class InputEater : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel: return true;
      default: return false;
    }
  }
};

QColor ColourOf(Rgb c) { return QColor(c.r, c.g, c.b); }

// For the start-up benchmark (tests/perf): once the window has painted its
// first frame, the monotonic clock (ns) goes to $ZARVFIRSTFRAME.
void NoteFirstFrame() {
  const char* path = std::getenv("ZARVFIRSTFRAME");
  if (!path || !*path) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  if (std::FILE* f = std::fopen(path, "w")) {
    std::fprintf(f, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fclose(f);
  }
}

class QtPlatform final : public Platform {
 public:
  QtPlatform(std::unique_ptr<QApplication> app, std::unique_ptr<Transcript> owned_transcript,
             Transcript& transcript, std::unique_ptr<ScriptDriver> script)
      : app_(std::move(app)),
        owned_transcript_(std::move(owned_transcript)),
        transcript_(transcript),
        script_(std::move(script)),
        modal_{transcript_, script_.get(), nullptr, ToQt(std::getenv("ZARVSCREENSHOTS") ? std::getenv("ZARVSCREENSHOTS") : "")} {}

  ~QtPlatform() override { tear_down(); }

  std::string_view name() const override { return "qt"; }

  Size screen_size() override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {640, 480};
    return {screen->size().width(), screen->size().height()};
  }

  bool open_window(const WindowSpec& spec, InputSink& sink) override {
    close_window();
    sink_ = &sink;
    window_ = std::make_unique<qt::MainWindow>(spec, [this](const Input& in) { deliver(in); });
    window_->setObjectName(QStringLiteral("root"));
    window_->client().setObjectName(QStringLiteral("client"));
    modal_.owner = window_.get();
    place_x_ = spec.x;
    place_y_ = spec.y;
    place_window();
    // The window goes on screen complete, toolbar and status texts in
    // place, once the program first waits or asks the user something; until
    // then its layout is set without round trips to the window system. A
    // maximised window shows at once, at the size it opens with.
    show_pending_ = !spec.hidden && !spec.maximised;
    if (show_pending_) {
      // Laid out as on screen, without being put there yet.
      window_->setAttribute(Qt::WA_DontShowOnScreen);
      window_->show();
    } else if (spec.maximised && !spec.hidden) {
      window_->showMaximized();
      settle_after_show();
    }
    window_->client().set_known_size(window_->client().size());
    window_->client().set_reporting(true);
    transcript_.window(FromQt(window_->windowTitle(), spec.title), client_size());
    return true;
  }

  void close_window() override {
    modeless_.clear();  // they are the window's children
    if (!window_) return;
    window_->allow_close();
    window_->close();
    modal_.owner = nullptr;
    window_.reset();
    sink_ = nullptr;
  }

  void set_toolbar(const ToolbarSpec& spec) override {
    if (!window_) return;
    window_->set_toolbar(spec);
    std::vector<ToolbarButton> shown;
    if (QToolBar* bar = window_->toolbar(spec.side)) {
      int image = 0;
      for (QAction* action : bar->actions()) {
        ToolbarButton button;
        if (!action->isSeparator()) {
          button.id = action->data().toInt();
          button.image = image++;
          button.enabled = action->isEnabled();
          button.checked = action->isChecked();
          button.tooltip = FromQt(action->toolTip());
        }
        shown.push_back(button);
      }
    }
    transcript_.toolbar(spec.id, shown);
  }

  void remove_toolbar(ToolbarSide side) override {
    if (window_) window_->remove_toolbar(side);
  }

  void set_status_parts(const std::vector<int>& right_edges) override {
    if (!window_ || !window_->status() || right_edges.empty()) return;
    window_->status()->set_parts(right_edges);
    const std::vector<int> placed(right_edges.begin(),
                                  right_edges.begin() + window_->status()->count());
    transcript_.statusparts(placed);
  }

  void set_status_text(int part, std::string_view text) override {
    if (!window_ || !window_->status()) return;
    QLabel* label = window_->status()->part(part);
    if (!label) return;
    std::string trimmed(text);
    trimmed.erase(trimmed.find_last_not_of(' ') + 1);
    // A line only when what the label shows really changes.
    const std::string before = FromQt(label->text(), window_->status()->set_text(part));
    window_->status()->remember_text(part, trimmed);
    label->setText(ToQt(trimmed));
    label->repaint();
    const std::string after = FromQt(label->text(), trimmed);
    if (after != before) transcript_.status(part, after);
    qt::CheckWidgetText(*label, "status part " + std::to_string(part));
  }

  // Sizes and positions are the layout's; the window scales them on screen.
  Size client_size() override {
    if (!window_) return {};
    const QSize size = window_->layout_client_size();
    return {size.width(), size.height()};
  }

  void fill_rect(int left, int top, int right, int bottom, Rgb colour) override {
    if (!window_) return;
    qt::ClientArea& client = window_->client();
    const qt::LayoutScale& scale = window_->scale();
    const QRect area = QRect(QPoint(scale.to_screen_x(left), scale.to_screen_y(top)),
                             QPoint(scale.to_screen_x(right) - 1, scale.to_screen_y(bottom) - 1))
                           .intersected(client.image().rect());
    if (!area.isEmpty()) {
      QPainter painter(&client.image());
      painter.fillRect(area, ColourOf(colour));
      client.refresh(area);
    }
    transcript_.clear(left, top, right, bottom);
  }

  int draw_text(int x, int y, std::string_view text, Rgb fg, Rgb bg) override {
    transcript_.text(x, y, text);
    if (!window_) return text_width(text);
    const QString shown = ToQt(text);
    const QFont& font = window_->client_font();
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(shown);
    qt::ClientArea& client = window_->client();
    const qt::LayoutScale& scale = window_->scale();
    const int left = scale.to_screen_x(x);
    const int base = scale.to_screen_y(y);
    const QRect band(left, base - metrics.ascent(), advance, metrics.height());
    QPainter painter(&client.image());
    painter.setFont(font);
    painter.fillRect(band, ColourOf(bg));
    painter.setPen(ColourOf(fg));
    painter.drawText(left, base, shown);
    client.refresh(band);
    if (qt::VisibleCheckOn()) {
      QString visible = shown;
      while (visible.endsWith(QLatin1Char(' '))) visible.chop(1);
      qt::CheckDrawnText(visible, left, metrics.horizontalAdvance(visible), client.width(),
                         "list line at " + std::to_string(x) + ' ' + std::to_string(y));
    }
    return scale.to_layout_x(advance);
  }

  int text_width(std::string_view text) override {
    const QFont font = window_ ? window_->client_font() : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const int advance = QFontMetrics(font).horizontalAdvance(ToQt(text));
    return window_ ? window_->scale().to_layout_x(advance) : advance;
  }

  void wait_input() override {
    ensure_shown();
    const long long before = delivered_;
    // The window as first seen by the user.
    if (!screenshot_taken_ && window_ && window_->isVisible()) {
      screenshot_taken_ = true;
      qt::SaveScreenshot(*window_, modal_, QStringLiteral("window"));
    }
    const long long acted_before = dialog_actions_;
    if (script_ && play_modeless_block()) return;
    if (script_) {
      if (!act(script_->next_event())) return;
      qt::WaitUntil([&] { return delivered_ != before; }, kScriptPatienceMs);
      if (delivered_ == before) {
        // A test failure: the transcripts of the two backends now differ.
        transcript_.note("the window did not report the scripted event; delivered directly");
        deliver(last_scripted_);
      }
      return;
    }
    while (delivered_ == before && dialog_actions_ == acted_before) {
      if (!window_ || !window_->isVisible()) {
        // Nothing on screen could ever give input: the run is over.
        Input close;
        close.kind = InputKind::kCloseAsked;
        deliver(close);
        return;
      }
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }

  void pump_paints(int ms) override {
    ensure_shown();
    InputEater eater;
    app()->installEventFilter(&eater);
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    loop.exec();
    app()->removeEventFilter(&eater);
  }

  MessageBoxResult message_box(const MessageBoxSpec& spec) override {
    ensure_shown();
    return qt::RunMessageBox(spec, modal_);
  }

  FileDialogAnswer file_dialog(const FileDialogSpec& spec) override {
    ensure_shown();
    return qt::RunFileDialog(spec, modal_);
  }

  DialogBaseUnits dialog_base_units(std::string_view face, int points) override {
    return qt::BaseUnitsOf(qt::DialogFont(face, points));
  }

  void run_modal_dialog(const DialogSpec& spec, DialogEvents& events) override {
    ensure_shown();
    qt::RunModalDialog(spec, events, modal_);
  }

  void show_modeless_dialog(const DialogSpec& spec, DialogEvents& events) override {
    ensure_shown();
    close_modeless_dialog(spec.id);
    Modeless& m = modeless_[spec.id];
    m.events = std::make_unique<qt::CountedDialogEvents>(events, dialog_actions_);
    m.dialog = qt::ShowModelessDialog(spec, *m.events, modal_);
  }

  void close_modeless_dialog(int id) override { modeless_.erase(id); }

  // When the next script line is `dialog ID` for a shown modeless dialog,
  // takes it and the actions after it and performs them on that dialog.
  bool play_modeless_block() {
    return script_->play_modeless_block(
        [this](int id) { return modeless_.contains(id); },
        [this](int id, const DialogAction& action) {
          const auto it = modeless_.find(id);
          if (it == modeless_.end()) return false;
          it->second.dialog->act(action);
          QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
          return true;
        });
  }

  void help_show(std::string_view path) override {
    ensure_shown();
    QFile file(ToQt(path));
    QString html;
    if (file.open(QIODevice::ReadOnly)) html = QString::fromUtf8(file.readAll());
    if (!help_) {
      help_ = std::make_unique<QTextBrowser>();
      help_->setObjectName(QStringLiteral("help"));
      help_->resize(640, 480);
      help_->setOpenExternalLinks(true);
    }
    help_->setWindowTitle(QFileInfo(file).completeBaseName() + QStringLiteral(" Help"));
    help_->setSearchPaths({QFileInfo(file).absolutePath()});
    help_->setHtml(html);
    help_->show();
    help_->raise();
    transcript_.help(path);
  }

  void help_close() override {
    if (help_) help_->close();
    transcript_.help_close();
  }

  void beep() override {
    QApplication::beep();
    transcript_.beep();
  }

  void command_ran(std::string_view command, int flags, int result) override {
    transcript_.run(command, flags, result);
  }

  void note(std::string_view text) override { transcript_.note(text); }

  void process_exit(int status) override {
    transcript_.exit(status);
    // Everything Qt goes now, while Qt is still whole; later calls do nothing.
    tear_down();
    std::fflush(nullptr);
  }

 private:
  static constexpr int kScriptPatienceMs = 3000;

  QApplication* app() { return static_cast<QApplication*>(QApplication::instance()); }

  void deliver(const Input& in) {
    ++delivered_;
    if (sink_) sink_->input(in);
  }

  // The window is on screen and its first picture painted; that painting is
  // not news to the toolkit (the image is blank).
  void settle_after_show() {
    QElapsedTimer waited;
    waited.start();
    while (!window_->client().painted_once() && waited.elapsed() < 2000)
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    NoteFirstFrame();
  }

  // At its position, or centred on the screen (-1), as large as it now is.
  void place_window() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !window_) return;
    const QRect area = screen->geometry();
    window_->move(place_x_ < 0 ? (area.width() - window_->width()) / 2 : place_x_,
                  place_y_ < 0 ? (area.height() - window_->height()) / 2 : place_y_);
  }

  void ensure_shown() {
    if (!show_pending_ || !window_) return;
    show_pending_ = false;
    place_window();  // centred with the toolbar that came after opening
    const qt::ClientArea::QuietResize quiet(window_->client());
    window_->hide();
    window_->setAttribute(Qt::WA_DontShowOnScreen, false);
    window_->show();
    settle_after_show();
  }

  // Acts out a scripted event on the real window, as a person (or, for
  // what no person does by hand, the window system) would. True when the
  // window is to report it; false when it has been delivered already or
  // there is nothing to report.
  bool act(const Input& in) {
    last_scripted_ = in;
    if (!window_) {
      deliver(in);
      return false;
    }
    const qt::LayoutScale& scale = window_->scale();
    switch (in.kind) {
      case InputKind::kMenuPick:
        switch (qt::PickCommand(*window_, in.a)) {
          case qt::PickResult::kPicked: return true;
          case qt::PickResult::kNotOpened:
            transcript_.note("the menu holding item " + std::to_string(in.a) + " did not open");
            return true;
          case qt::PickResult::kNoSuchItem:
            transcript_.note("no enabled menu item or button " + std::to_string(in.a) + "; nothing picked");
            return false;
        }
        return true;
      case InputKind::kCloseAsked:
        if (window_->isVisible()) qt::SaveScreenshot(*window_, modal_, QStringLiteral("window-closing"));
        // The close box, through the window system.
        if (QWindow* handle = window_->windowHandle()) handle->close();
        else window_->close();
        return true;
      case InputKind::kExpose: {
        qt::ClientArea& client = window_->client();
        const QRect rect =
            in.c > 0 && in.d > 0
                ? QRect(QPoint(scale.to_screen_x(in.a), scale.to_screen_y(in.b)),
                        QPoint(scale.to_screen_x(in.a + in.c) - 1, scale.to_screen_y(in.b + in.d) - 1))
                : client.rect();
        client.expose(rect);
        return true;
      }
      case InputKind::kResize: {
        const QSize wanted = scale.to_screen(QSize(std::max(in.a, 1), std::max(in.b, 1)));
        if (wanted == window_->client().size() || window_->isMinimized()) {
          // Nothing changes on screen (or nothing of it shows); the toolkit
          // decides what the request means.
          if (window_->isMinimized()) window_->resize(window_->size() + wanted - window_->client().size());
          deliver(in);
          return false;
        }
        window_->resize(window_->size() + wanted - window_->client().size());
        return true;
      }
      case InputKind::kMinimise:
        if (window_->isMinimized()) {
          deliver(in);
          return false;
        }
        window_->showMinimized();
        return true;
      case InputKind::kRestore:
        if (!window_->isMinimized() && !window_->isMaximized()) {
          deliver(in);  // nothing to restore; the toolkit ignores it
          return false;
        }
        window_->showNormal();
        return true;
      default:
        deliver(in);
        return false;
    }
  }

  void tear_down() {
    help_.reset();
    close_window();
    if (app_) {
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      app_.reset();
    }
  }

  std::unique_ptr<QApplication> app_;  // only when this backend made it
  std::unique_ptr<Transcript> owned_transcript_;
  Transcript& transcript_;
  std::unique_ptr<ScriptDriver> script_;
  qt::ModalContext modal_;
  std::unique_ptr<qt::MainWindow> window_;
  std::unique_ptr<QTextBrowser> help_;
  InputSink* sink_ = nullptr;
  long long delivered_ = 0;
  // Shown modeless dialogs; parented to the window, so they go before it.
  struct Modeless {
    std::unique_ptr<qt::CountedDialogEvents> events;
    std::unique_ptr<qt::ShownModelessDialog> dialog;
  };
  std::map<int, Modeless> modeless_;
  long long dialog_actions_ = 0;  // callbacks of modeless dialogs so far
  Input last_scripted_;
  bool screenshot_taken_ = false;
  bool show_pending_ = false;  // opened, shown when first needed
  int place_x_ = -1, place_y_ = -1;  // screen position asked for; -1 centres
};

std::unique_ptr<QApplication> StartQt(std::string* error) {
  if (!DisplayUsable(error)) return nullptr;
  qt::InstallQtMessageFilter();
  if (QApplication::instance()) return nullptr;  // someone else's; used as it is
  return std::make_unique<QApplication>(g_argc, g_argv);
}

}  // namespace

std::unique_ptr<Platform> CreateQtPlatform(std::string* error) {
  if (!DisplayUsable(error)) return nullptr;
  std::unique_ptr<QApplication> app = StartQt(error);
  std::unique_ptr<Transcript> transcript = Transcript::FromEnvironment();
  Transcript& lines = *transcript;
  std::unique_ptr<ScriptDriver> script;
  if (EnvSet("ZARVSCRIPT")) script = ScriptDriver::FromEnvironment(lines);
  return std::make_unique<QtPlatform>(std::move(app), std::move(transcript), lines, std::move(script));
}

std::unique_ptr<Platform> CreateQtPlatform(std::string_view script_text, Transcript& transcript,
                                           std::string* error) {
  if (!DisplayUsable(error)) return nullptr;
  std::unique_ptr<QApplication> app = StartQt(error);
  std::unique_ptr<ScriptDriver> script = ScriptDriver::FromText(script_text, transcript);
  return std::make_unique<QtPlatform>(std::move(app), nullptr, transcript, std::move(script));
}

}  // namespace zarv::platform
