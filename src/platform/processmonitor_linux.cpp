#include "platform/processmonitor_linux.h"

#include "platform/logging.h"
#include "platform/posixfile_linux.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using posix_file::FileDescriptor;

int openPidfd(qint64 processId)
{
    return int(::syscall(SYS_pidfd_open, pid_t(processId), 0));
}

bool readSmallFile(int directoryFd, const char* path, char* buffer, size_t size, size_t* length)
{
    const FileDescriptor fd(::openat(directoryFd, path, O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return false;
    const ssize_t count = posix_file::retrying([&] { return ::read(fd.get(), buffer, size - 1); });
    if (count <= 0)
        return false;
    buffer[count] = '\0';
    *length = size_t(count);
    return true;
}

struct ProcessStat
{
    char state = '?';
    quint64 startTime = 0;
    // The same bytes as /proc/PID/comm, without its newline.
    QString name;
};

// /proc/PID/stat: "pid (comm) state ppid ... starttime(22nd) ..."; the name
// may hold spaces and parentheses, so fields are counted after the last ')'.
std::optional<ProcessStat> readStat(int procFd, const char* pid)
{
    char path[300];
    std::snprintf(path, sizeof path, "%s/stat", pid);
    char buffer[1024];
    size_t length = 0;
    if (!readSmallFile(procFd, path, buffer, sizeof buffer, &length))
        return std::nullopt;
    const char* close = std::strrchr(buffer, ')');
    if (!close)
        return std::nullopt;
    ProcessStat stat;
    // Read from here, a scan opens one file per process instead of two.
    const char* open = std::strchr(buffer, '(');
    if (!open || open > close)
        return std::nullopt;
    stat.name = QString::fromUtf8(open + 1, qsizetype(close - open - 1));
    const char* cursor = close + 1;
    int field = 2;
    while (*cursor && field < 22) {
        while (*cursor == ' ')
            ++cursor;
        ++field;
        if (field == 3)
            stat.state = *cursor;
        if (field == 22) {
            stat.startTime = std::strtoull(cursor, nullptr, 10);
            return stat;
        }
        while (*cursor && *cursor != ' ')
            ++cursor;
    }
    return std::nullopt;
}

std::optional<QString> readName(int procFd, const char* pid)
{
    char path[300];
    std::snprintf(path, sizeof path, "%s/comm", pid);
    char buffer[64];
    size_t length = 0;
    if (!readSmallFile(procFd, path, buffer, sizeof buffer, &length))
        return std::nullopt;
    if (length > 0 && buffer[length - 1] == '\n')
        --length;
    return QString::fromUtf8(buffer, qsizetype(length));
}

bool isProcessId(const char* name)
{
    if (!*name)
        return false;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
    }
    return true;
}

} // namespace

LinuxProcessMonitor::LinuxProcessMonitor(QStringList promptNames, int scanIntervalMs,
                                         QObject* parent)
    : ProcessMonitor(parent), m_promptNames(std::move(promptNames)), m_userId(::getuid())
{
    m_clock.start();
    scan(/*announce=*/false);
    m_scanTimer.setInterval(scanIntervalMs);
    connect(&m_scanTimer, &QTimer::timeout, this, [this] { scan(/*announce=*/true); });
    m_scanTimer.start();
    connect(&m_launchScanTimer, &QTimer::timeout, this, [this] {
        if (--m_launchScansLeft <= 0)
            stopScanningForLaunch();
        else if (m_launchScansLeft == launchScans / 2)
            m_launchScanTimer.setInterval(launchScanIntervalMs * 4);
        scan(/*announce=*/true);
    });
    m_launchTargetTimer.setInterval(launchTargetIntervalMs);
    connect(&m_launchTargetTimer, &QTimer::timeout, this, &LinuxProcessMonitor::checkLaunchTargets);
}

LinuxProcessMonitor::~LinuxProcessMonitor()
{
    for (Process& process : m_processes)
        forget(process.exit);
    // Children still running are left to the system, which reaps them once
    // this process has gone.
    for (ExitWatch& child : m_children)
        forget(child);
}

QList<RunningApplication> LinuxProcessMonitor::runningApplications()
{
    QList<const Process*> ordered;
    ordered.reserve(m_processes.size());
    for (const Process& process : std::as_const(m_processes))
        ordered.append(&process);
    std::sort(ordered.begin(), ordered.end(),
              [](const Process* a, const Process* b) { return a->sequence < b->sequence; });
    QList<RunningApplication> applications;
    applications.reserve(ordered.size());
    for (const Process* process : ordered)
        applications.append(process->application);
    return applications;
}

