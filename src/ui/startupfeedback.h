#pragma once

#include <QString>

// Ends the desktop's "starting…" feedback for a start that another launcher
// handed over to this one, whose window comes forward instead of a new one:
// X11's startup notification is told the start is complete, and Wayland's
// activation gets the token the desktop gave that start.
namespace startup_feedback {

// Call right before the window is brought forward.
void complete(const QString& startupId, const QString& activationToken);

} // namespace startup_feedback
