// GIO's headers must come before Qt's, whose keyword macros clash with them.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/applicationlauncher_gio.h"

#include <QFile>

#include <dlfcn.h>
#include <mutex>
#include <thread>

namespace {

// GIO is loaded when an application is first looked up, not at start-up:
// linking it would cost every start the loading of GIO and the libraries
// it needs, for a lookup that most runs make once or never.
struct Gio
{
    decltype(&g_desktop_app_info_new) newInfo = nullptr;
    decltype(&g_desktop_app_info_new_from_filename) newInfoFromFile = nullptr;
    decltype(&g_desktop_app_info_get_filename) fileName = nullptr;
    decltype(&g_desktop_app_info_launch_uris_as_manager) launch = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    decltype(&g_error_free) freeError = nullptr;

    static const Gio* instance()
    {
        static const Gio gio = load();
        return gio.newInfo ? &gio : nullptr;
    }

private:
    static Gio load()
    {
        void* library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return {};
        Gio gio;
        const auto resolve = [library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                ::dlsym(library, name));
            return function != nullptr;
        };
        const bool complete =
            resolve(gio.newInfo, "g_desktop_app_info_new") &&
            resolve(gio.newInfoFromFile, "g_desktop_app_info_new_from_filename") &&
            resolve(gio.fileName, "g_desktop_app_info_get_filename") &&
            resolve(gio.launch, "g_desktop_app_info_launch_uris_as_manager") &&
            resolve(gio.unref, "g_object_unref") && resolve(gio.freeError, "g_error_free");
        // The library stays loaded: GIO registers types that cannot be
        // unloaded.
        return complete ? gio : Gio{};
    }
};

// The one preparation of the process, joined when the process ends: a
// start from the command line begins it before anything else is built.
class Preparation
{
public:
    static Preparation& instance()
    {
        static Preparation preparation;
        return preparation;
    }

    void start(const QString& bundleIdentifier)
    {
        std::call_once(m_started, [&] {
            m_thread = std::thread([desktopId = (bundleIdentifier + u".desktop").toUtf8()] {
                const Gio* gio = Gio::instance();
                if (!gio)
                    return;
                if (GDesktopAppInfo* info = gio->newInfo(desktopId.constData()))
                    gio->unref(info);
            });
        });
    }

    ~Preparation()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    Preparation() = default;

    std::once_flag m_started;
    std::thread m_thread;
};

} // namespace

// Loading GIO and reading the desktop's application folders take a few
// milliseconds that a start from the command line would otherwise wait
// for after applying the profile (bench_e2estart). GIO's lookups may run on
// any thread, and the first use of Gio::instance() waits for the other.
void GioApplicationLauncher::prepare(const QString& bundleIdentifier)
{
    Preparation::instance().start(bundleIdentifier);
}

std::optional<QString>
GioApplicationLauncher::locationForApplication(const QString& bundleIdentifier)
{
    const Gio* gio = Gio::instance();
    if (!gio)
        return std::nullopt;
    const QByteArray desktopId = (bundleIdentifier + u".desktop").toUtf8();
    GDesktopAppInfo* info = gio->newInfo(desktopId.constData());
    if (!info)
        return std::nullopt;
    const char* fileName = gio->fileName(info);
    std::optional<QString> location;
    if (fileName)
        location = QFile::decodeName(fileName);
    gio->unref(info);
    return location;
}

Result<qint64> GioApplicationLauncher::open(const QString& location)
{
    const Gio* gio = Gio::instance();
    if (!gio)
        return PlatformError{
            Operation::launch, ErrorCode::unavailable, QStringLiteral("libgio-2.0.so.0"), 0, {}};
    GDesktopAppInfo* info = gio->newInfoFromFile(QFile::encodeName(location).constData());
    if (!info)
        return PlatformError{Operation::launch, ErrorCode::notFound, location, 0, {}};
    GError* error = nullptr;
    // The same launch as g_app_info_launch(), but it tells the ID of the
    // process it started, and that process stays a child of this one
    // instead of being handed to the system through an intermediate
    // process: after a short life it waits as a zombie, its name still
    // readable, until the caller reaps it.
    qint64 processId = 0;
    const GDesktopAppLaunchCallback started = [](GDesktopAppInfo*, GPid pid, gpointer data) {
        *static_cast<qint64*>(data) = pid;
    };
    const bool launched = gio->launch(info, nullptr, nullptr,
                                      GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                                                  G_SPAWN_LEAVE_DESCRIPTORS_OPEN),
                                      nullptr, nullptr, started, &processId, &error);
    gio->unref(info);
    if (launched)
        return processId;
    // GLib phrases its errors in the user's language itself.
    PlatformError failure{Operation::launch, ErrorCode::systemError, location, 0,
                          QString::fromUtf8(error ? error->message : "")};
    if (error)
        gio->freeError(error);
    return failure;
}
