#pragma once

#include "app/commandline.h"

// The commands that read or change profile files without a window: each
// returns the process's exit code.
namespace profile_commands {

int list(const LaunchRequest& request);
// The profile as an XML property list on standard output.
int show(const LaunchRequest& request);
// What differs, as diff(1) answers: 0 equal, 1 different, 2 trouble.
int diff(const LaunchRequest& request);
int history(const LaunchRequest& request);
int restore(const LaunchRequest& request);
// Adds the profile to the user's applications menu and prints the entry's
// path.
int createShortcut(const LaunchRequest& request);

} // namespace profile_commands
