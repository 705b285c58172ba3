#pragma once

// Runs the launcher as the command line asks: the window (or hands over to
// the one already open), --list, or --start. Returns the exit code.
int runLauncher(int argc, char** argv);
