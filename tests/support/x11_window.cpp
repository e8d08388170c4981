#include "x11_window.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

Window FindWindowOfProcess(Display* display, Window root, Atom pidAtom, pid_t pid) {
  Window rootReturn;
  Window parent;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    Atom type;
    int format;
    unsigned long items;
    unsigned long after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data) == Success &&
        data != nullptr) {
      XWindowAttributes attributes;
      if (items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid &&
          XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
        found = children[i];
      XFree(data);
    }
    if (found == 0) found = FindWindowOfProcess(display, children[i], pidAtom, pid);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

void SleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

X11Session::X11Session(const std::string& display)
    : display_(XOpenDisplay(display.empty() ? nullptr : display.c_str())) {}

X11Session::~X11Session() {
  if (display_) XCloseDisplay(display_);
}

bool X11Session::waitForWindowOf(pid_t pid, double timeoutSeconds) {
  if (display_ == nullptr) return false;
  const Atom pidAtom = XInternAtom(display_, "_NET_WM_PID", False);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (window_ == 0 && std::chrono::steady_clock::now() < deadline) {
    window_ = FindWindowOfProcess(display_, DefaultRootWindow(display_), pidAtom, pid);
    if (window_ == 0) SleepSeconds(0.02);
  }
  return window_ != 0;
}

void X11Session::focus() {
  movePointer(1, 1);
  XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  XSync(display_, False);
}

void X11Session::movePointer(int x, int y) {
  XWarpPointer(display_, None, window_, 0, 0, 0, 0, x, y);
  XSync(display_, False);
}

void X11Session::key(unsigned long keysym, bool down) {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False, CurrentTime);
  XSync(display_, False);
}

void X11Session::button(unsigned int number, bool down) {
  XTestFakeButtonEvent(display_, number, down ? True : False, CurrentTime);
  XSync(display_, False);
}

void X11Session::requestClose() {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window_;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window_, False, NoEventMask, &event);
  XSync(display_, False);
}

bool SendCloseRequest(pid_t pid, double timeoutSeconds, const std::string& display) {
  X11Session session(display);
  if (!session.waitForWindowOf(pid, timeoutSeconds)) return false;
  session.requestClose();
  return true;
}

PrivateXServer::PrivateXServer() {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes its display number and a line feed once it accepts clients.
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!number.empty()) display_ = ":" + number;
}

PrivateXServer::~PrivateXServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}
