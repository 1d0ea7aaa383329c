// The studio that made the game: one name, one web site and one e-mail address, shown the same in
// the splash window, the about window and behind the logo.
#pragma once

inline constexpr const char *kStudioName = "Zandrel Studio";
inline constexpr const char *kStudioWebsiteText = "www.zandrel.example";        // the link's text
inline constexpr const char *kStudioWebsite = "https://www.zandrel.example/";    // what the link opens
inline constexpr const char *kStudioEmail = "ktusko@zandrel.example";
inline constexpr const char *kStudioDonatePage = "https://www.zandrel.example/donate/";
