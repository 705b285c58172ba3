<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AppDelegate</name>
    <message>
        <source>Pelvaro Launcher</source>
        <translation>Pelvaro Launcher</translation>
    </message>
    <message>
        <source>About Pelvaro Launcher</source>
        <translation>Über Pelvaro Launcher</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Pelvaro is still running.</source>
        <translation>Pelvaro läuft noch.</translation>
    </message>
    <message>
        <source>If you quit Pelvaro Launcher now, it will not save any changes to the active Pelvaro profile. Do you really want to quit?</source>
        <translation>Wenn Sie Pelvaro Launcher jetzt beenden, werden keine Änderungen im aktiven Pelvaro-Profil gesichert. Wirklich beenden?</translation>
    </message>
    <message>
        <source>Don&apos;t quit</source>
        <translation>Nicht beenden</translation>
    </message>
    <message>
        <source>A launcher for managing Pelvaro preference profiles.

Copies the selected profile into Pelvaro&apos;s preferences, launches Pelvaro, and saves any changes back to the profile when Pelvaro quits.</source>
        <translation>Ein Starter zum Verwalten von Pelvaro-Einstellungsprofilen.

Kopiert das gewählte Profil in die Einstellungen von Pelvaro, startet Pelvaro und sichert alle Änderungen zurück in das Profil, wenn Pelvaro beendet wird.</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>ChangeTree</name>
    <message>
        <source>Setting</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>Vorher</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Nachher</translation>
    </message>
    <message>
        <source>Changed settings</source>
        <translation>Geänderte Einstellungen</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(keine)</translation>
    </message>
    <message>
        <source>%1 added: %2</source>
        <translation>%1 hinzugefügt: %2</translation>
    </message>
    <message>
        <source>%1 removed, was %2</source>
        <translation>%1 entfernt, war %2</translation>
    </message>
    <message>
        <source>%1 changed from %2 to %3</source>
        <translation>%1 geändert von %2 zu %3</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Manages preference profiles for Pelvaro.

Without options, opens the launcher&apos;s window, or brings an open one to the front.</source>
        <translation>Verwaltet Einstellungsprofile für Pelvaro.

