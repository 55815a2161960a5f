#pragma once
// The Escape key's asynchronous state: down now anywhere on the display, or
// pressed in this program since the last query.

namespace korvane {

// Records that an Esc key press reached the program (GUI thread).
void NoteEscapePressed();
// True when Esc is held down now (X11 key map, whichever program is in front)
// or NoteEscapePressed was called since the previous query. GUI thread only.
bool EscapeKeyState();

}  // namespace korvane
