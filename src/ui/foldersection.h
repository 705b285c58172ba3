#pragma once

#include <QWidget>

class ElidedPathLabel;
class LauncherState;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class SegmentedControl;

// Where the profiles live and whether that folder can be used: the folder
// picker, the path (field and "Choose…" in custom mode, a path line in
// default mode) and the access line.
class FolderSection final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderSection)

public:
    explicit FolderSection(LauncherState& state, QWidget* parent = nullptr);

    SegmentedControl* picker() const { return m_picker; }
    QLineEdit* pathField() const { return m_pathField; }
    QPushButton* chooseButton() const { return m_chooseButton; }
    ElidedPathLabel* defaultPath() const { return m_defaultPath; }
    QLabel* accessIcon() const { return m_accessIcon; }
    QLabel* accessText() const { return m_accessText; }
    bool showsCustomRow() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void followFolderMode();
    void followCustomFolderPath();
    void followAccessStatus();
    void submitPath();

    LauncherState& m_state;
    SegmentedControl* m_picker;
    QStackedWidget* m_folderRow;
    QLineEdit* m_pathField;
    QPushButton* m_chooseButton;
    ElidedPathLabel* m_defaultPath;
    QLabel* m_accessIcon;
    QLabel* m_accessText;
};