Ohne Optionen öffnet es das Fenster des Starters oder holt ein offenes nach vorn.</translation>
    </message>
    <message>
        <source>Shows this help.</source>
        <translation>Zeigt diese Hilfe.</translation>
    </message>
    <message>
        <source>Shows the version.</source>
        <translation>Zeigt die Version.</translation>
    </message>
    <message>
        <source>Prints the profiles&apos; file names, one a line. Control characters in a name are written as C escapes (\n, \t, \xHH), and a backslash as \\.</source>
        <translation>Gibt die Dateinamen der Profile aus, einen je Zeile. Steuerzeichen in einem Namen werden als C-Escapes geschrieben (\n, \t, \xHH), ein Backslash als \\.</translation>
    </message>
    <message>
        <source>Starts the profile with this file name or name.</source>
        <translation>Startet das Profil mit diesem Dateinamen oder Namen.</translation>
    </message>
    <message>
        <source>Uses this profile folder instead of the chosen one, without changing any setting.</source>
        <translation>Verwendet diesen Profilordner statt des gewählten, ohne eine Einstellung zu ändern.</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Unbekannte Option „%1“.</translation>
    </message>
    <message>
        <source>Unexpected argument &quot;%1&quot;.</source>
        <translation>Unerwartetes Argument „%1“.</translation>
    </message>
    <message>
        <source>--list and --start cannot be used together.</source>
        <translation>--list und --start können nicht zusammen verwendet werden.</translation>
    </message>
    <message>
        <source>--start and --folder can each be given once.</source>
        <translation>--start und --folder dürfen je nur einmal angegeben werden.</translation>
    </message>
    <message>
        <source>--folder needs a folder.</source>
        <translation>--folder braucht einen Ordner.</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; cannot be used to reach the running launcher: it must be a folder of yours that only you can open. Remove it, or set XDG_RUNTIME_DIR.</source>
        <translation>Der Ordner „%1“ kann nicht verwendet werden, um den laufenden Starter zu erreichen: Er muss Ihnen gehören und darf nur für Sie zugänglich sein. Entfernen Sie ihn oder setzen Sie XDG_RUNTIME_DIR.</translation>
    </message>
    <message>
        <source>Waiting for the running launcher…</source>
        <translation>Warten auf den laufenden Starter …</translation>
    </message>
    <message>
        <source>The launcher&apos;s socket belongs to another user.</source>
        <translation>Der Socket des Starters gehört einem anderen Benutzer.</translation>
    </message>
    <message>
        <source>Another Pelvaro Launcher is running but does not answer.</source>
        <translation>Ein anderer Pelvaro Launcher läuft, antwortet aber nicht.</translation>
    </message>
    <message>
        <source>No profile folder is available.</source>
        <translation>Es ist kein Profilordner verfügbar.</translation>
    </message>
    <message>
        <source>Folder does not exist.</source>
        <translation>Der Ordner existiert nicht.</translation>
    </message>
    <message>
        <source>Pelvaro is already running; quit it before starting a profile.</source>
        <translation>Pelvaro läuft bereits; beenden Sie es, bevor Sie ein Profil starten.</translation>
    </message>
    <message>
        <source>A profile started from the command line is running. The window can open once Pelvaro has quit.</source>
        <translation>Ein über die Befehlszeile gestartetes Profil läuft. Das Fenster kann geöffnet werden, sobald Pelvaro beendet ist.</translation>
    </message>
    <message>
        <source>Pelvaro did not start.</source>
        <translation>Pelvaro wurde nicht gestartet.</translation>
    </message>
    <message>
        <source>No profile named &quot;%1&quot; in &quot;%2&quot;.</source>
        <translation>Kein Profil namens „%1“ in „%2“.</translation>
    </message>
    <message>
        <source>The name &quot;%1&quot; matches more than one profile: %2. Give the file name instead.</source>
        <translation>Der Name „%1“ passt zu mehr als einem Profil: %2. Geben Sie stattdessen den Dateinamen an.</translation>
    </message>
    <message>
        <source>Prints the profile as an XML property list.</source>
        <translation>Gibt das Profil als XML-Property-List aus.</translation>
    </message>
    <message>
        <source>Prints what differs between the profile and another profile, or Pelvaro&apos;s current preferences when none is given. Exits with 0 when they are equal, 1 when they differ, 2 on errors.</source>
        <translation>Gibt aus, was sich zwischen dem Profil und einem anderen Profil unterscheidet, oder den aktuellen Einstellungen von Pelvaro, wenn keines angegeben ist. Endet mit 0, wenn sie gleich sind, 1, wenn sie sich unterscheiden, 2 bei Fehlern.</translation>
    </message>
    <message>
        <source>Lists the profile&apos;s kept versions, newest first.</source>
        <translation>Listet die aufbewahrten Versionen des Profils auf, die neueste zuerst.</translation>
    </message>
    <message>
        <source>Makes a kept version (as --history names it) the profile&apos;s content; the content it replaces is kept as a version.</source>
        <translation>Macht eine aufbewahrte Version (wie --history sie nennt) zum Inhalt des Profils; der ersetzte Inhalt wird als Version aufbewahrt.</translation>
    </message>
    <message>
        <source>With --diff, the other profile; with --restore, the version.</source>
        <translation>Mit --diff das andere Profil, mit --restore die Version.</translation>
    </message>
    <message>
        <source>%1 and %2 cannot be used together.</source>
        <translation>%1 und %2 können nicht zusammen verwendet werden.</translation>
    </message>
    <message>
        <source>%1 can be given once.</source>
        <translation>%1 darf nur einmal angegeben werden.</translation>
    </message>
    <message>
        <source>--restore needs the version to restore, as --history names it.</source>
        <translation>--restore braucht die wiederherzustellende Version, wie --history sie nennt.</translation>
    </message>
    <message>
        <source>--folder goes with a command, such as --list or --start.</source>
        <translation>--folder gehört zu einem Befehl wie --list oder --start.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds no readable settings.</source>
        <translation>„%1“ enthält keine lesbaren Einstellungen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds a value that an XML property list cannot carry.</source>
        <translation>„%1“ enthält einen Wert, den eine XML-Property-List nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>1 setting changed after it</source>
        <translation>danach 1 Einstellung geändert</translation>
    </message>
    <message>
        <source>%1 settings changed after it</source>
        <translation>danach %1 Einstellungen geändert</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no version named &quot;%2&quot;.</source>
        <translation>„%1“ hat keine Version namens „%2“.</translation>
    </message>
    <message>
        <source>Pelvaro is running; quit it before restoring a version.</source>
        <translation>Pelvaro läuft; beenden Sie es, bevor Sie eine Version wiederherstellen.</translation>
    </message>
    <message>
        <source>Could not restore &quot;%1&quot;: %2</source>
        <translation>„%1“ konnte nicht wiederhergestellt werden: %2</translation>
    </message>
    <message>
        <source>the version holds no readable settings.</source>
        <translation>die Version enthält keine lesbaren Einstellungen.</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; cannot be used to reach the running launcher: its path is too long for a socket. Set XDG_RUNTIME_DIR or TMPDIR to a shorter folder.</source>
        <translation>Über den Ordner „%1“ ist der laufende Starter nicht erreichbar: Sein Pfad ist für einen Socket zu lang. Setzen Sie XDG_RUNTIME_DIR oder TMPDIR auf einen kürzeren Ordner.</translation>
    </message>
    <message>
        <source>Other launchers cannot reach this one: %1</source>
        <translation>Andere Starter können diesen nicht erreichen: %1</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos;.</source>
        <translation>„%1 --help“ gibt weitere Informationen.</translation>
    </message>
    <message>
        <source>There is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set). The commands, such as --list, work without one.</source>
        <translation>Es gibt keine Anzeige, auf der sich das Fenster öffnen könnte (weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt). Die Befehle, etwa --list, funktionieren ohne.</translation>
    </message>
    <message>
        <source>write error: %1</source>
        <translation>Schreibfehler: %1</translation>
    </message>
    <message>
        <source>This is free software: you are free to change and redistribute it. There is NO WARRANTY, to the extent permitted by law.</source>
        <translation>Dies ist freie Software: Sie dürfen sie ändern und weitergeben. Es gibt KEINE GARANTIE, soweit gesetzlich zulässig.</translation>
    </message>
    <message>
        <source>Adds an entry that starts the profile to your applications menu, and prints its path.</source>
        <translation>Fügt Ihrem Anwendungsmenü einen Eintrag hinzu, der das Profil startet, und gibt seinen Pfad aus.</translation>
    </message>
    <message>
        <source>Could not create a shortcut to &quot;%1&quot;: %2</source>
        <translation>Verknüpfung zu „%1“ konnte nicht erstellt werden: %2</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>changes unknown</source>
        <translation>Änderungen unbekannt</translation>
    </message>
