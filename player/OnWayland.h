#pragma once
// Whether the program runs as a Wayland client, where a window's surface, its
// sub-surfaces and its geometry follow rules of their own.
#include <QGuiApplication>

namespace korvane {

inline bool OnWayland() {
  static const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  return wayland;
}

}  // namespace korvane
