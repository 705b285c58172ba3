#include "state/savenotice.h"

#include "platform/filepath.h"
#include "state/launcherstate.h"

#include <QCoreApplication>

bool save_notice::merged(const SaveSummary& summary)
{
    return summary.keptFromElsewhere > 0 || summary.conflicts > 0;
}

QString save_notice::text(const SaveSummary& summary, const QLocale& locale)
{
    const QString name =
        file_path::removingExtension(file_path::lastComponent(summary.profilePath));
    const QString saved =
        summary.changedSettings == 0
            ? QCoreApplication::translate("SaveNotice", "Saved to %1; no setting changed").arg(name)
        : summary.changedSettings == 1
            ? QCoreApplication::translate("SaveNotice", "Saved 1 changed setting to %1").arg(name)
            : QCoreApplication::translate("SaveNotice", "Saved %1 changed settings to %2")
                  .arg(locale.toString(summary.changedSettings), name);
    if (!merged(summary))
        return saved;
    QStringList details;
    if (summary.keptFromElsewhere == 1)
        details.append(QCoreApplication::translate("SaveNotice", "kept 1 changed elsewhere"));
    else if (summary.keptFromElsewhere > 1)
        details.append(QCoreApplication::translate("SaveNotice", "kept %1 changed elsewhere")
                           .arg(locale.toString(summary.keptFromElsewhere)));
    if (summary.conflicts == 1)
        details.append(QCoreApplication::translate("SaveNotice", "1 conflict"));
    else if (summary.conflicts > 1)
        details.append(QCoreApplication::translate("SaveNotice", "%1 conflicts")
                           .arg(locale.toString(summary.conflicts)));
    QString detail = details.join(QCoreApplication::translate("SaveNotice", ", "));
    // The other side's values of a conflict are in the version kept.
    if (summary.conflicts > 0)
        detail = QCoreApplication::translate("SaveNotice", "%1 (see History)").arg(detail);
    return QCoreApplication::translate("SaveNotice", "%1; %2").arg(saved, detail);
}
