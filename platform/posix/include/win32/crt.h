/// The C runtime functions of the platform's own library that the logic uses
/// beside the standard ones: case-insensitive comparison and 64-bit time.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int64_t __time64_t;

/// Compares two texts with ASCII letters lower-cased: <0, 0 or >0.
int _stricmp(const char* a, const char* b);
/// The same over at most `count` characters.
int _strnicmp(const char* a, const char* b, size_t count);

/// The machine's current time in seconds since 1970-01-01 UTC, also stored in
/// *timer when given; -1 when no machine is installed.
__time64_t _time64(__time64_t* timer);
