#pragma once

#include <QProxyStyle>

// The desktop's style, with the one picture Qt would read from a file while
// the window is built (the menu bar's overflow arrows) drawn instead:
// reading it made Qt load every image format plugin before the window
// could show (bench_ui, startup-vs-one-line-window).
class LauncherStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    // Wraps `base`, and owns it.
    explicit LauncherStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Puts the application's current style inside a LauncherStyle, once.
    // Does nothing when that style cannot be made again by name.
    static void install();
};
