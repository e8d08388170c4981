#pragma once
// The one window, its GL context, the GL defaults, the pixel projection, and
// key and mouse polling, on GLFW 3.

void InitWindowing();
void TerminateWindowing();

// Opens the window with a width x height client area, makes its context
// current, loads the GL extensions and sets the GL defaults, the y-down pixel
// projection and an identity modelview. Prints "Error, could not create
// window." (no line end) and changes nothing else when the window cannot be
// made, or when one is already open.
bool OpenWindow(int width, int height);

// Larger sides are refused: X11 carries window sizes in 16 bits and Mesa's
// software path faults on buffers that large, taking the process with it.
constexpr int kMaxWindowSize = 16384;

// A window exists and has no close request.
bool IsWindowOpen();
// A window (and so a GL context) exists.
bool HasWindow();

// Shows the frame and takes in window events (keys, mouse, close request).
void SwapBuffersAndPollEvents();

// Key code from the first byte of a key name: a-z count as A-Z. Returns 0
// (no key) for an empty name and for bytes outside printable ASCII.
int KeyCodeForName(const char* name, unsigned long length);
bool IsKeyDown(int keyCode);

struct MouseState {
  int x = 0;
  int y = 0;
  bool left = false;
  bool right = false;
};
MouseState PollMouse();
