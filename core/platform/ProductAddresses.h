#pragma once
// The product's addresses on the web, in one place.

namespace platform {

inline constexpr const char* kWebSite = "https://tallyvane.example.org/";
inline constexpr const char* kHelpPage = "https://tallyvane.example.org/help";
inline constexpr const char* kContactPage = "https://tallyvane.example.org/contact";

} // namespace platform
