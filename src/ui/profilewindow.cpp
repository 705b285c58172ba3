#include "ui/profilewindow.h"

#include "state/launcherstate.h"

#include <QWidget>

void profile_window::closeWhenUnlisted(QWidget& window, const LauncherState& state,
                                       const QString& url)
{
    QObject::connect(&state, &LauncherState::profilesChanged, &window, [&window, &state, url] {
        if (!state.listedProfile(url))
            window.close();
    });
}