</context>
<context>
    <name>CompareDialog</name>
    <message>
        <source>Compare “%1”</source>
        <translation>„%1“ vergleichen</translation>
    </message>
    <message>
        <source>Pelvaro&apos;s current preferences</source>
        <translation>Aktuelle Einstellungen von Pelvaro</translation>
    </message>
    <message>
        <source>Compare with:</source>
        <translation>Vergleichen mit:</translation>
    </message>
    <message>
        <source>The settings could not be read.</source>
        <translation>Die Einstellungen konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>No differences.</source>
        <translation>Keine Unterschiede.</translation>
    </message>
    <message>
        <source>1 difference.</source>
        <translation>1 Unterschied.</translation>
    </message>
    <message>
        <source>%1 differences.</source>
        <translation>%1 Unterschiede.</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Rename Profile</source>
        <translation>Profil umbenennen</translation>
    </message>
    <message>
        <source>Enter a new name for &quot;%1&quot;.</source>
        <translation>Geben Sie einen neuen Namen für „%1“ ein.</translation>
    </message>
    <message>
        <source>New name</source>
        <translation>Neuer Name</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Quit Pelvaro and Create New Profile</source>
        <translation>Pelvaro beenden und neues Profil erstellen</translation>
    </message>
    <message>
        <source>Pelvaro will be quit and its current settings saved as a new profile. Enter a name for the new profile.</source>
        <translation>Pelvaro wird beendet und seine aktuellen Einstellungen werden als neues Profil gesichert. Geben Sie einen Namen für das neue Profil ein.</translation>
    </message>
    <message>
        <source>Profile name</source>
        <translation>Profilname</translation>
    </message>
    <message>
        <source>Quit &amp; Create</source>
        <translation>Beenden &amp; erstellen</translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation>Profil löschen</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &quot;%1&quot;? This action cannot be undone.</source>
        <translation>Möchten Sie „%1“ wirklich löschen? Dies kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Create Shortcut</source>
        <translation>Verknüpfung erstellen</translation>
    </message>
    <message>
        <source>Add &quot;Pelvaro (%1)&quot; to your applications menu? It starts Pelvaro with this profile. Renaming or deleting the profile here changes or removes it too.</source>
        <translation>„Pelvaro (%1)“ zu Ihrem Anwendungsmenü hinzufügen? Der Eintrag startet Pelvaro mit diesem Profil. Wird das Profil hier umbenannt oder gelöscht, wird er mit geändert oder entfernt.</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
