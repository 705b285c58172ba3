#pragma once

#include <QWidget>

// One line of text, elided in the middle when too long. It can be selected
// (click, or Tab) and copied, and copying always gives the whole text.
class ElidedPathLabel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ElidedPathLabel)

public:
    explicit ElidedPathLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    bool isSelected() const { return m_selected; }
    void copy() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString m_text;
    bool m_selected = false;
};
