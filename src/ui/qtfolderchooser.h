#pragma once

#include "platform/folderchooser.h"

class QWidget;

// The desktop's folder dialog, modal, for one folder only.
class QtFolderChooser final : public FolderChooser
{
public:
    explicit QtFolderChooser(QWidget* parent) : m_parent(parent) {}
    std::optional<QString> chooseFolder(const QString& prompt, const QString& message,
                                        const std::optional<QString>& startFolder) override;

private:
    QWidget* m_parent;
};
