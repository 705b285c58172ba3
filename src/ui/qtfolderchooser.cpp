#include "ui/qtfolderchooser.h"

#include <QFileDialog>

std::optional<QString> QtFolderChooser::chooseFolder(const QString& prompt, const QString& message,
                                                     const std::optional<QString>& startFolder)
{
    QFileDialog dialog(m_parent, message);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    if (startFolder)
        dialog.setDirectory(*startFolder);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}
