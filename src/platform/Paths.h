#pragma once

namespace quibrant::platform {

// Folder strings in the program end with this separator. Windows keeps its
// backslash; everywhere else the native separator takes its place.
#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

}  // namespace quibrant::platform
