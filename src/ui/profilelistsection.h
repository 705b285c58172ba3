#pragma once

#include "profiles/profile.h"

#include <QWidget>

class EmptyStateBox;
class LauncherState;
class ProfileDelegate;
class ProfileListModel;
class ProfileListView;
class QStackedWidget;

// The heading "Profile List" and either the list of profiles or the box
// that says why there is none. While Pelvaro runs the content is disabled
// and dimmed to 60 %.
class ProfileListSection final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProfileListSection)

public:
    explicit ProfileListSection(LauncherState& state, QWidget* parent = nullptr);

    ProfileListView* listView() const { return m_list; }
    ProfileListModel* model() const { return m_model; }
    ProfileDelegate* delegate() const { return m_delegate; }
    EmptyStateBox* emptyBox() const { return m_empty; }
    QWidget* content() const;
    bool showsList() const;
    static constexpr qreal dimmedOpacity = 0.6;
    qreal contentOpacity() const;

signals:
    void renameRequested(const Profile& profile);
    void deleteRequested(const Profile& profile);
    void createShortcutRequested(const Profile& profile);
    void historyRequested(const Profile& profile);
    void compareRequested(const Profile& profile);
    // A conflicting copy to fold into its profile.
    void mergeRequested(const Profile& copy);

protected:
    void changeEvent(QEvent* event) override;

private:
    void followProfiles();
    void followRunningState();

    LauncherState& m_state;
    ProfileListModel* m_model;
    ProfileDelegate* m_delegate;
    ProfileListView* m_list;
    EmptyStateBox* m_empty;
    QStackedWidget* m_content;
    qreal m_contentOpacity = 1.0;
    bool m_listHadFocus = false;
};
