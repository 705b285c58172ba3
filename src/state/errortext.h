#pragma once

#include "platform/result.h"

#include <QString>

namespace error_text {

// What failed and why, as one sentence in the user's language, naming the
// file by its last path component.
QString describe(const PlatformError& error);

} // namespace error_text
