#include "x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

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
      if (items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid) found = children[i];
      XFree(data);
    }
    if (found == 0) found = FindWindowOfProcess(display, children[i], pidAtom, pid);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

bool SendCloseRequest(pid_t pid, double timeoutSeconds) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  Window target = 0;
  while (target == 0 && std::chrono::steady_clock::now() < deadline) {
    target = FindWindowOfProcess(display, DefaultRootWindow(display), pidAtom, pid);
    if (target == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (target != 0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
  }
  XCloseDisplay(display);
  return target != 0;
}
