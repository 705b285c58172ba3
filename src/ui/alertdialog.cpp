#include "ui/alertdialog.h"

#include "ui/textstyles.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AlertDialog::AlertDialog(const QString& title, const QString& message, QWidget* parent)
    : QDialog(parent), m_title(new QLabel(title, this)), m_message(new QLabel(message, this)),
      m_buttons(new QDialogButtonBox(this))
{
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(10);
    m_title->setFont(text_styles::headline());
    m_title->setTextFormat(Qt::PlainText);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->setMinimumWidth(320);
    layout->addWidget(m_title);
    layout->addWidget(m_message);
    layout->addWidget(m_buttons);
    // An alert is as large as its content, neither resized nor maximised.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}

void AlertDialog::setDefaultButton(QPushButton* button)
{
    for (QAbstractButton* each : m_buttons->buttons()) {
        auto* push = static_cast<QPushButton*>(each);
        push->setDefault(push == button);
        push->setObjectName(push == button ? QStringLiteral("default") : QString());
    }
    if (button && !m_field)
        button->setFocus();
}

QLineEdit* AlertDialog::addTextField(const QString& placeholder, const QString& text)
{
    m_field = new QLineEdit(text, this);
    m_field->setPlaceholderText(placeholder);
    m_field->setAccessibleName(placeholder);
    static_cast<QVBoxLayout*>(layout())->insertWidget(2, m_field);
    m_field->setFocus();
    m_field->selectAll();
    return m_field;
}

QPushButton* AlertDialog::addButton(const QString& title, Role role)
{
    const QDialogButtonBox::ButtonRole buttonRole =
        role == Role::cancel        ? QDialogButtonBox::RejectRole
        : role == Role::destructive ? QDialogButtonBox::DestructiveRole
                                    : QDialogButtonBox::AcceptRole;
    // The title is shown as written: an ampersand is not a mnemonic here.
    QPushButton* button =
        m_buttons->addButton(QString(title).replace(u'&', QStringLiteral("&&")), buttonRole);
    button->setAutoDefault(false);
    if (role == Role::plain && !m_buttons->findChild<QPushButton*>(QStringLiteral("default"))) {
        button->setDefault(true);
        button->setObjectName(QStringLiteral("default"));
    }
    connect(button, &QPushButton::clicked, this, [this, title, role] {
        m_clicked = title;
        if (role == Role::cancel)
            reject();
        else
            accept();
    });
    return button;
}

QPushButton* AlertDialog::button(const QString& title) const
{
    for (QAbstractButton* button : m_buttons->buttons()) {
        if (button->text() == QString(title).replace(u'&', QStringLiteral("&&")))
            return static_cast<QPushButton*>(button);
    }
    return nullptr;
}

QString AlertDialog::title() const
{
    return m_title->text();
}

QString AlertDialog::message() const
{
    return m_message->text();
}
