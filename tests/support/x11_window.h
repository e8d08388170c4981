#pragma once
// Drives the host's window from outside, as a user and a window manager would:
// real X events through the XTEST extension, and WM_DELETE_WINDOW requests.
#include <sys/types.h>

#include <X11/Xlib.h>

class X11Session {
 public:
  X11Session();
  ~X11Session();
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;

  // Waits until a viewable top-level window of process `pid` exists.
  bool waitForWindowOf(pid_t pid, double timeoutSeconds = 10.0);
  // Gives the window the keyboard focus and puts the pointer over it.
  void focus();
  // Pointer position relative to the window's client area.
  void movePointer(int x, int y);
  // Presses or releases the key that produces `keysym` (XK_a, XK_space ...).
  void key(unsigned long keysym, bool down);
  // Presses or releases mouse button 1 (left) to 3 (right).
  void button(unsigned int number, bool down);
  // Sends WM_DELETE_WINDOW, as a window manager's close button does.
  void requestClose();

 private:
  Display* display_ = nullptr;
  Window window_ = 0;
};

// Waits for the window of `pid` and sends it a close request.
bool SendCloseRequest(pid_t pid, double timeoutSeconds = 10.0);

void SleepSeconds(double seconds);
