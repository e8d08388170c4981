#include "window/window.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdio>

namespace {

GLFWwindow* window = nullptr;

void ApplyGLDefaults() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LINE_SMOOTH);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glLineWidth(1.0f);
}

}  // namespace

void InitWindowing() { glfwInit(); }

void TerminateWindowing() {
  glfwTerminate();
  window = nullptr;
}

bool OpenWindow(int width, int height) {
  if (window == nullptr && width > 0 && height > 0 && width <= kMaxWindowSize && height <= kMaxWindowSize) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    window = glfwCreateWindow(width, height, "strobe", nullptr, nullptr);
    if (window != nullptr) {
      glfwMakeContextCurrent(window);
      glfwSwapInterval(1);
      glewInit();
      ApplyGLDefaults();

      glMatrixMode(GL_PROJECTION);
      glPushMatrix();
      glLoadIdentity();
      glOrtho(0.0, width, height, 0.0, -1.0, 1.0);

      glMatrixMode(GL_MODELVIEW);
      glPushMatrix();
      glLoadIdentity();
      return true;
    }
  }
  std::printf("Error, could not create window.");
  return false;
}

bool IsWindowOpen() { return window != nullptr && !glfwWindowShouldClose(window); }

bool HasWindow() { return window != nullptr; }

void SwapBuffersAndPollEvents() {
  glfwSwapBuffers(window);
  glfwPollEvents();
}

int KeyCodeForName(const char* name, unsigned long length) {
  if (length == 0) return 0;
  const unsigned char first = static_cast<unsigned char>(name[0]);
  if (first >= 'a' && first <= 'z') return first - 'a' + 'A';
  // GLFW numbers printable keys by their upper-case character, from the space
  // bar (32) upwards; one byte cannot name the special keys above 255.
  if (first < GLFW_KEY_SPACE || first > 127) return 0;
  return first;
}

bool IsKeyDown(int keyCode) {
  if (window == nullptr || keyCode == 0) return false;
  return glfwGetKey(window, keyCode) == GLFW_PRESS;
}

MouseState PollMouse() {
  MouseState state;
  if (window == nullptr) return state;
  double x = 0.0;
  double y = 0.0;
  glfwGetCursorPos(window, &x, &y);
  state.x = static_cast<int>(std::floor(x));
  state.y = static_cast<int>(std::floor(y));
  state.left = glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_LEFT) == GLFW_PRESS;
  state.right = glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS;
  return state;
}
