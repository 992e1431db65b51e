// The root window's event queue: raw input from the backend becomes the
// numbered events that WEventWait hands to the application.
//
// Input that arrives while the application is busy (inside a modal dialog, a
// message box, a program start) is not lost: repaints and resizes wait in a
// per-window deferred slot, where a resize swallows any repaint after it;
// commands and close requests queue up; keys and mouse input are dropped, as
// they were meant for a window the user could not reach.
#pragma once

#include "toolkit/core/window.h"
#include "toolkit/platform/platform.h"

namespace zarv {

// Window numbers the toolkit knows: 0 is the root window, 1..20 children.
inline constexpr int kMaxWindowNumber = 20;

// The sink the backend reports raw input to.
platform::InputSink& EventSink();

// Back to the kinds enabled at start (done when the root window opens and
// when it closes).
void ResetEventEnableTable();
bool EventEnabled(int kind);

// Forgets every deferred, queued and pending event.
void ClearEventState();

// Puts an event into the single pending slot; it is delivered before any
// other. A second post replaces the first.
void PostPendingEvent(int kind, const EventRecord& record);

// Queues an event raised by a shown modeless dialog (kinds 3, 10, 11) behind
// those already waiting, when its kind is enabled. `window` is the dialog
// identifier.
void QueueDialogEvent(int kind, int window, int value1, int value2);

// While a semi-modeless dialog is shown the toolkit's windows are disabled:
// commands, close requests, keys and mouse input meant for them are dropped.
// Repaints and resizes still arrive.
void SetToolkitWindowsEnabled(bool enabled);
bool ToolkitWindowsEnabled();

// Milliseconds since the toolkit started (steady clock).
std::int32_t EventTime();

}  // namespace zarv
