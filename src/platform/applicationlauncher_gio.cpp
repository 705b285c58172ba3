// GIO's headers must come before Qt's, whose keyword macros clash with them.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/workspace_linux.h"

#include <QFile>
#include <QTimer>

std::optional<QString> LinuxWorkspace::urlForApplication(const QString& bundleIdentifier)
{
    const QByteArray desktopId = (bundleIdentifier + u".desktop").toUtf8();
    GDesktopAppInfo* info = g_desktop_app_info_new(desktopId.constData());
    if (!info)
        return std::nullopt;
    const char* fileName = g_desktop_app_info_get_filename(info);
    std::optional<QString> location;
    if (fileName)
        location = QFile::decodeName(fileName);
    g_object_unref(info);
    return location;
}

void LinuxWorkspace::openApplication(const QString& location, OpenCompletion completion)
{
    std::optional<QString> failure;
    GDesktopAppInfo* info =
        g_desktop_app_info_new_from_filename(QFile::encodeName(location).constData());
    if (!info) {
        failure = u"The desktop entry \u201C" + location + u"\u201D cannot be read.";
    } else {
        GError* error = nullptr;
        if (!g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error)) {
            failure = QString::fromUtf8(error ? error->message : "unknown error");
            if (error)
                g_error_free(error);
        }
        g_object_unref(info);
    }
    QTimer::singleShot(0, this, [completion = std::move(completion), failure] {
        if (completion)
            completion(failure);
    });
}
