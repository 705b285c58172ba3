#pragma once

// Runs the launcher's window, or hands over to the window already open.
// This is the window program's whole run; returns the exit code.
int runWindowApplication(int argc, char** argv);
