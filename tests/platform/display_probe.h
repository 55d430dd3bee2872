#pragma once

// Whether an X display can be opened ($DISPLAY names one that answers).
// Kept apart from Qt: Xlib's macros clash with Qt's headers.
bool display_available();
