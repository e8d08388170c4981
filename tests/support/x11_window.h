#pragma once
// Drives the host's window from outside, as a user and a window manager would:
// real X events through the XTEST extension, and WM_DELETE_WINDOW requests.
#include <sys/types.h>

#include <X11/Xlib.h>

#include <string>

class X11Session {
 public:
  // Connects to `display`, or to $DISPLAY when it is empty.
  explicit X11Session(const std::string& display = "");
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
bool SendCloseRequest(pid_t pid, double timeoutSeconds = 10.0, const std::string& display = "");

void SleepSeconds(double seconds);

// A private Xvfb server for tests that need the keyboard focus to themselves.
class PrivateXServer {
 public:
  PrivateXServer();
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;
  // ":N", or empty when the server could not be started.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};
