#pragma once

#include <QLocale>
#include <QString>

struct SaveSummary;

// What a save-back did, as the sentence the status row shows and the command
// line prints: "Saved 3 changed settings to Work; kept 2 changed
// elsewhere, 1 conflict (see History)".
namespace save_notice {

QString text(const SaveSummary& summary, const QLocale& locale = QLocale());
// Whether the profile was merged with changes made elsewhere, which the
// command line reports too.
bool merged(const SaveSummary& summary);

} // namespace save_notice
