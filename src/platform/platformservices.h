#pragma once

#include <QString>

class FileSystem;
class FolderChooser;
class PreferencesService;
class SystemLog;
class UserDefaults;
class Workspace;

// The services the launcher's state works through. The pointers are not
// owned; whoever builds the state keeps the services alive longer than it.
struct PlatformServices
{
    FileSystem* fileSystem = nullptr;
    UserDefaults* userDefaults = nullptr;
    SystemLog* log = nullptr;
    // Pelvaro's preferences domain.
    PreferencesService* preferences = nullptr;
    Workspace* workspace = nullptr;
    // May be none (no window): choosing a folder then does nothing.
    FolderChooser* folderChooser = nullptr;
    QString homePath;
    // The user's application-support folder; empty when the system has none.
    QString applicationSupportPath;
};
