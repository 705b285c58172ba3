#include "support/launcherprocess.h"

#include "platform/processmonitor_linux.h"
#include "plist/plistreader.h"
#include "support/testenvironment.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

QString launcher_process::profileFolder()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + u"/Pelvaro Launcher";
}

QString launcher_process::settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/pelvaro-launcher/pelvaro-launcher.conf";
}

launcher_process::Run launcher_process::run(const QStringList& arguments, int timeoutMs,
                                            const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), arguments);
    Run result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

bool launcher_process::terminatePelvaroWhenRunning(LinuxProcessMonitor& workspace, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (const auto pelvaro = test_files::pelvaroFromThisTest(workspace.runningApplications())) {
            if (!test_files::waitUntilStandInIsReady(pelvaro->processId))
                return false;
            workspace.terminate(*pelvaro);
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

int launcher_process::runningPelvaroCount(LinuxProcessMonitor& workspace)
{
    workspace.rescan();
    int count = 0;
    for (const RunningApplication& application : workspace.runningApplications()) {
        if (test_files::isPelvaroFromThisTest(application))
            ++count;
    }
    return count;
}

PlistDictionary launcher_process::profile(const QString& fileName)
{
    return PlistReader::read(test_files::readBytes(profileFolder() + u'/' + fileName))
        .valueOr(PlistValue())
        .toDictionary();
}
