#include "state/errortext.h"
#include "state/launcherstate.h"
#include "state/savenotice.h"

#include <QTranslator>
#include <QtTest>

#include <cerrno>

class ErrorTextTest : public QObject
{
    Q_OBJECT

private slots:
    void sentences_data();
    void sentences();
    void germanUsersReadGerman();
    void saveNotice_data();
    void saveNotice();
};

void ErrorTextTest::sentences_data()
{
    QTest::addColumn<PlatformError>("error");
    QTest::addColumn<QString>("sentence");
    const QString path = QStringLiteral("/home/u/Profiles/Work.plist");
    QTest::newRow("no such file")
        << PlatformError::fromErrno(Operation::read, path, ENOENT)
        << QStringLiteral("The file \u201CWork.plist\u201D couldn\u2019t be read because there is "
                          "no such file.");
    QTest::newRow("name taken")
        << PlatformError::fromErrno(Operation::move, path, EEXIST)
        << QStringLiteral("The file \u201CWork.plist\u201D couldn\u2019t be moved because an item "
                          "with the same name already exists.");
    QTest::newRow("no permission")
        << PlatformError::fromErrno(Operation::write, path, EACCES)
        << QStringLiteral("The file \u201CWork.plist\u201D couldn\u2019t be saved because you "
                          "don\u2019t have permission to access it.");
    QTest::newRow("too large")
        << PlatformError::fromErrno(Operation::copy, path, EFBIG)
        << QStringLiteral("The file \u201CWork.plist\u201D couldn\u2019t be copied because it is "
                          "larger than 64 MB, far more than settings take.");
    QTest::newRow("folder")
        << PlatformError::fromErrno(Operation::createFolder, QStringLiteral("/x/Profiles"), EROFS)
        << QStringLiteral("The folder \u201CProfiles\u201D couldn\u2019t be created because the "
                          "volume is read only.");
    QTest::newRow("the system's own words")
        << PlatformError{Operation::remove, ErrorCode::systemError, path, 0,
                         QStringLiteral("Disk on fire")}
        << QStringLiteral(
               "The file \u201CWork.plist\u201D couldn\u2019t be removed: Disk on fire.");
    QTest::newRow("an errno only the system names")
        << PlatformError::fromErrno(Operation::write, path, EIO)
        << QStringLiteral("The file \u201CWork.plist\u201D couldn\u2019t be saved: ") +
               qt_error_string(EIO) + u'.';
    QTest::newRow("GIO missing") << PlatformError{Operation::launch,
                                                  ErrorCode::unavailable,
                                                  QStringLiteral("libgio-2.0.so.0"),
                                                  0,
                                                  {}}
                                 << QStringLiteral("libgio-2.0.so.0 cannot be loaded.");
    QTest::newRow("GLib's reason")
        << PlatformError{Operation::launch, ErrorCode::systemError, QStringLiteral("/a.desktop"), 0,
                         QStringLiteral("Failed to execute child process")}
        << QStringLiteral("Failed to execute child process");
    // A name that looks like a placeholder stays what it is.
    QTest::newRow("name with %2")
        << PlatformError::fromErrno(Operation::read, QStringLiteral("/p/%2 %1.plist"), ENOENT)
        << QStringLiteral("The file \u201C%2 %1.plist\u201D couldn\u2019t be read because there "
                          "is no such file.");
}

void ErrorTextTest::sentences()
{
    QFETCH(PlatformError, error);
    QFETCH(QString, sentence);
    QCOMPARE(ErrorText::describe(error), sentence);
}

// The reason inside a German message is German too, not an English
// sentence from below.
void ErrorTextTest::germanUsersReadGerman()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/i18n/pelvaro-launcher_de.qm")));
    QCoreApplication::installTranslator(&translator);
    const auto uninstall =
        qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
    QCOMPARE(ErrorText::describe(PlatformError::fromErrno(
                 Operation::write, QStringLiteral("/p/Work.plist"), ENAMETOOLONG)),
             QStringLiteral("Die Datei \u201EWork.plist\u201C konnte nicht gesichert werden, weil "
                            "ihr Name zu lang ist."));
}

void ErrorTextTest::saveNotice_data()
{
    QTest::addColumn<qsizetype>("changed");
    QTest::addColumn<qsizetype>("kept");
    QTest::addColumn<qsizetype>("conflicts");
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("notice");
    QTest::newRow("plain") << qsizetype(3) << qsizetype(0) << qsizetype(0) << false
                           << QStringLiteral("Saved 3 changed settings to Work");
    QTest::newRow("merged") << qsizetype(3) << qsizetype(2) << qsizetype(1) << false
                            << QStringLiteral("Saved 3 changed settings to Work; kept 2 changed "
                                              "elsewhere, 1 conflict (see History)");
    QTest::newRow("kept only") << qsizetype(0) << qsizetype(1) << qsizetype(0) << false
                               << QStringLiteral("Saved to Work; no setting changed; kept 1 "
                                                 "changed elsewhere");
    QTest::newRow("conflicts only") << qsizetype(1) << qsizetype(0) << qsizetype(2) << false
                                    << QStringLiteral("Saved 1 changed setting to Work; 2 "
                                                      "conflicts (see History)");
    QTest::newRow("german") << qsizetype(3) << qsizetype(2) << qsizetype(1) << true
                            << QStringLiteral("3 ge\u00E4nderte Einstellungen in Work gesichert; "
                                              "2 anderswo ge\u00E4nderte \u00FCbernommen, 1 "
                                              "Konflikt (siehe Verlauf)");
}

void ErrorTextTest::saveNotice()
{
    QFETCH(qsizetype, changed);
    QFETCH(qsizetype, kept);
    QFETCH(qsizetype, conflicts);
    QFETCH(bool, german);
    QFETCH(QString, notice);
    QTranslator translator;
    if (german) {
        QVERIFY(translator.load(QStringLiteral(":/i18n/pelvaro-launcher_de.qm")));
        QCoreApplication::installTranslator(&translator);
    }
    const auto uninstall =
        qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
    const SaveSummary summary{QStringLiteral("/p/Work.plist"), changed, kept, conflicts};
    QCOMPARE(save_notice::text(summary, QLocale(german ? QLocale::German : QLocale::English)),
             notice);
}

QTEST_GUILESS_MAIN(ErrorTextTest)
#include "tst_errortext.moc"
