// The yardstick for the desktop program's start: a bare Qt Widgets program
// that opens a main window with the same menu, toolbar (the same images)
// and two-part status bar, and ends as soon as that window has painted its
// first frame, writing the monotonic clock (ns) into $ZARVFIRSTFRAME.
//
//   bare_qt_window TOOLBAR_BMP
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class Client : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter(this).fillRect(rect(), Qt::white);
    if (done_) return;
    done_ = true;
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    if (const char* path = std::getenv("ZARVFIRSTFRAME")) {
      if (std::FILE* f = std::fopen(path, "w")) {
        std::fprintf(f, "%lld\n", t.tv_sec * 1000000000LL + t.tv_nsec);
        std::fclose(f);
      }
    }
    QTimer::singleShot(0, qApp, &QApplication::quit);
  }

 private:
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Nodalux"));
  QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
  for (const char* item : {"&Open", "&Append", "&Save", "E&xit"}) file->addAction(QString::fromLatin1(item));
  window.menuBar()->addMenu(QStringLiteral("&Options"))->addAction(QStringLiteral("Define POI group"));
  QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(QStringLiteral("&Nodalux"));
  help->addAction(QStringLiteral("&About"));

  QToolBar* bar = window.addToolBar(QStringLiteral("30101"));
  bar->setMovable(false);
  const QImage strip(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
  const char* tips[] = {"Open", "Append", "Save", "Define circular area for group", "Exit"};
  for (int i = 0; i < 5; ++i) {
    if (i == 3 || i == 4) bar->addSeparator();
    QAction* a = bar->addAction(QPixmap::fromImage(strip.copy(i * 16, 0, 16, 16)), QString());
    a->setToolTip(QString::fromLatin1(tips[i]));
  }

  auto* client = new Client;  // owned by the window
  client->setMinimumSize(512, 256);
  window.setCentralWidget(client);
  auto* group = new QLabel(QStringLiteral(" Number of POI in group: 0"));
  auto* circle = new QLabel(QStringLiteral(" Centre: N  51.47604, E  0.00000, Radius: 30.00"));
  window.statusBar()->addWidget(group, 1);
  window.statusBar()->addWidget(circle, 2);
  window.show();
  return app.exec();
}
