#include "toolkit/platform/qt/qt_main_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPaintEvent>
#include <QStatusBar>
#include <QWindowStateChangeEvent>
#include <QGuiApplication>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#if QT_CONFIG(xcb) && defined(ZARV_WITH_XCB)
#include <xcb/xcb.h>
#endif

#include "toolkit/platform/qt/qt_text.h"

namespace zarv::platform::qt {

// ---------------------------------------------------------------- layout scale

LayoutScale::LayoutScale(const QFont& font) {
  // The layout's font: the average character of the dialog font it was
  // made with, as dialog units count it.
  const DialogBaseUnits layout;
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  x_num_ = std::max((letters + 26) / 52, layout.width);
  x_den_ = layout.width;
  y_num_ = std::max(metrics.height(), layout.height);
  y_den_ = layout.height;
}

int LayoutScale::Apply(int value, int num, int den) {
  const long long product = static_cast<long long>(value) * num;
  const long long rounded = (product >= 0 ? product + den / 2 : product - den / 2) / den;
  return static_cast<int>(std::clamp<long long>(rounded, -(1LL << 30), 1LL << 30));
}

// ---------------------------------------------------------------- client area

ClientArea::ClientArea(QSize size, const LayoutScale& scale, InputReporter report)
    : image_(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32),
      scale_(scale),
      report_(std::move(report)),
      known_size_(size.expandedTo(QSize(1, 1))) {
  image_.fill(Qt::white);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(1, 1);
}

ClientArea::QuietResize::QuietResize(ClientArea& area) : area_(area) { ++area_.quiet_; }

ClientArea::QuietResize::~QuietResize() {
  // Where the client ended up is news when it is not the size asked for.
  if (--area_.quiet_ == 0) area_.report_size_change();
}

void ClientArea::refresh(const QRect& rect) {
  const QRect area = rect.intersected(this->rect());
  if (!area.isEmpty()) update(area);
}

void ClientArea::expose(const QRect& rect) {
  const QRect area = rect.intersected(this->rect());
  if (area.isEmpty()) return;
  forced_ += area;
  repaint(area);
}

void ClientArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  for (const QRect& r : event->region()) painter.drawImage(r.topLeft(), image_, r);
  // The image always holds the whole picture, so whatever Qt repaints by
  // itself (shown, uncovered, activated, grown) is served from it and is no
  // news to the toolkit. Only an exposure asked for is reported.
  const QRegion asked = forced_ & event->region();
  forced_ -= event->region();
  painted_once_ = true;
  if (!reporting_ || asked.isEmpty()) return;
  const QRect box = asked.boundingRect();
  const int left = scale_.to_layout_x(box.x());
  const int top = scale_.to_layout_y(box.y());
  Input in;
  in.kind = InputKind::kExpose;
  in.a = left;
  in.b = top;
  in.c = scale_.to_layout_x(box.x() + box.width()) - left;
  in.d = scale_.to_layout_y(box.y() + box.height()) - top;
  in.x = left;
  in.y = top;
  report_(in);
}

void ClientArea::resizeEvent(QResizeEvent*) {
  const QSize now = size().expandedTo(QSize(1, 1));
  if (now.width() > image_.width() || now.height() > image_.height()) {
    // Keep the picture; new ground is white.
    QImage grown(now.expandedTo(image_.size()), QImage::Format_RGB32);
    grown.fill(Qt::white);
    QPainter(&grown).drawImage(0, 0, image_);
    image_ = std::move(grown);
  }
  report_size_change();
}

void ClientArea::report_size_change() {
  const QSize now = size().expandedTo(QSize(1, 1));
  if (!reporting_ || quiet_ > 0 || now == known_size_) return;
  known_size_ = now;
  // A minimised window is told its size when it is restored.
  if (window()->isMinimized()) return;
  const QSize layout = scale_.to_layout(now);
  Input in;
  in.kind = InputKind::kResize;
  in.a = layout.width();
  in.b = layout.height();
  report_(in);
}

