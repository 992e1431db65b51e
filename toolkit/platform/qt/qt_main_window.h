// The root window of the Qt backend: frame, menu bar, toolbars, status bar
// and the client area, which is drawn from a backing image.
#pragma once

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QRegion>
#include <QToolBar>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/platform/platform.h"

namespace zarv::platform::qt {

using InputReporter = std::function<void(const Input&)>;

// The window's pixel layout (client size, status bar edges, list lines) was
// made for a smaller font than a Linux desktop's. What goes on screen is
// scaled by the ratio of the window font's average character size to the
// layout font's, like dialog units, and never shrunk; the toolkit and the
// transcript keep the layout's own numbers. Both ways round exactly.
class LayoutScale {
 public:
  LayoutScale() = default;
  explicit LayoutScale(const QFont& font);

  int to_screen_x(int layout) const { return Apply(layout, x_num_, x_den_); }
  int to_screen_y(int layout) const { return Apply(layout, y_num_, y_den_); }
  int to_layout_x(int screen) const { return Apply(screen, x_den_, x_num_); }
  int to_layout_y(int screen) const { return Apply(screen, y_den_, y_num_); }
  QSize to_screen(QSize layout) const { return {to_screen_x(layout.width()), to_screen_y(layout.height())}; }
  QSize to_layout(QSize screen) const { return {to_layout_x(screen.width()), to_layout_y(screen.height())}; }

 private:
  static int Apply(int value, int num, int den);
  int x_num_ = 1, x_den_ = 1, y_num_ = 1, y_den_ = 1;
};

// The client area. Paints from its backing image, which always holds the
// whole picture; only exposures asked for through expose() are reported.
class ClientArea : public QWidget {
 public:
  // `size` in screen pixels; what it reports is in layout pixels.
  ClientArea(QSize size, const LayoutScale& scale, InputReporter report);

  QImage& image() { return image_; }
  // Repaints `rect` from the image without reporting an exposure.
  void refresh(const QRect& rect);
  // A real exposure of `rect`, painted now and reported.
  void expose(const QRect& rect);
  void set_reporting(bool on) { reporting_ = on; }
  // While one lives, size changes are not reported; when the last one goes,
  // a client that is not at the size the toolkit knows reports its size.
  class QuietResize {
   public:
    explicit QuietResize(ClientArea& area);
    ~QuietResize();
    QuietResize(const QuietResize&) = delete;
    QuietResize& operator=(const QuietResize&) = delete;

   private:
    ClientArea& area_;
  };
  bool painted_once() const { return painted_once_; }
  // The size the toolkit was last told about (no report when it returns to it).
  void set_known_size(QSize size) { known_size_ = size; }
  QSize sizeHint() const override { return known_size_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void report_size_change();
  QImage image_;
  const LayoutScale& scale_;
  InputReporter report_;
  QRegion forced_;
  QSize known_size_;
  int quiet_ = 0;
  bool reporting_ = false;
  bool painted_once_ = false;
};

// Status bar parts as labels whose right edges sit at given pixels.
class StatusStrip : public QWidget {
 public:
  explicit StatusStrip(const LayoutScale& scale);
  // Right edges in layout pixels; -1 for a part that runs to the right edge.
  void set_parts(const std::vector<int>& right_edges);
  QLabel* part(int index);  // 1-based; nullptr when out of range
  int count() const { return int(labels_.size()); }
  const std::string& set_text(int index) const { return texts_.at(std::size_t(index - 1)); }
  void remember_text(int index, std::string text) { texts_.at(std::size_t(index - 1)) = std::move(text); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void place();
  const LayoutScale& scale_;
  std::vector<int> edges_;
  std::vector<QLabel*> labels_;  // owned by this widget
  std::vector<std::string> texts_;
};

class MainWindow : public QMainWindow {
 public:
  MainWindow(const WindowSpec& spec, InputReporter report);

  ClientArea& client() { return *client_; }
  StatusStrip* status() { return status_; }
  const LayoutScale& scale() const { return scale_; }
  const QFont& client_font() const { return font_; }
  // The client area's size in layout pixels.
  QSize layout_client_size() const;
  // Sizes the frame so that the client area is `client` layout pixels.
  void fit_client(QSize client);
  // The frame has no sizing border; maximising still works. On X11 the
  // window manager is told so (window managers offer maximising only to
  // windows they may resize, so a gesture of theirs may still resize it);
  // elsewhere nothing is done.
  void forbid_border_sizing();
  void set_toolbar(const ToolbarSpec& spec);
  void remove_toolbar(ToolbarSide side);
  QToolBar* toolbar(ToolbarSide side);
  // The menu item or toolbar button with command `id` (menu items first).
  QAction* action(int id);
  void allow_close() { closing_ = true; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void build_menu(QWidget* parent_menu, const std::vector<MenuEntry>& entries, bool bar);
  QAction* make_action(const MenuEntry& entry, QWidget* owner);
  QFont font_;
  LayoutScale scale_;
  InputReporter report_;
  ClientArea* client_ = nullptr;   // owned by Qt (central widget)
  StatusStrip* status_ = nullptr;  // owned by Qt (inside the status bar)
  std::map<int, QToolBar*> toolbars_;  // by side; owned by Qt
  std::map<int, QAction*> menu_actions_;
  bool fixed_ = false;
  bool closing_ = false;
  bool minimised_ = false;
};

}  // namespace zarv::platform::qt
