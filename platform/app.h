#pragma once

class QCoreApplication;

// Runs the windowed program, `tarvessa [--reset-settings] [FILE.gr]`: reads
// the command line, seeds its random source from the clock, reads the
// preferences kept from the last run (or, with --reset-settings, forgets
// them), makes the main window, the console panel and the GL context, loads
// the file given, if any, as Open does, then handles events and draws until
// the user quits. Returns the exit status: 0 after a normal run (and after
// --help, which prints the usage); 1 when the window or a usable GL context
// cannot be made (after an error box, or a line on standard error when there
// is no display at all); 2 for a command line it does not accept, after a
// French message and the usage on standard error.
int run_tarvessa(int argc, char** argv);

// Makes Qt's own texts (standard dialogs, buttons, context menus) French:
// sets the default locale to French and installs Qt's French translations,
// when they are installed. Returns whether they were found.
bool install_french_translations(QCoreApplication& app);
