// Numbered windows, the event source and the modal requesters.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/window_style.h"

// Event codes.  poll_event returns 0 when nothing waits; any other value is
// the raw number of a message the layer did not translate.
constexpr int EVENT_GADGET = 13100;
constexpr int EVENT_CLOSE_WINDOW = 16;

// Opens a window of the given client size; it becomes the current window.
// Returns its native handle (its identifier for number -1), 0 on failure.
intptr_t open_window(int number, int x, int y, int width, int height, uint32_t flags,
                     const std::string& title);
void close_window(int number);
HWND window_handle();                    // the current window
void resize_window(int width, int height);
int window_height();
void set_tool_window(HWND window, int on);

int wait_event();
int poll_event();
int event_gadget();                      // gadget of the last EVENT_GADGET
int event_type();                        // its notification type (list boxes: 0 selection, 2 double click)

// For long runs: the system's messages (painting, timers, messages other
// programs send) are serviced, the user's input is dropped and no event is
// raised.  service_messages is cheap enough to call once per file: it looks
// at the queue at most every 50 ms.  wait_servicing_messages waits until a
// process (or another waitable handle) is signalled, servicing meanwhile.
void service_messages();
void wait_servicing_messages(HANDLE object);
// As delay, servicing the messages meanwhile: a pause during a run.
void pause_servicing_messages(int milliseconds);

// Modal requesters: the program's other windows are disabled while they are
// open.  message_box returns the id of the button pressed (1 = OK);
// choose_folder returns the chosen folder ending in "\", "" when cancelled.
// Every message box also goes into the run's log (run_log.h).
int message_box(const std::string& title, const std::string& text, uint32_t flags);
// A silent run (/SILENT, /VERYSILENT) shows no message box: message_box only
// logs it and takes the box's first button, OK, for the answer.
void set_silent_run(bool silent);
std::string choose_folder(const std::string& title, const std::string& initial_folder);

// Window and gadget tables; called by init_runtime and release_runtime.
void init_windows();
void release_windows();
