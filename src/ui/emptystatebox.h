#pragma once

#include <QWidget>

// Says why the profile list is empty: a framed box with one centred line.
class EmptyStateBox final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmptyStateBox)

public:
    explicit EmptyStateBox(QWidget* parent = nullptr);
    QString text() const { return m_text; }
    void setText(const QString& text);
    void setOpacity(qreal opacity);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    qreal m_opacity = 1.0;
};
