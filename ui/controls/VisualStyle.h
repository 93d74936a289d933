#pragma once
// Whether a visual style is in force: the running Qt style draws native-looking buttons unless it
// is the classic "Windows" style. Each look can be forced (tests, pictures), and the answer is
// remembered per process.

#include <optional>

namespace controls {

bool visualStyleInForce();
// Forces the answer; std::nullopt goes back to asking the running style.
void forceVisualStyle(std::optional<bool> inForce);

} // namespace controls
