#pragma once

#include <QString>

class LauncherState;
class QWidget;

namespace profile_window {

// Closes `window`, which shows the profile at `url`, once the folder no
// longer lists that profile: renamed or deleted meanwhile, it is no longer
// the window's.
void closeWhenUnlisted(QWidget& window, const LauncherState& state, const QString& url);

} // namespace profile_window