// ---------------------------------------------------------------- status bar

StatusStrip::StatusStrip(const LayoutScale& scale) : scale_(scale) {
  setMinimumHeight(fontMetrics().height() + 6);
}

void StatusStrip::set_parts(const std::vector<int>& right_edges) {
  // A new division keeps the texts of the parts that still exist.
  std::vector<std::pair<QString, std::string>> kept;
  for (std::size_t i = 0; i < labels_.size(); ++i) kept.emplace_back(labels_[i]->text(), texts_[i]);
  for (QLabel* label : labels_) {
    label->hide();
    label->deleteLater();  // a child of this widget
  }
  labels_.clear();
  texts_.clear();
  edges_ = right_edges;
  for (std::size_t i = 0; i < edges_.size(); ++i) {
    auto* label = new QLabel(this);  // owned by this widget
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setIndent(2);
    label->show();
    labels_.push_back(label);
    texts_.emplace_back();
    if (i < kept.size()) {
      label->setText(kept[i].first);
      texts_.back() = kept[i].second;
    }
    if (edges_[i] < 0) break;  // runs to the right edge; later parts do not exist
  }
  edges_.resize(labels_.size());
  place();
}

QLabel* StatusStrip::part(int index) {
  if (index < 1 || index > int(labels_.size())) return nullptr;
  return labels_[std::size_t(index - 1)];
}

void StatusStrip::resizeEvent(QResizeEvent*) { place(); }

void StatusStrip::place() {
  int left = 0;
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    const int edge = scale_.to_screen_x(edges_[i]);
    const int right = edges_[i] < 0 ? width() : std::clamp(edge, left, std::max(left, width()));
    labels_[i]->setGeometry(left, 0, std::max(right - left, 0), height());
    left = right;
  }
}

// ---------------------------------------------------------------- main window

namespace {

Qt::ToolBarArea AreaOf(ToolbarSide side) {
  switch (side) {
    case ToolbarSide::kLeft: return Qt::LeftToolBarArea;
    case ToolbarSide::kRight: return Qt::RightToolBarArea;
    case ToolbarSide::kBottom: return Qt::BottomToolBarArea;
    case ToolbarSide::kTop: break;
  }
  return Qt::TopToolBarArea;
}

QPixmap ImageFromStrip(const QImage& strip, int index, QSize size) {
  if (strip.isNull() || index < 0 || size.isEmpty()) return {};
  const QRect cut(index * size.width(), 0, size.width(), size.height());
  if (!strip.rect().contains(cut)) return {};
  QImage image = strip.copy(cut).convertToFormat(QImage::Format_ARGB32);
  // Toolbar strips are drawn on button-face grey; let the button show through.
  const QRgb face = qRgb(192, 192, 192);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (face & 0xFFFFFF)) image.setPixel(x, y, 0);
  return QPixmap::fromImage(image);
}

}  // namespace

MainWindow::MainWindow(const WindowSpec& spec, InputReporter report)
    : font_(QFontDatabase::systemFont(QFontDatabase::GeneralFont)),
      scale_(font_),
      report_(std::move(report)),
      fixed_(spec.fixed_border) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (spec.system_menu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (spec.minimise_box) flags |= Qt::WindowMinimizeButtonHint;
  if (spec.maximise_box) flags |= Qt::WindowMaximizeButtonHint;
  if (spec.topmost) flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);
  setWindowTitle(ToQt(spec.title));
  if (!spec.icon.empty()) {
    const QImage icon = QImage::fromData(
        QByteArray(spec.icon.data(), qsizetype(spec.icon.size())), "BMP");
    if (!icon.isNull()) setWindowIcon(QPixmap::fromImage(icon));
  }
  if (!spec.menu.empty()) build_menu(menuBar(), spec.menu, true);

  const QSize client(std::max(spec.client.w, 1), std::max(spec.client.h, 1));
  client_ = new ClientArea(scale_.to_screen(client), scale_, report_);  // owned by the window
  setCentralWidget(client_);
  if (spec.status_bar) {
    status_ = new StatusStrip(scale_);  // owned by the status bar
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(!spec.fixed_border);
    status_->set_parts({-1});
  }
  // The window shows later, complete; its parts count in its layout now.
  if (!spec.menu.empty()) menuBar()->show();
  if (status_) statusBar()->show();
  client_->show();
  fit_client(client);
  if (fixed_) forbid_border_sizing();
}

