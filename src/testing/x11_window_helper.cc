// Test helper for the desktop window under Xvfb.
//   x11_window_helper close WINDOW_ID
//     asks the window to close the way a window manager's close box does, with
//     a WM_DELETE_WINDOW client message (xdotool windowclose would destroy
//     the window instead);
//   x11_window_helper capture WINDOW_ID OUT.ppm
//     writes what the window shows as a binary PPM image.
// Exits 0 on success, 1 on failure, 2 on wrong usage.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int sendCloseRequest(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return sent != 0 ? 0 : 1;
}

// The position of mask's lowest bit and the mask's value moved down there.
void splitMask(unsigned long mask, int& shift, unsigned long& top) {
  shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  top = mask != 0 ? mask : 1;
}

int capture(Display* display, Window window, const char* path) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return 1;
  XImage* image = XGetImage(display, window, 0, 0, attributes.width,
                            attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return 1;
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) {
    XDestroyImage(image);
    return 1;
  }
  int shifts[3];
  unsigned long tops[3];
  splitMask(image->red_mask, shifts[0], tops[0]);
  splitMask(image->green_mask, shifts[1], tops[1]);
  splitMask(image->blue_mask, shifts[2], tops[2]);
  std::fprintf(out, "P6\n%d %d\n255\n", image->width, image->height);
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      for (int c = 0; c < 3; ++c) {
        std::fputc(
            static_cast<int>(((pixel >> shifts[c]) & tops[c]) * 255 / tops[c]),
            out);
      }
    }
  }
  XDestroyImage(image);
  return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
  const bool shoot = argc == 4 && std::strcmp(argv[1], "capture") == 0;
  if (!close && !shoot) {
    std::fprintf(stderr,
                 "usage: x11_window_helper close WINDOW_ID\n"
                 "       x11_window_helper capture WINDOW_ID OUT.ppm\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x11_window_helper: cannot open the display\n");
    return 1;
  }
  const Window window = std::strtoul(argv[2], nullptr, 0);
  const int status = close ? sendCloseRequest(display, window)
                           : capture(display, window, argv[3]);
  XCloseDisplay(display);
  return status;
}
