#include "toolkit/core/event_queue.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <optional>

#include "toolkit/core/toolkit.h"
#include "toolkit/core/window_state.h"
#include "toolkit/core/window_units.h"

namespace zarv {
namespace {

using platform::Input;
using platform::InputKind;

// Event kinds enabled when the root window opens.
constexpr std::array<bool, 17> kEnabledAtStart = {
    false,                                      // (no kind 0)
    true,  true,  true,  true,  false, false,   // 1..6
    true,  true,  true,  false, false, false,   // 7..12
    true,  true,  false, false,                 // 13..16
};

// The backend's internal timer, never shown to the application.
constexpr int kInternalTimer = 999;
// Bound on events queued up before the application asks for them.
constexpr std::size_t kQueueLimit = 256;

struct Event {
  int kind = 0;
  EventRecord record;
};

struct EventState {
  std::array<bool, 17> enabled = kEnabledAtStart;
  std::optional<Event> pending;
  std::array<std::optional<Event>, kMaxWindowNumber + 1> deferred;
  std::deque<Event> queue;
  bool waiting = false;
  bool windows_enabled = true;
  // The root window is minimised: it is neither repainted nor resized, and
  // only a restore lays it out again. Both backends report the raw input;
  // what becomes an event is decided here.
  bool minimised = false;
};

EventState& S() {
  static EventState s;
  return s;
}

EventRecord BlankRecord() {
  EventRecord r;
  r.Window = 0;
  r.Value1 = r.Value2 = r.Value3 = r.Value4 = -1;
  r.Time = EventTime();
  return r;
}

// Fills GX, GY (and for repaints GX2, GY2) in window units of the client.
void SetGraphicsPosition(EventRecord& r, int right, int bottom) {
  const platform::Size c = Root().client;
  r.GX = static_cast<float>(PixelsToUnits(r.X, c.w));
  r.GY = static_cast<float>(PixelsToUnits(r.Y, c.h));
  r.GX2 = static_cast<float>(PixelsToUnits(right, c.w));
  r.GY2 = static_cast<float>(PixelsToUnits(bottom, c.h));
}

// The event a raw input stands for, before the enable table is consulted.
std::optional<Event> Translate(const Input& in) {
  EventState& s = S();
  Event e;
  e.record = BlankRecord();
  EventRecord& r = e.record;
  switch (in.kind) {
    case InputKind::kMenuPick:
      e.kind = EvMenuPick;
      r.Value1 = in.a;
      return e;
    case InputKind::kCloseAsked:
      e.kind = EvCloseAsked;
      return e;
    case InputKind::kExpose:
      if (s.minimised) return std::nullopt;  // nothing of it is on screen
      // The area is clipped to the client when it is delivered, against the
      // size the window has by then.
      e.kind = EvRepaint;
      r.X = in.a;
      r.Y = in.b;
      r.Value1 = in.c;
      r.Value2 = in.d;
      r.Value3 = 0;
      return e;
    case InputKind::kResize:
      // A minimised window gets no resize; its restore reports the size.
      if (s.minimised) return std::nullopt;
      if (in.a <= 0 || in.b <= 0) return std::nullopt;  // nothing left to show
      e.kind = EvResized;
      r.Value1 = platform::ClampSide(in.a);
      r.Value2 = platform::ClampSide(in.b);
      return e;
    case InputKind::kRestore: {
      // Coming back from the task bar lays the window out again; restoring
      // a window that is not minimised changes nothing.
      if (!s.minimised) return std::nullopt;
      s.minimised = false;
      const platform::Size c = platform::Clamped(ThePlatform().client_size());
      if (c.w <= 0 || c.h <= 0) return std::nullopt;
      e.kind = EvResized;
      r.Value1 = c.w;
      r.Value2 = c.h;
      return e;
    }
    case InputKind::kMinimise:
      s.minimised = true;
      return std::nullopt;
    case InputKind::kKey:
      e.kind = EvKeyPress;
      r.Value1 = in.a;
      return e;
    case InputKind::kButtonDown:
    case InputKind::kButtonUp:
    case InputKind::kButtonDouble:
    case InputKind::kMotion:
      if (in.kind == InputKind::kButtonDown) e.kind = EvButtonDown;
      if (in.kind == InputKind::kButtonUp) e.kind = EvButtonUp;
      if (in.kind == InputKind::kMotion) e.kind = EvMouseMotion;
      if (in.kind == InputKind::kButtonDouble) {
        // Without double-click reporting a double click is one more press.
        e.kind = S().enabled[EvButtonDouble] ? EvButtonDouble : EvButtonDown;
      }
      r.Value1 = in.kind == InputKind::kMotion ? -1 : in.a;
      r.Value2 = in.b;
      r.Value3 = 0;
      r.X = in.x;
      r.Y = in.y;
      SetGraphicsPosition(r, in.x, in.y);
      return e;
    case InputKind::kFrameClick:
      e.kind = EvFrameClick;
      r.Value1 = in.a;
      return e;
    case InputKind::kTimer:
      if (in.a == kInternalTimer) return std::nullopt;
      e.kind = EvTimer;
      r.Value1 = in.a;
      return e;
  }
  return std::nullopt;
}

bool IsRepaintOrResize(int kind) { return kind == EvRepaint || kind == EvResized; }

// What a disabled window would never have received.
bool NeedsEnabledWindow(int kind) {
  return !IsRepaintOrResize(kind) && kind != EvTimer;
}

bool IsUserInput(int kind) {
  return kind == EvKeyPress || kind == EvButtonDown || kind == EvButtonUp ||
         kind == EvMouseMotion || kind == EvButtonDouble || kind == EvFrameClick;
}

// While the application is busy: repaints and resizes wait in the window's
// deferred slot, a resize swallowing a repaint.
void Defer(const Event& e) {
  std::optional<Event>& slot = S().deferred[e.record.Window];
  if (e.kind == EvRepaint && slot && slot->kind == EvResized) return;
  slot = e;
}

void Enqueue(const Event& e) {
  std::deque<Event>& q = S().queue;
  if (e.kind == EvRepaint) {
    // A resize still in the queue redraws everything anyway.
    const bool resize_queued = std::any_of(q.begin(), q.end(), [&](const Event& x) {
      return x.kind == EvResized && x.record.Window == e.record.Window;
    });
    if (resize_queued) return;
  }
  if (q.size() < kQueueLimit) q.push_back(e);
}

class Sink final : public platform::InputSink {
 public:
  void input(const Input& in) override {
    std::optional<Event> e = Translate(in);
    if (!e || !EventEnabled(e->kind)) return;
    EventState& s = S();
    if (!s.windows_enabled && NeedsEnabledWindow(e->kind)) return;
    if (s.waiting) {
      Enqueue(*e);
    } else if (IsRepaintOrResize(e->kind)) {
      Defer(*e);
    } else if (!IsUserInput(e->kind)) {
      Enqueue(*e);
    }
  }
};

// Last touches before an event leaves: repaint areas clipped or widened to
// the client, and a resize makes its size the one window units scale to.
void Finish(Event& e, bool from_deferred_slot) {
  EventRecord& r = e.record;
  RootWindowState& root = Root();
  if (e.kind == EvResized && r.Window == 0) {
    root.client = {r.Value1, r.Value2};
  }
  if (e.kind == EvRepaint) {
    const platform::Size c = root.client;
    // In 64 bits: the area comes from outside and may be anything.
    std::int64_t left = r.X, top = r.Y;
    std::int64_t right = left + r.Value1, bottom = top + r.Value2;
    const bool whole = from_deferred_slot || (r.Value1 <= 0 && r.Value2 <= 0);
    if (whole) {
      left = top = 0;
      right = c.w;
      bottom = c.h;
    }
    left = std::clamp<std::int64_t>(left, 0, c.w);
    top = std::clamp<std::int64_t>(top, 0, c.h);
    right = std::clamp<std::int64_t>(right, left, c.w);
    bottom = std::clamp<std::int64_t>(bottom, top, c.h);
    r.X = static_cast<int>(left);
    r.Y = static_cast<int>(top);
    r.Value1 = static_cast<int>(right - left);
    r.Value2 = static_cast<int>(bottom - top);
    r.Value3 = 0;
    SetGraphicsPosition(r, static_cast<int>(right), static_cast<int>(bottom));
  }
}

std::optional<Event> TakeDeferred() {
  EventState& s = S();
  for (std::optional<Event>& slot : s.deferred) {
    if (!slot) continue;
    Event e = *slot;
    slot.reset();
    if (e.record.Window != 0 || !Root().open) continue;  // its window is gone
    return e;
  }
  return std::nullopt;
}

}  // namespace

platform::InputSink& EventSink() {
  static Sink sink;
  return sink;
}

void ResetEventEnableTable() { S().enabled = kEnabledAtStart; }

bool EventEnabled(int kind) {
  return kind >= 1 && kind <= 16 && S().enabled[static_cast<std::size_t>(kind)];
}

void WindowEventEnable(int kind, bool on) {
  if (kind >= 1 && kind <= 16) S().enabled[static_cast<std::size_t>(kind)] = on;
}

void ClearEventState() {
  EventState& s = S();
  s.pending.reset();
  for (auto& slot : s.deferred) slot.reset();
  s.queue.clear();
  s.waiting = false;
  s.windows_enabled = true;
  s.minimised = false;
}

void QueueDialogEvent(int kind, int window, int value1, int value2) {
  if (!EventEnabled(kind)) return;
  Event e{kind, BlankRecord()};
  e.record.Window = window;
  e.record.Value1 = value1;
  e.record.Value2 = value2;
  Enqueue(e);
}

void SetToolkitWindowsEnabled(bool enabled) { S().windows_enabled = enabled; }
bool ToolkitWindowsEnabled() { return S().windows_enabled; }

void PostPendingEvent(int kind, const EventRecord& record) { S().pending = Event{kind, record}; }

std::int32_t EventTime() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  return static_cast<std::int32_t>(ms.count() & 0x7FFFFFFF);
}

}  // namespace zarv

void WEventWait(int& kind, zarv::EventRecord& record) {
  using namespace zarv;
  EventState& s = S();
  Event e;
  if (s.pending) {
    e = *s.pending;
    s.pending.reset();
    kind = e.kind;
    record = e.record;
    return;
  }
  if (std::optional<Event> d = TakeDeferred()) {
    e = *d;
    Finish(e, /*from_deferred_slot=*/true);
  } else {
    if (s.queue.empty()) {
      platform::Platform& p = ThePlatform();
      s.waiting = true;
      while (s.queue.empty()) p.wait_input();
      s.waiting = false;
    }
    e = s.queue.front();
    s.queue.pop_front();
    Finish(e, /*from_deferred_slot=*/false);
    // This window's deferred input is now out of date.
    if (IsRepaintOrResize(e.kind)) s.deferred[e.record.Window].reset();
  }
  kind = e.kind;
  record = e.record;
}
