#pragma once

// Runs the launcher's window, or hands over to the window already open: the
// whole run of a launcher that opens a window. Returns the exit code. The
// window module exports it under this unmangled name.
extern "C" __attribute__((visibility("default"))) int pelvaroLauncherRunWindow(int argc,
                                                                               char** argv);
