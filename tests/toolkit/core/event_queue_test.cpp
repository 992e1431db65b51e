#include <gtest/gtest.h>

#include "tests/toolkit/core/window_fixture.h"
#include "toolkit/core/event_queue.h"

namespace zarv::testing {
namespace {

class EventQueue : public RootWindowTest {
 protected:
  void SetUp() override {
    RootWindowTest::SetUp();
    OpenProgramWindow();
  }
  // The next event; `kind` and `rec` keep it for the checks.
  int Next() {
    WEventWait(kind, rec);
    return kind;
  }
  int kind = 0;
  EventRecord rec;
};

Input Expose(int x, int y, int w, int h) { return {InputKind::kExpose, x, y, w, h}; }
Input Resize(int w, int h) { return {InputKind::kResize, w, h}; }
Input Menu(int id) { return {InputKind::kMenuPick, id}; }
Input Close() { return {InputKind::kCloseAsked}; }

TEST_F(EventQueue, RepaintWhileBusyIsDeliveredForTheWholeClientArea) {
  fake().deliver(Expose(10, 20, 5, 5));
  EXPECT_EQ(Next(), EvRepaint);
  EXPECT_EQ(fake().waits_done, 0);  // came from the deferred slot
  EXPECT_EQ(rec.Window, 0);
  EXPECT_EQ(rec.X, 0);
  EXPECT_EQ(rec.Y, 0);
  EXPECT_EQ(rec.Value1, 512);
  EXPECT_EQ(rec.Value2, 256);
  EXPECT_EQ(rec.Value3, 0);
  EXPECT_EQ(Next(), EvCloseAsked);  // the slot was emptied
}

TEST_F(EventQueue, ResizeWhileBusySwallowsRepaintsAroundIt) {
  for (bool repaint_first : {false, true}) {
    SCOPED_TRACE(repaint_first);
    if (repaint_first) fake().deliver(Expose(0, 0, 50, 50));
    fake().client = {600, 300};
    fake().deliver(Resize(600, 300));
    fake().deliver(Expose(0, 0, 600, 300));
    EXPECT_EQ(Next(), EvResized);
    EXPECT_EQ(rec.Value1, 600);
    EXPECT_EQ(rec.Value2, 300);
    EXPECT_EQ(ClientWidth(), 600);  // window units scale to it from now on
    EXPECT_EQ(ClientHeight(), 300);
    fake().waits.push_back({Menu(40002)});
    EXPECT_EQ(Next(), EvMenuPick);
    EXPECT_EQ(fake().waits_done, repaint_first ? 2 : 1);
  }
}

TEST_F(EventQueue, RepaintWhileWaitingIsClippedToTheClientArea) {
  fake().waits.push_back({Expose(500, 250, 100, 100)});
  EXPECT_EQ(Next(), EvRepaint);
  EXPECT_EQ(rec.X, 500);
  EXPECT_EQ(rec.Y, 250);
  EXPECT_EQ(rec.Value1, 12);
  EXPECT_EQ(rec.Value2, 6);
  EXPECT_EQ(rec.Value3, 0);
}

TEST_F(EventQueue, RawInputBecomesTheNumberedEvents) {
  struct Row {
    Input in;
    int kind, value1, value2;
  };
  const Row rows[] = {
      {Menu(40009), EvMenuPick, 40009, -1},
      {Close(), EvCloseAsked, -1, -1},
      {Resize(700, 400), EvResized, 700, 400},
      {{InputKind::kKey, 'a'}, EvKeyPress, 'a', -1},
      {{InputKind::kButtonDown, 3, 4, 0, 0, 17, 18}, EvButtonDown, 3, 4},
      {{InputKind::kButtonDouble, 1, 0, 0, 0, 17, 18}, EvButtonDown, 1, 0},
      {{InputKind::kTimer, 42}, EvTimer, 42, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind);
    fake().waits.push_back({row.in});
    EXPECT_EQ(Next(), row.kind);
    EXPECT_EQ(rec.Window, 0);
    EXPECT_EQ(rec.Value1, row.value1);
    EXPECT_EQ(rec.Value2, row.value2);
    EXPECT_EQ(rec.Value4, -1);
  }
  EXPECT_EQ(ClientWidth(), 700);
}

TEST_F(EventQueue, MouseEventsCarryTheirPosition) {
  fake().waits.push_back({{InputKind::kButtonDown, 1, 0, 0, 0, 256, 128}});
  EXPECT_EQ(Next(), EvButtonDown);
  EXPECT_EQ(rec.X, 256);
  EXPECT_EQ(rec.Y, 128);
  EXPECT_EQ(rec.Value3, 0);
  EXPECT_FLOAT_EQ(rec.GX, 5009.0f);  // (256.5 * 9999) / 512
}

// Both backends report minimising, restoring and resizing as they happen;
// what the application sees of them is decided here.
TEST_F(EventQueue, MinimisedWindowGetsNoResizeAndItsRestoreLaysItOut) {
  const Input minimise{InputKind::kMinimise}, restore{InputKind::kRestore};
  fake().waits.push_back({restore, Menu(1)});  // not minimised: nothing to restore
  EXPECT_EQ(Next(), EvMenuPick);
  fake().waits.push_back({minimise, Resize(600, 400), Expose(0, 0, 600, 400), Menu(2)});
  EXPECT_EQ(Next(), EvMenuPick);
  EXPECT_EQ(rec.Value1, 2) << "no resize and no repaint while minimised";
  EXPECT_EQ(ClientWidth(), 512);
  fake().waits.push_back({restore, Menu(3)});
  EXPECT_EQ(Next(), EvResized);
  EXPECT_EQ(rec.Value1, 600) << "the size it was given meanwhile";
  EXPECT_EQ(rec.Value2, 400);
  EXPECT_EQ(Next(), EvMenuPick);
  fake().waits.push_back({restore, Resize(300, 200)});  // restored already: nothing
  EXPECT_EQ(Next(), EvResized);
  EXPECT_EQ(rec.Value1, 300);
  fake().waits.push_back({minimise, minimise, restore});
  EXPECT_EQ(Next(), EvResized);
  EXPECT_EQ(Next(), EvCloseAsked) << "one restore after two minimises lays out once";
}

TEST_F(EventQueue, SwallowedInputNeverReachesTheApplication) {
  // Off by default: release, motion, frame clicks; never: minimising and the
  // backend's own timer.
  fake().waits.push_back({{InputKind::kButtonUp, 1},
                          {InputKind::kMotion},
                          {InputKind::kFrameClick, 1},
                          {InputKind::kMinimise},
                          {InputKind::kTimer, 999},
                          Menu(7)});
  EXPECT_EQ(Next(), EvMenuPick);
  EXPECT_EQ(rec.Value1, 7);
}

TEST_F(EventQueue, EnableTableSwitchesKindsAndIsResetWhenTheWindowOpens) {
  WindowEventEnable(EvButtonUp, true);
  WindowEventEnable(EvButtonDouble, true);
  WindowEventEnable(EvMenuPick, false);
  fake().waits.push_back({Menu(1), {InputKind::kButtonUp, 2}, {InputKind::kButtonDouble, 3}});
  EXPECT_EQ(Next(), EvButtonUp);
  EXPECT_EQ(rec.Value1, 2);
  EXPECT_EQ(Next(), EvButtonDouble);
  EXPECT_EQ(rec.Value1, 3);

  OpenProgramWindow();
  fake().waits.push_back({{InputKind::kButtonUp, 2}, Menu(1)});
  EXPECT_EQ(Next(), EvMenuPick);
  EXPECT_TRUE(EventEnabled(EvRepaint));
  EXPECT_FALSE(EventEnabled(EvMouseMotion));
  EXPECT_FALSE(EventEnabled(0));
  EXPECT_FALSE(EventEnabled(17));
}

TEST_F(EventQueue, SeveralInputsInOneWaitComeOutInOrder) {
  fake().waits.push_back({Menu(1), Expose(0, 0, 10, 10), Menu(2)});
  EXPECT_EQ(Next(), EvMenuPick);
  EXPECT_EQ(rec.Value1, 1);
  EXPECT_EQ(Next(), EvRepaint);
  EXPECT_EQ(rec.Value1, 10);  // not widened: it came through the wait
  EXPECT_EQ(Next(), EvMenuPick);
  EXPECT_EQ(rec.Value1, 2);
  EXPECT_EQ(fake().waits_done, 1);
}

TEST_F(EventQueue, WhileBusyCommandsWaitAndKeysAreDropped) {
  fake().deliver({InputKind::kKey, 'x'});
  fake().deliver({InputKind::kButtonDown, 1});
  fake().deliver(Close());
  fake().deliver(Expose(1, 1, 1, 1));
  EXPECT_EQ(Next(), EvRepaint);  // deferred slots come first
  EXPECT_EQ(Next(), EvCloseAsked);
  EXPECT_EQ(fake().waits_done, 0);
}

TEST_F(EventQueue, PendingSlotComesBeforeEverything) {
  fake().deliver(Expose(1, 1, 1, 1));
  EventRecord posted;
  posted.Value1 = 99;
  PostPendingEvent(EvDialogCommand, posted);
  EXPECT_EQ(Next(), EvDialogCommand);
  EXPECT_EQ(rec.Value1, 99);
  EXPECT_EQ(Next(), EvRepaint);
}

TEST_F(EventQueue, ShutdownForgetsDeferredInputAndResetsTheTable) {
  fake().deliver(Expose(1, 1, 1, 1));
  WindowEventEnable(EvMouseMotion, true);
  WindowShutdown();
  EXPECT_FALSE(EventEnabled(EvMouseMotion));
  EXPECT_EQ(Next(), EvCloseAsked);  // no stale repaint of a closed window
}

}  // namespace
}  // namespace zarv::testing
