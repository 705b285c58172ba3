#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A standard alert: a title, a message, an optional text field, and buttons
// with roles. Any button closes it; `clickedButton` tells which.
class AlertDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AlertDialog)

public:
    enum class Role
    {
        plain,
        cancel,
        destructive
    };

    AlertDialog(const QString& title, const QString& message, QWidget* parent);

    QLineEdit* addTextField(const QString& placeholder, const QString& text);
    QPushButton* addButton(const QString& title, Role role);
    QPushButton* button(const QString& title) const;
    // The button Return presses, which also has the focus when the alert
    // opens (unless a text field takes it).
    void setDefaultButton(QPushButton* button);
    QLineEdit* textField() const { return m_field; }
    QString title() const;
    QString message() const;
    QString clickedButton() const { return m_clicked; }

private:
    QLabel* m_title;
    QLabel* m_message;
    QLineEdit* m_field = nullptr;
    QDialogButtonBox* m_buttons;
    QString m_clicked;
};
