// The help file as the Qt backend's help window shows it: every link of the
// contents leads to its section, the examples keep their lines, and no
// markup or entity that Qt's rich text does not understand shows as text.
// The headless backend only names the file; the installed-tree test checks
// the file itself and runs its example script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/toolkit/platform/qt/qt_test_support.h"
#include "toolkit/platform/qt/qt_platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {
namespace {

using qt_test::FindWidget;

struct Links {
  std::vector<QString> hrefs;  // in document order
  std::set<QString> anchors;
};

Links LinksOf(const QTextDocument& doc) {
  Links out;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (!format.isAnchor()) continue;
      if (!format.anchorHref().isEmpty()) out.hrefs.push_back(format.anchorHref());
      for (const QString& name : format.anchorNames()) out.anchors.insert(name);
    }
  }
  return out;
}

class HelpViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    platform_ = CreateQtPlatform("", *transcript_, &error);
    ASSERT_TRUE(platform_) << error;
    platform_->help_show(NODALUX_HELP_FILE);
    browser_ = FindWidget<QTextBrowser>("help");
    ASSERT_TRUE(browser_);
    ASSERT_TRUE(qt_test::WaitFor([this] { return browser_->isVisible(); }));
  }

  std::unique_ptr<Transcript> transcript_ = Transcript::InMemory();
  std::unique_ptr<Platform> platform_;
  QTextBrowser* browser_ = nullptr;
};

TEST_F(HelpViewTest, OpensAtItsStartWithItsTitle) {
  EXPECT_EQ(browser_->windowTitle(), QStringLiteral("Nodalux Help"));
  EXPECT_EQ(browser_->document()->metaInformation(QTextDocument::DocumentTitle),
            QStringLiteral("Nodalux help"));
  EXPECT_EQ(browser_->verticalScrollBar()->value(), 0);
  EXPECT_TRUE(browser_->document()->begin().text().startsWith(QStringLiteral("Nodalux")));
  // Left for a person to look at, as the script runs leave theirs.
  if (const char* folder = std::getenv("NODALUX_SCREENSHOTS")) {
    const QString dir = QString::fromLocal8Bit(folder) + QStringLiteral("/help");
    QDir().mkpath(dir);
    EXPECT_TRUE(browser_->grab().save(dir + QStringLiteral("/help-window.png"), "PNG"));
  }
}

TEST_F(HelpViewTest, EveryContentsLinkLeadsToItsSection) {
  const Links links = LinksOf(*browser_->document());
  std::vector<QString> internal;
  for (const QString& href : links.hrefs)
    if (href.startsWith('#')) internal.push_back(href.mid(1));
  ASSERT_GE(internal.size(), 9u) << "the contents list lost its links";
  int previous = -1;
  QScrollBar* bar = browser_->verticalScrollBar();
  for (const QString& name : internal) {
    EXPECT_TRUE(links.anchors.count(name)) << "no section named " << name.toStdString();
    browser_->setSource(QUrl(QStringLiteral("#") + name));
    QApplication::processEvents();
    // Sections follow each other down the page, until the last screenful.
    if (previous >= 0 && previous < bar->maximum()) {
      EXPECT_GT(bar->value(), previous) << name.toStdString();
    }
    if (previous < bar->value()) previous = bar->value();
  }
}

TEST_F(HelpViewTest, ShowsTextNotMarkup) {
  const QString text = browser_->toPlainText();
  for (const char* leftover : {"</", "<p", "<code", "&deg", "&minus", "&quot", "&amp"}) {
    EXPECT_FALSE(text.contains(QLatin1String(leftover))) << leftover;
  }
  EXPECT_TRUE(text.contains(QString::fromUtf8("51\u00b0 28' 33.7\" N")));
  // Examples keep their lines.
  EXPECT_TRUE(text.contains(QStringLiteral(
      "Longitude,Latitude,Name\n-0.12345,51.50000,\"Kew, Gardens\"\n; a comment line")));
  EXPECT_TRUE(text.contains(QStringLiteral(
      "ZARVPLATFORM=headless ZARVSCRIPT=session.script ZARVTRANSCRIPT=- nodalux")));
  EXPECT_TRUE(text.contains(QStringLiteral("$XDG_CONFIG_HOME/zarvane/registry.sqlite")));
}

}  // namespace
}  // namespace zarv::platform