QSize MainWindow::layout_client_size() const {
  return scale_.to_layout(client_->size().expandedTo(QSize(1, 1)));
}

void MainWindow::forbid_border_sizing() {
#if QT_CONFIG(xcb) && defined(ZARV_WITH_XCB)
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  xcb_connection_t* connection = x11->connection();
  // The window manager's hints as Motif defined them: decorations without
  // the sizing border. The resize function stays: window managers offer
  // maximising only to windows they may resize.
  static constexpr char kAtom[] = "_MOTIF_WM_HINTS";
  const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, sizeof kAtom - 1, kAtom);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (!reply) return;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  enum : std::uint32_t {
    kFunctions = 1, kDecorations = 2,
    kFuncResize = 2, kFuncMove = 4, kFuncMinimise = 8, kFuncMaximise = 16, kFuncClose = 32,
    kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16, kDecorMinimise = 32, kDecorMaximise = 64,
  };
  std::uint32_t hints[5] = {kFunctions | kDecorations, kFuncMove | kFuncResize, kDecorBorder | kDecorTitle, 0, 0};
  const Qt::WindowFlags flags = windowFlags();
  if (flags & Qt::WindowMinimizeButtonHint) {
    hints[1] |= kFuncMinimise;
    hints[2] |= kDecorMinimise;
  }
  if (flags & Qt::WindowMaximizeButtonHint) {
    hints[1] |= kFuncMaximise;
    hints[2] |= kDecorMaximise;
  }
  if (flags & Qt::WindowCloseButtonHint) hints[1] |= kFuncClose;
  if (flags & Qt::WindowSystemMenuHint) hints[2] |= kDecorMenu;
  const auto window = static_cast<xcb_window_t>(winId());
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom, atom, 32, 5, hints);
  xcb_flush(connection);
#endif
}

void MainWindow::build_menu(QWidget* parent_menu, const std::vector<MenuEntry>& entries, bool bar) {
  for (const MenuEntry& entry : entries) {
    if (entry.separator) {
      if (bar) continue;
      static_cast<QMenu*>(parent_menu)->addSeparator();
      continue;
    }
    if (entry.popup) {
      QMenu* sub = bar ? static_cast<QMenuBar*>(parent_menu)->addMenu(ToQt(entry.text))
                       : static_cast<QMenu*>(parent_menu)->addMenu(ToQt(entry.text));
      sub->menuAction()->setEnabled(!entry.grayed);
      sub->menuAction()->setData(entry.id);
      build_menu(sub, entry.items, false);
      continue;
    }
    QAction* action = make_action(entry, parent_menu);
    parent_menu->addAction(action);
  }
}

QAction* MainWindow::make_action(const MenuEntry& entry, QWidget* owner) {
  auto* action = new QAction(ToQt(entry.text), owner);  // owned by its menu
  action->setData(entry.id);
  action->setEnabled(!entry.grayed);
  action->setCheckable(entry.checked);
  action->setChecked(entry.checked);
  const int id = entry.id;
  connect(action, &QAction::triggered, this, [this, id] {
    Input in;
    in.kind = InputKind::kMenuPick;
    in.a = id;
    report_(in);
  });
  menu_actions_.emplace(id, action);
  return action;
}