void LinuxProcessMonitor::terminate(const RunningApplication& application)
{
    const auto found = m_processes.find(application.processId);
    if (found == m_processes.end() || found->application.startTime != application.startTime)
        return;
    if (found->exit.pidfd >= 0) {
        ::syscall(SYS_pidfd_send_signal, found->exit.pidfd, SIGTERM, nullptr, 0);
        return;
    }
    // Without a pidfd, check owner and start time right before the signal so
    // that a reused process ID never receives it.
    const QByteArray pid = QByteArray::number(application.processId);
    const FileDescriptor proc(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!proc.valid())
        return;
    struct stat info
    {
    };
    const std::optional<ProcessStat> stat = readStat(proc.get(), pid.constData());
    const bool same = ::fstatat(proc.get(), pid.constData(), &info, 0) == 0 &&
                      info.st_uid == m_userId && stat && stat->startTime == application.startTime;
    if (same)
        ::kill(pid_t(application.processId), SIGTERM);
}

void LinuxProcessMonitor::watchLaunch(qint64 processId)
{
    followLaunchedProcess(processId, Reaping::adopt);
    scanOftenForLaunch();
}

void LinuxProcessMonitor::scanOftenForLaunch()
{
    m_launchScansLeft = launchScans;
    m_launchScanTimer.start(launchScanIntervalMs);
}

void LinuxProcessMonitor::stopScanningForLaunch()
{
    m_launchScansLeft = 0;
    m_launchScanTimer.stop();
}

void LinuxProcessMonitor::recognised()
{
    if (!m_launchTargets.isEmpty() || m_launchScanTimer.isActive())
        qCDebug(lcProcesses) << "launch recognised; quick scans and following stop";
    // What was just opened is here, and its exit will be heard of.
    stopScanningForLaunch();
    m_launchTargets.clear();
    m_launchTargetTimer.stop();
}

void LinuxProcessMonitor::rescan()
{
    scan(/*announce=*/true);
}

void LinuxProcessMonitor::scan(bool announce)
{
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return;
    const int procFd = ::dirfd(proc);
    QSet<qint64> present;
    present.reserve(m_processes.size() + 16);
    QList<RunningApplication> launched;
    QList<RunningApplication> terminated;
    while (const dirent* entry = ::readdir(proc)) {
        if (!isProcessId(entry->d_name))
            continue;
        struct stat info
        {
        };
        if (::fstatat(procFd, entry->d_name, &info, 0) != 0 || info.st_uid != m_userId)
            continue;
        const qint64 processId = std::strtoll(entry->d_name, nullptr, 10);
        const auto known = m_processes.find(processId);
        if (known != m_processes.end() && known->inode == info.st_ino) {
            present.insert(processId);
            if (refreshName(procFd, entry->d_name, *known))
                launched.append(known->application);
            continue;
        }
        // A new entry, or a known ID whose /proc inode changed: the start
        // time tells a reused ID from the same process.
        const std::optional<ProcessStat> stat = readStat(procFd, entry->d_name);
        if (!stat || stat->state == 'Z')
            continue;
        const auto exited = m_exited.constFind(processId);
        if (exited != m_exited.constEnd() && *exited == stat->startTime) {
            present.insert(processId);
            continue;
        }
        if (known != m_processes.end()) {
            if (known->application.startTime == stat->startTime) {
                known->inode = info.st_ino;
                present.insert(processId);
                continue;
            }
            terminated.append(known->application);
            forget(known->exit);
            m_processes.erase(known);
        }
        Process process;
        process.application = {processId, stat->startTime, stat->name};
        process.sequence = m_nextSequence++;
        process.firstSeenMs = m_clock.elapsed();
        process.inode = info.st_ino;
        auto inserted = m_processes.insert(processId, process);
        if (isPromptName(inserted->application.localizedName)) {
            watchExit(*inserted);
            recognised();
        }
        present.insert(processId);
        launched.append(inserted->application);
    }
    ::closedir(proc);

    for (auto it = m_processes.begin(); it != m_processes.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        terminated.append(it->application);
        forget(it->exit);
        it = m_processes.erase(it);
    }
    for (auto it = m_exited.begin(); it != m_exited.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = m_exited.erase(it);
    }
    if (!announce)
        return;
    // The snapshot is complete before anyone hears of a change.
    for (const RunningApplication& application : std::as_const(terminated)) {
        qCDebug(lcProcesses) << "exited:" << application.processId
                             << application.localizedName.value_or(QString());
        emit applicationTerminated(application);
    }
    for (const RunningApplication& application : std::as_const(launched)) {
        qCDebug(lcProcesses) << "launched:" << application.processId
                             << application.localizedName.value_or(QString());
        emit applicationLaunched(application);
    }
}

bool LinuxProcessMonitor::isPromptName(const std::optional<QString>& name) const
{
    return name && m_promptNames.contains(*name);
}

bool LinuxProcessMonitor::refreshName(int procFd, const char* pid, Process& process)
{
    if (isPromptName(process.application.localizedName))
        return false;
    const bool young = m_clock.elapsed() - process.firstSeenMs < nameSettleMs;
    if (!young && !m_launchTargets.contains(process.application.processId))
        return false;
    std::optional<QString> name = readName(procFd, pid);
    if (!name || name == process.application.localizedName)
        return false;
    process.application.localizedName = std::move(name);
    if (!isPromptName(process.application.localizedName))
        return false;
    watchExit(process);
    recognised();
    return true;
}

