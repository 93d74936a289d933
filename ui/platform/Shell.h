#pragma once
// Opens a web address in the user's browser. Whether a browser opens is not reported: the
// callers go on either way.

namespace platform {

void openAddress(const char* address);

} // namespace platform
