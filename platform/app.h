#pragma once

// Runs the windowed program: seeds its random source from the clock, makes
// the main window, the console panel and the GL context, then handles events
// and draws until the user quits. Returns the exit status: 0 after a normal
// run, 1 when the window or a usable GL context cannot be made (after an
// error box, or a line on standard error when there is no display at all).
int run_tarvessa(int argc, char** argv);
