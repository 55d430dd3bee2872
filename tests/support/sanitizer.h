#pragma once

// Whether this test is built with AddressSanitizer (gcc or clang): such a
// build runs several times slower and keeps its own allocator, so tests of
// large inputs, time limits or memory take smaller sizes or step aside.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool under_address_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool under_address_sanitizer = true;
#else
inline constexpr bool under_address_sanitizer = false;
#endif
#else
inline constexpr bool under_address_sanitizer = false;
#endif
