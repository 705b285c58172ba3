#pragma once

#include "plist/plistvalue.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class LinuxProcessMonitor;

// The launcher's executable run as a user runs it, in this test's sandbox.
namespace launcher_process {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The default profile folder and the settings file of the sandbox.
QString profileFolder();
QString settingsFile();

Run run(const QStringList& arguments, int timeoutMs = 30000,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// Terminates the first stand-in Pelvaro once it is running and ready to
// save; false when none ran within the time.
bool terminatePelvaroWhenRunning(LinuxProcessMonitor& workspace, int timeoutMs = 10000);
// How many stand-in Pelvaro processes run now.
int runningPelvaroCount(LinuxProcessMonitor& workspace);

PlistDictionary profile(const QString& fileName);

} // namespace launcher_process
