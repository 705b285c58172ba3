#pragma once

#include <QPalette>

namespace test_palettes {

// A dark theme, as a desktop switched to dark sets it.
inline QPalette dark()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2B));
    palette.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    palette.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    palette.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    palette.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3A));
    palette.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    palette.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x3A, 0x3A, 0x3A));
    palette.setColor(QPalette::ToolTipText, QColor(0xEE, 0xEE, 0xEE));
    palette.setColor(QPalette::PlaceholderText, QColor(0x99, 0x99, 0x99));
    palette.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x55));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return palette;
}

} // namespace test_palettes