void LinuxProcessMonitor::followLaunchedProcess(qint64 processId, Reaping reaping)
{
    if (processId <= 0)
        return;
    qCDebug(lcProcesses) << "following started process" << processId;
    if (reaping == Reaping::adopt)
        adopt(processId);
    m_launchTargets.insert(processId);
    m_launchTargetTimer.start();
}

void LinuxProcessMonitor::adopt(qint64 processId)
{
    if (m_children.contains(processId))
        return;
    // An unreaped child cannot lose its ID to another process, so the pidfd
    // is its own even when it has exited already.
    ExitWatch child;
    if (watch(child, processId, &LinuxProcessMonitor::handleChildExit))
        m_children.insert(processId, child);
}

// The child is a zombie now: its last name and start time are still there
// to read, until it is reaped below.
void LinuxProcessMonitor::handleChildExit(qint64 processId)
{
    if (!m_children.contains(processId))
        return;
    ExitWatch child = m_children.take(processId);
    const FileDescriptor proc(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const QByteArray pid = QByteArray::number(processId);
    const std::optional<ProcessStat> stat =
        proc.valid() ? readStat(proc.get(), pid.constData()) : std::nullopt;
    ::waitpid(pid_t(processId), nullptr, WNOHANG);
    forget(child);
    m_launchTargets.remove(processId);
    if (m_launchTargets.isEmpty())
        m_launchTargetTimer.stop();
    const auto exited = m_exited.constFind(processId);
    const bool exitAnnounced = stat && exited != m_exited.constEnd() && *exited == stat->startTime;
    // Reaped, it is gone from /proc.
    m_exited.remove(processId);
    if (const auto known = m_processes.find(processId); known != m_processes.end()) {
        // Seen under the wrapper's name, it became the application after
        // the last look.
        if (stat && !isPromptName(known->application.localizedName) && isPromptName(stat->name)) {
            known->application.localizedName = stat->name;
            const RunningApplication renamed = known->application;
            recognised();
            emit applicationLaunched(renamed);
        }
        handleExit(processId);
        m_exited.remove(processId);
        return;
    }
    if (!stat || exitAnnounced || !isPromptName(stat->name))
        return;
    // It lived and went between two looks: announced as it was, so that
    // whoever waits for it hears both its start and its end.
    qCDebug(lcProcesses) << "launched and exited between scans:" << processId << stat->name;
    const RunningApplication application{processId, stat->startTime, stat->name};
    Process process;
    process.application = application;
    process.sequence = m_nextSequence++;
    process.firstSeenMs = m_clock.elapsed();
    m_processes.insert(processId, process);
    recognised();
    emit applicationLaunched(application);
    if (m_processes.remove(processId) > 0)
        emit applicationTerminated(application);
}

// Only the started processes' names are read here; the whole of /proc is
// scanned again only once one of them has taken a prompt name.
void LinuxProcessMonitor::checkLaunchTargets()
{
    const FileDescriptor proc(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!proc.valid())
        return;
    bool renamed = false;
    for (auto it = m_launchTargets.begin(); it != m_launchTargets.end();) {
        const QByteArray pid = QByteArray::number(*it);
        const std::optional<QString> name = readName(proc.get(), pid.constData());
        if (!name) {
            it = m_launchTargets.erase(it);
            continue;
        }
        renamed = renamed || isPromptName(name);
        ++it;
    }
    if (renamed)
        scan(/*announce=*/true);
    if (m_launchTargets.isEmpty())
        m_launchTargetTimer.stop();
}

void LinuxProcessMonitor::watchExit(Process& process)
{
    watch(process.exit, process.application.processId, &LinuxProcessMonitor::handleExit);
}

bool LinuxProcessMonitor::watch(ExitWatch& exit, qint64 processId,
                                void (LinuxProcessMonitor::*handler)(qint64))
{
    const int pidfd = openPidfd(processId);
    if (pidfd < 0)
        return false;
    exit.pidfd = pidfd;
    exit.notifier = new QSocketNotifier(pidfd, QSocketNotifier::Read, this);
    connect(exit.notifier, &QSocketNotifier::activated, this,
            [this, processId, handler] { (this->*handler)(processId); });
    return true;
}

void LinuxProcessMonitor::handleExit(qint64 processId)
{
    const auto found = m_processes.find(processId);
    if (found == m_processes.end())
        return;
    const RunningApplication application = found->application;
    qCDebug(lcProcesses) << "exit heard through pidfd:" << processId;
    m_exited.insert(processId, application.startTime);
    forget(found->exit);
    m_processes.erase(found);
    emit applicationTerminated(application);
}

void LinuxProcessMonitor::forget(ExitWatch& exit)
{
    if (exit.notifier) {
        exit.notifier->setEnabled(false);
        exit.notifier->deleteLater();
        exit.notifier = nullptr;
    }
    if (exit.pidfd >= 0) {
        ::close(exit.pidfd);
        exit.pidfd = -1;
    }
}
