#pragma once

#include "platform/result.h"
#include "profiles/conflictmerge.h"
#include "target/pelvarosession.h"

#include <QCoreApplication>
#include <QString>

// Platform failures as sentences in the user's language.
class ErrorText final
{
    Q_DECLARE_TR_FUNCTIONS(ErrorText)

public:
    ErrorText() = delete;

    // What failed and why, as one sentence, naming the file by its last
    // path component.
    static QString describe(const PlatformError& error);
    // Why a session step failed, as the clause after "Could not …: ";
    // empty when there is nothing more to say than that it failed.
    static QString describe(const SessionFailure& failure);
    // Why a conflicting copy could not be merged, as the clause after
    // "Could not merge …: ".
    static QString describe(const ConflictMerge::Failure& failure);

private:
    static QString subject(const PlatformError& error);
    // The reason as a clause that completes "… because {reason}."; empty
    // when only the system can say.
    static QString reasonClause(const PlatformError& error);
};
