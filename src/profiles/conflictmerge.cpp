#include "profiles/conflictmerge.h"

#include "platform/logging.h"
#include "plist/plistwriter.h"
#include "profiles/profileversions.h"

namespace {

ConflictMerge::Failure unreadable(const QString& path, SettingsFailure why)
{
    return {ConflictMerge::Failure::Problem::unreadable, path, std::move(why), std::nullopt};
}

ConflictMerge::Failure notWritten(const QString& path, PlatformError error)
{
    const ConflictMerge::Failure::Problem problem =
        error.code == ErrorCode::changedMeanwhile
            ? ConflictMerge::Failure::Problem::changedMeanwhile
            : ConflictMerge::Failure::Problem::notWritten;
    return {problem, path, std::nullopt, std::move(error)};
}

std::optional<PlistValue> valueIn(const PlistDictionary& settings, const QString& key)
{
    const PlistValue* value = settings.find(key);
    return value ? std::optional(*value) : std::nullopt;
}

} // namespace

Result<ConflictMerge::Plan, ConflictMerge::Failure>
ConflictMerge::prepare(const QString& profilePath, const QString& copyPath) const
{
    Plan plan;
    plan.profilePath = profilePath;
    plan.copyPath = copyPath;
    // Each side's content as read, and its settings; or why it gives none.
    const auto read = [this](const QString& path, FileContent* content,
                             PlistDictionary* settings) -> std::optional<Failure> {
        Result<FileContent> bytes = m_fileSystem.readFileContent(path);
        if (!bytes)
            return unreadable(path, {SettingsFailure::Problem::unreadable, bytes.error(), {}});
        Result<PlistDictionary, SettingsFailure> parsed = profile_settings::parse(bytes->bytes);
        if (!parsed)
            return unreadable(path, parsed.error());
        *content = std::move(*bytes);
        *settings = std::move(*parsed);
        return std::nullopt;
    };
    PlistDictionary copySettings;
    if (std::optional<Failure> failed =
            read(profilePath, &plan.profileContent, &plan.profileSettings))
        return *failed;
    if (std::optional<Failure> failed = read(copyPath, &plan.copyContent, &copySettings))
        return *failed;
    for (const PlistDictionary::Entry& entry : plan.profileSettings.entries()) {
        const PlistValue* other = copySettings.find(entry.first);
        if (!other || !(*other == entry.second))
            plan.differing.append({entry.first, entry.second, valueIn(copySettings, entry.first)});
    }
    for (const QString& key : plan.profileSettings.missingKeys(copySettings))
        plan.differing.append({key, std::nullopt, valueIn(copySettings, key)});
    plan.copyIsNewer = plan.copyContent.stamp.modifiedNs > plan.profileContent.stamp.modifiedNs;
    return plan;
}

PlistDictionary ConflictMerge::merged(const Plan& plan, const Choices& choices)
{
    PlistDictionary settings = plan.profileSettings;
    QStringList removed;
    for (auto choice = choices.cbegin(); choice != choices.cend(); ++choice) {
        if (choice.value())
            settings.insert(choice.key(), *choice.value());
        else
            removed.append(choice.key());
    }
    settings.remove(removed);
    return settings;
}

Result<void, ConflictMerge::Failure> ConflictMerge::apply(const Plan& plan, const Choices& choices)
{
    ProfileVersions versions(m_fileSystem);
    // The copy's content becomes a version of the profile first: once the
    // copy is gone, that is where its values are.
    const Result<std::optional<QString>> keptCopy =
        versions.keep(plan.profilePath, plan.copyContent);
    if (!keptCopy)
        return notWritten(plan.profilePath, keptCopy.error());
    const auto takeBack = [&](const Result<std::optional<QString>>& kept) {
        if (kept && *kept)
            versions.discard(plan.profilePath, **kept);
    };
    const Result<std::optional<QString>> keptProfile =
        versions.keep(plan.profilePath, plan.profileContent);
    if (!keptProfile) {
        takeBack(keptCopy);
        return notWritten(plan.profilePath, keptProfile.error());
    }
    const QByteArray bytes = PlistWriter::writeBinary(PlistValue(merged(plan, choices)));
    if (const Result<void> written = m_fileSystem.writeFileAtomicallyUnlessChanged(
            plan.profilePath, bytes, plan.profileContent.stamp);
        !written) {
        takeBack(keptProfile);
        takeBack(keptCopy);
        return notWritten(plan.profilePath, written.error());
    }
    if (const Result<void> pruned = versions.prune(plan.profilePath); !pruned)
        qCWarning(lcFiles) << "could not prune the versions of" << plan.profilePath << ":"
                           << pruned.error().diagnostic();
    // A copy written again meanwhile holds something new: it stays.
    if (m_fileSystem.stamp(plan.copyPath) != plan.copyContent.stamp)
        return notWritten(
            plan.copyPath,
            PlatformError{Operation::remove, ErrorCode::changedMeanwhile, plan.copyPath, 0, {}});
    if (const Result<void> removed = m_fileSystem.removeItem(plan.copyPath); !removed)
        return notWritten(plan.copyPath, removed.error());
    return {};
}
