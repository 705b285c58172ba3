#include "support/pelvaroroad.h"

#include "plist/plistreader.h"
#include "target/pelvaroapplication.h"

#include <QDir>

PelvaroRoad::PelvaroRoad(int scanIntervalMs)
    : m_workspace(scanIntervalMs),
      m_preferences(m_env.fileSystem, QDir::homePath(), pelvaro::bundleIdentifier)
{
    // The stand-in reads the process's own home, so the state does too.
    PlatformServices services = m_env.services();
    services.workspace = &m_workspace.workspace;
    services.preferences = &m_preferences;
    services.homePath = QDir::homePath();
    QDir().mkpath(m_env.defaultFolder());
    if (!test_files::writeBinaryPlist(
            m_env.defaultFolder() + u"/Work.plist",
            PlistValue(test_files::dictionary(
                {{QStringLiteral("Color"), PlistValue(QStringLiteral("blue"))}}))))
        qFatal("cannot write the road's profile");
    m_state = std::make_unique<LauncherState>(services);
}

PlistDictionary PelvaroRoad::profileContent(const QString& fileName) const
{
    return PlistReader::read(test_files::readBytes(m_env.defaultFolder() + u'/' + fileName))
        .valueOr(PlistValue())
        .toDictionary();
}

std::optional<RunningApplication> PelvaroRoad::runningPelvaro()
{
    return test_files::pelvaroFromThisTest(m_workspace.workspace.runningApplications());
}

void PelvaroRoad::terminatePelvaro()
{
    if (const std::optional<RunningApplication> pelvaro = runningPelvaro()) {
        test_files::waitUntilStandInIsReady(pelvaro->processId);
        m_workspace.workspace.terminate(*pelvaro);
    }
}