QAction* MainWindow::action(int id) {
  if (auto it = menu_actions_.find(id); it != menu_actions_.end()) return it->second;
  for (auto& [side, bar] : toolbars_)
    for (QAction* a : bar->actions())
      if (!a->isSeparator() && a->data().toInt() == id) return a;
  return nullptr;
}

void MainWindow::fit_client(QSize client) {
  const QSize wanted = scale_.to_screen(client.expandedTo(QSize(1, 1)));
  if (isMaximized() || isMinimized()) {
    client_->set_known_size(wanted);
    return;
  }
  // The frame is sized around the client; whatever the client passes through
  // on the way is not news to the toolkit, only where it ends up. A window
  // not yet shown is measured with its style's sizes, as it will show.
  ensurePolished();
  const ClientArea::QuietResize quiet(*client_);
  client_->set_known_size(wanted);
  for (int round = 0; round < 4 && client_->size() != wanted; ++round) {
    if (layout()) {
      layout()->invalidate();
      layout()->activate();
    }
    const QSize frame = wanted + (size() - client_->size()).expandedTo(QSize(0, 0));
    resize(frame);
    if (layout()) layout()->activate();
    // A window on screen takes its new size through the window system.
    if (isVisible()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

void MainWindow::set_toolbar(const ToolbarSpec& spec) {
  const ClientArea::QuietResize quiet(*client_);
  const QSize keep = layout_client_size();
  remove_toolbar(spec.side);
  auto* bar = new QToolBar(this);  // owned by the window
  bar->setObjectName(QString::number(spec.id));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setIconSize(QSize(std::max(spec.image.w, 1), std::max(spec.image.h, 1)));
  const QImage strip = QImage::fromData(
      QByteArray(spec.bitmap.data(), qsizetype(spec.bitmap.size())), "BMP");
  for (const ToolbarButton& button : spec.buttons) {
    if (button.id == 0) {
      bar->addSeparator();
      continue;
    }
    const QPixmap image = ImageFromStrip(strip, button.image, QSize(spec.image.w, spec.image.h));
    QAction* action = bar->addAction(QString::number(button.id));
    if (!image.isNull()) action->setIcon(image);
    action->setData(button.id);
    action->setToolTip(ToQt(button.tooltip));
    action->setEnabled(button.enabled);
    action->setCheckable(button.checked);
    action->setChecked(button.checked);
    const int id = button.id;
    connect(action, &QAction::triggered, this, [this, id] {
      Input in;
      in.kind = InputKind::kMenuPick;
      in.a = id;
      report_(in);
    });
  }
  addToolBar(AreaOf(spec.side), bar);
  // Shown now (on screen once the window is), so that the frame below is
  // measured with the toolbar in it.
  bar->show();
  toolbars_[int(spec.side)] = bar;
  // The frame grows by the toolbar; the client keeps its size.
  fit_client(keep);
}

void MainWindow::remove_toolbar(ToolbarSide side) {
  auto it = toolbars_.find(int(side));
  if (it == toolbars_.end()) return;
  const ClientArea::QuietResize quiet(*client_);
  const QSize keep = layout_client_size();
  removeToolBar(it->second);
  it->second->deleteLater();  // a child of this window, out of its layout now
  toolbars_.erase(it);
  fit_client(keep);
}

QToolBar* MainWindow::toolbar(ToolbarSide side) {
  auto it = toolbars_.find(int(side));
  return it == toolbars_.end() ? nullptr : it->second;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The application decides whether to close.
  event->ignore();
  Input in;
  in.kind = InputKind::kCloseAsked;
  report_(in);
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const bool now_minimised = isMinimized();
  if (now_minimised == minimised_) return;
  minimised_ = now_minimised;
  // The toolkit decides what a restore means; the picture is whole anyway.
  Input in;
  in.kind = now_minimised ? InputKind::kMinimise : InputKind::kRestore;
  report_(in);
  if (!now_minimised) client_->refresh(client_->rect());
}

}  // namespace zarv::platform::qt