</context>
<context>
    <name>ElidedPathLabel</name>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Profile folder path</source>
        <translation>Pfad des Profilordners</translation>
    </message>
</context>
<context>
    <name>ErrorText</name>
    <message>
        <source>The file “%1” couldn’t be read</source>
        <translation>Die Datei „%1“ konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be saved</source>
        <translation>Die Datei „%1“ konnte nicht gesichert werden</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be moved</source>
        <translation>Die Datei „%1“ konnte nicht bewegt werden</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be copied</source>
        <translation>Die Datei „%1“ konnte nicht kopiert werden</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be removed</source>
        <translation>Die Datei „%1“ konnte nicht entfernt werden</translation>
    </message>
    <message>
        <source>The folder “%1” couldn’t be created</source>
        <translation>Der Ordner „%1“ konnte nicht erstellt werden</translation>
    </message>
    <message>
        <source>The file “%1” couldn’t be locked</source>
        <translation>Die Datei „%1“ konnte nicht gesperrt werden</translation>
    </message>
    <message>
        <source>“%1” couldn’t be opened</source>
        <translation>„%1“ konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>there is no such file</source>
        <translation>es keine solche Datei gibt</translation>
    </message>
    <message>
        <source>an item with the same name already exists</source>
        <translation>bereits ein Objekt mit diesem Namen existiert</translation>
    </message>
    <message>
        <source>you don’t have permission to access it</source>
        <translation>Sie nicht die Berechtigung zum Zugriff darauf haben</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>sie ein Ordner ist</translation>
    </message>
    <message>
        <source>a part of its path is not a folder</source>
        <translation>ein Teil ihres Pfads kein Ordner ist</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>sie keine gewöhnliche Datei ist</translation>
    </message>
    <message>
        <source>it is larger than %1 MB, far more than settings take</source>
        <translation>sie größer als %1 MB ist, weit mehr, als Einstellungen brauchen</translation>
    </message>
    <message>
        <source>its name is too long</source>
        <translation>ihr Name zu lang ist</translation>
    </message>
    <message>
        <source>there isn’t enough space</source>
        <translation>nicht genügend Speicherplatz vorhanden ist</translation>
    </message>
    <message>
        <source>the volume is read only</source>
        <translation>das Volume schreibgeschützt ist</translation>
    </message>
    <message>
        <source>another program is using it</source>
        <translation>ein anderes Programm sie verwendet</translation>
    </message>
    <message>
        <source>%1 cannot be loaded.</source>
        <translation>%1 kann nicht geladen werden.</translation>
    </message>
    <message>
        <source>The desktop entry “%1” cannot be read.</source>
        <translation>Der Desktop-Eintrag „%1“ kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>%1 because %2.</source>
        <translation>%1, weil %2.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>it is a link, where only a real file or folder is taken</source>
        <translation>es ist eine Verknüpfung, wo nur eine echte Datei oder ein echter Ordner angenommen wird</translation>
    </message>
    <message>
        <source>it is a link owned by another user, which is never followed</source>
        <translation>es ist eine Verknüpfung eines anderen Benutzers, der nie gefolgt wird</translation>
    </message>
    <message>
        <source>it is a folder owned by another user</source>
        <translation>es ist ein Ordner eines anderen Benutzers</translation>
    </message>
    <message>
        <source>it was changed by another program meanwhile</source>
        <translation>es wurde inzwischen von einem anderen Programm geändert</translation>
    </message>
    <message>
        <source>Pelvaro&apos;s preferences are locked by another program.</source>
        <translation>Die Einstellungen von Pelvaro sind von einem anderen Programm gesperrt.</translation>
    </message>
    <message>
        <source>Pelvaro&apos;s preferences file does not hold a readable preferences dictionary.</source>
        <translation>Die Einstellungsdatei von Pelvaro enthält keine lesbaren Einstellungen.</translation>
    </message>
    <message>
        <source>Pelvaro could not be found.</source>
        <translation>Pelvaro wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds no readable settings.</source>
        <translation>„%1“ enthält keine lesbaren Einstellungen.</translation>
    </message>
