#pragma once

// Facts of the binary property-list form shared by its reader and writer.
namespace plist::binary {

constexpr int headerSize = 8;
constexpr int trailerSize = 32;

// The trailer begins with five bytes that readers ignore. PlistWriter puts
// this mark there, so that a file it wrote is known to be exactly what it
// would write again for the same value. Bump the last byte whenever the
// writer's output changes.
constexpr char writerMark[5] = {'P', 'L', 'V', 'W', 1};

} // namespace plist::binary
