#pragma once

#include <QString>

// Absolute local paths, taken apart and put together as text.
namespace file_path {
QString lastComponent(const QString& path);
QString extension(const QString& fileName);
QString removingExtension(const QString& fileName);
QString appending(const QString& folder, const QString& component);
QString parent(const QString& path);
} // namespace file_path