</context>
<context>
    <name>FolderSection</name>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Custom folder</source>
        <translation>Eigener Ordner</translation>
    </message>
    <message>
        <source>Folder source</source>
        <translation>Ordnerquelle</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Auswählen …</translation>
    </message>
    <message>
        <source>Profile Folder</source>
        <translation>Profilordner</translation>
    </message>
    <message>
        <source>Path to profile folder</source>
        <translation>Pfad zum Profilordner</translation>
    </message>
    <message>
        <source>Read/write access OK</source>
        <translation>Lese-/Schreibzugriff OK</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>No earlier versions of this profile are kept yet. Each save keeps the content it replaces.</source>
        <translation>Von diesem Profil sind noch keine früheren Versionen aufbewahrt. Jedes Sichern bewahrt den Inhalt auf, den es ersetzt.</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>History of “%1”</source>
        <translation>Verlauf von „%1“</translation>
    </message>
    <message>
        <source>Versions</source>
        <translation>Versionen</translation>
    </message>
    <message>
        <source>Make this version the profile&apos;s content; the current content is kept as a version</source>
        <translation>Diese Version zum Inhalt des Profils machen; der aktuelle Inhalt wird als Version aufbewahrt</translation>
    </message>
    <message>
        <source>%1 — 1 setting changed after it</source>
        <translation>%1 — danach 1 Einstellung geändert</translation>
    </message>
    <message>
        <source>%1 — %2 settings changed after it</source>
        <translation>%1 — danach %2 Einstellungen geändert</translation>
    </message>
    <message>
        <source>Pelvaro is running with this profile; quit it first.</source>
        <translation>Pelvaro läuft mit diesem Profil; beenden Sie es zuerst.</translation>
    </message>
    <message>
        <source>Divider between versions and changes</source>
        <translation>Trenner zwischen Versionen und Änderungen</translation>
    </message>
    <message>
        <source>%1 — cannot be read</source>
        <translation>%1 — nicht lesbar</translation>
    </message>
