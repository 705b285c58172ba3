#include "ui/launcherstyle.h"

#include "ui/symbols.h"

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

LauncherStyle::LauncherStyle(QStyle* base) : QProxyStyle(base) {}

QIcon LauncherStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                  const QWidget* widget) const
{
    if (standardIcon == SP_ToolBarHorizontalExtensionButton) {
        const QPalette palette = widget   ? widget->palette()
                                 : option ? option->palette
                                          : QApplication::palette();
        const Qt::LayoutDirection direction = widget   ? widget->layoutDirection()
                                              : option ? option->direction
                                                       : QGuiApplication::layoutDirection();
        return symbols::chevronsForward(palette.color(QPalette::ButtonText), direction);
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

void LauncherStyle::install()
{
    QStyle* current = QApplication::style();
    if (!current || qobject_cast<LauncherStyle*>(current))
        return;
    // The style the user chose (a -style argument, QT_STYLE_OVERRIDE or the
    // desktop's), made anew: the application deletes the one it replaces.
    if (QStyle* base = QStyleFactory::create(current->name()))
        QApplication::setStyle(new LauncherStyle(base));
}