</context>
<context>
    <name>LauncherState</name>
    <message>
        <source>Folder does not exist.</source>
        <translation>Der Ordner existiert nicht.</translation>
    </message>
    <message>
        <source>No read access to folder.</source>
        <translation>Kein Lesezugriff auf den Ordner.</translation>
    </message>
    <message>
        <source>No write access to folder.</source>
        <translation>Kein Schreibzugriff auf den Ordner.</translation>
    </message>
    <message>
        <source>Please enter a valid name.</source>
        <translation>Bitte geben Sie einen gültigen Namen ein.</translation>
    </message>
    <message>
        <source>The name contains characters that cannot be used in a file name (for example &quot;/&quot; or &quot;:&quot;).</source>
        <translation>Der Name enthält Zeichen, die in Dateinamen nicht erlaubt sind (zum Beispiel „/“ oder „:“).</translation>
    </message>
    <message>
        <source>A file named &quot;%1&quot; already exists.</source>
        <translation>Eine Datei namens „%1“ existiert bereits.</translation>
    </message>
    <message>
        <source>Could not rename &quot;%1&quot;: %2</source>
        <translation>„%1“ konnte nicht umbenannt werden: %2</translation>
    </message>
    <message>
        <source>Could not duplicate &quot;%1&quot;: %2</source>
        <translation>„%1“ konnte nicht dupliziert werden: %2</translation>
    </message>
    <message>
        <source>Could not delete &quot;%1&quot;: %2</source>
        <translation>„%1“ konnte nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Select the folder containing Pelvaro profile plist files.</source>
        <translation>Wählen Sie den Ordner mit den Pelvaro-Profildateien (plist).</translation>
    </message>
    <message>
        <source>Could not save profile &quot;%1&quot;: %2</source>
        <translation>Profil „%1“ konnte nicht gesichert werden: %2</translation>
    </message>
    <message>
        <source>Could not create profile &quot;%1&quot;: %2</source>
        <translation>Profil „%1“ konnte nicht erstellt werden: %2</translation>
    </message>
    <message>
        <source>Could not save profile &quot;%1&quot;: no Pelvaro preferences were found.</source>
        <translation>Profil „%1“ konnte nicht gesichert werden: Es wurden keine Pelvaro-Einstellungen gefunden.</translation>
    </message>
    <message>
        <source>Could not create profile &quot;%1&quot;: no Pelvaro preferences were found.</source>
        <translation>Profil „%1“ konnte nicht erstellt werden: Es wurden keine Pelvaro-Einstellungen gefunden.</translation>
    </message>
    <message>
        <source>No profile folder is available.</source>
        <translation>Es ist kein Profilordner verfügbar.</translation>
    </message>
    <message>
        <source>Could not create profile &quot;%1&quot;: a file of that name already exists.</source>
        <translation>Profil „%1“ konnte nicht erstellt werden: Eine Datei dieses Namens existiert bereits.</translation>
    </message>
    <message>
        <source>Pelvaro could not be opened: %1</source>
        <translation>Pelvaro konnte nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be restored while Pelvaro runs with it.</source>
        <translation>„%1“ kann nicht wiederhergestellt werden, solange Pelvaro damit läuft.</translation>
    </message>
    <message>
        <source>Could not restore &quot;%1&quot;: %2</source>
        <translation>„%1“ konnte nicht wiederhergestellt werden: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; no longer exists.</source>
        <translation>„%1“ existiert nicht mehr.</translation>
    </message>
    <message>
        <source>Pelvaro&apos;s settings were saved as &quot;%1&quot; instead.</source>
        <translation>Die Einstellungen von Pelvaro wurden stattdessen als „%1“ gespeichert.</translation>
    </message>
    <message>
        <source>Could not create a shortcut to &quot;%1&quot;: %2</source>
        <translation>Verknüpfung zu „%1“ konnte nicht erstellt werden: %2</translation>
    </message>
    <message>
        <source>Could not merge &quot;%1&quot; into &quot;%2&quot;: %3</source>
        <translation>„%1“ konnte nicht in „%2“ zusammengeführt werden: %3</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Pelvaro Launcher</source>
        <translation>Pelvaro Launcher</translation>
    </message>
</context>
<context>
    <name>MergeDialog</name>
    <message>
        <source>(not set)</source>
        <translation>(nicht gesetzt)</translation>
    </message>
    <message>
        <source>Merge into “%1”</source>
        <translation>In „%1“ zusammenführen</translation>
    </message>
    <message>
        <source>“%1” holds the same settings as %2. Merging removes it.</source>
        <translation>„%1“ enthält dieselben Einstellungen wie %2. Beim Zusammenführen wird es entfernt.</translation>
    </message>
    <message>
        <source>For each setting that differs, choose the value %1 keeps. Both files&apos; settings stay in the history of %1, and the copy is removed.</source>
        <translation>Wählen Sie für jede abweichende Einstellung den Wert, den %1 behält. Die Einstellungen beider Dateien bleiben im Verlauf von %1, und die Kopie wird entfernt.</translation>
    </message>
    <message>
        <source>Conflicting copy</source>
        <translation>Konfliktkopie</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>%1&apos;s value</source>
        <translation>Wert von %1</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>The copy&apos;s value</source>
        <translation>Wert der Kopie</translation>
    </message>
    <message>
        <source>Keep for %1</source>
        <translation>Behalten für %1</translation>
    </message>
    <message>
        <source>not set</source>
        <translation>nicht gesetzt</translation>
    </message>
    <message>
        <source>%1: %2; the copy: %3</source>
        <translation>%1: %2; die Kopie: %3</translation>
    </message>
    <message>
        <source>Merge</source>
        <translation>Zusammenführen</translation>
    </message>
</context>
<context>
    <name>ProfileDelegate</name>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Duplicate</source>
        <translation>Duplizieren</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>History…</source>
        <translation>Verlauf …</translation>
    </message>
    <message>
        <source>Compare…</source>
        <translation>Vergleichen …</translation>
    </message>
    <message>
        <source>Create Shortcut…</source>
        <translation>Verknüpfung erstellen …</translation>
    </message>
    <message>
        <source>Merge into %1…</source>
        <translation>In %1 zusammenführen …</translation>
    </message>
</context>
<context>
    <name>ProfileListAccessible</name>
    <message>
        <source>%1, in use by Pelvaro</source>
        <translation>%1, von Pelvaro verwendet</translation>
    </message>
</context>
<context>
    <name>ProfileListModel</name>
    <message>
        <source>d MMM yyyy HH:mm</source>
        <translation>d. MMM yyyy HH:mm</translation>
    </message>
    <message>
        <source>d MMM yyyy</source>
        <translation>d. MMM yyyy</translation>
    </message>
    <message>
        <source>Conflicting copy of %1 (%2, %3)</source>
        <translation>Konfliktkopie von %1 (%2, %3)</translation>
    </message>
</context>
<context>
    <name>ProfileListSection</name>
    <message>
        <source>Profile List</source>
        <translation>Profilliste</translation>
    </message>
    <message>
        <source>No profile files found in folder.</source>
        <translation>Keine Profildateien im Ordner gefunden.</translation>
    </message>
    <message>
        <source>Choose a Profile Folder to see available profiles.</source>
        <translation>Wählen Sie einen Profilordner, um die verfügbaren Profile zu sehen.</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>Profile</translation>
    </message>
</context>
<context>
    <name>SaveNotice</name>
    <message>
        <source>Saved to %1; no setting changed</source>
        <translation>In %1 gesichert; keine Einstellung geändert</translation>
    </message>
    <message>
        <source>Saved 1 changed setting to %1</source>
        <translation>1 geänderte Einstellung in %1 gesichert</translation>
    </message>
    <message>
        <source>Saved %1 changed settings to %2</source>
        <translation>%1 geänderte Einstellungen in %2 gesichert</translation>
    </message>
    <message>
        <source>kept 1 changed elsewhere</source>
        <translation>1 anderswo geänderte übernommen</translation>
    </message>
    <message>
        <source>kept %1 changed elsewhere</source>
        <translation>%1 anderswo geänderte übernommen</translation>
    </message>
    <message>
        <source>1 conflict</source>
        <translation>1 Konflikt</translation>
    </message>
    <message>
        <source>%1 conflicts</source>
        <translation>%1 Konflikte</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1 (see History)</source>
        <translation>%1 (siehe Verlauf)</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1; %2</translation>
    </message>
</context>
<context>
    <name>StatusRow</name>
    <message>
        <source>Pelvaro is already running with an unknown profile.</source>
        <translation>Pelvaro läuft bereits mit einem unbekannten Profil.</translation>
    </message>
    <message>
        <source>Quit &amp; New Profile</source>
        <translation>Beenden &amp; neues Profil</translation>
    </message>
    <message>
        <source>Quit Pelvaro and create a new profile from its current settings</source>
        <translation>Pelvaro beenden und aus seinen aktuellen Einstellungen ein neues Profil erstellen</translation>
    </message>
    <message>
        <source>%1 is running</source>
        <translation>%1 läuft</translation>
    </message>
    <message>
        <source>Pelvaro is not running</source>
        <translation>Pelvaro läuft nicht</translation>
    </message>
    <message>
        <source>History…</source>
        <translation>Verlauf …</translation>
    </message>
    <message>
        <source>The history of %1</source>
        <translation>Der Verlauf von %1</translation>
    </message>
</context>
<context>
    <name>ValueText</name>
    <message>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>array of 1 item</source>
        <translation>Liste mit 1 Element</translation>
    </message>
    <message>
        <source>array of %1 items</source>
        <translation>Liste mit %1 Elementen</translation>
    </message>
    <message>
        <source>dictionary of 1 key</source>
        <translation>Wörterbuch mit 1 Schlüssel</translation>
    </message>
    <message>
        <source>dictionary of %1 keys</source>
        <translation>Wörterbuch mit %1 Schlüsseln</translation>
    </message>
    <message>
        <source>UID %1</source>
        <translation>UID %1</translation>
    </message>
</context>
</TS>
