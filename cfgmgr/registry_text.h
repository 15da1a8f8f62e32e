/// Turning the bytes of a registry string or multi-string into text, within
/// the caller's buffer. The platform may return a value without its
/// terminating NUL, or a list without the empty string that ends it; these
/// never read past the buffer and end the text at the data.
#pragma once

#include <cstddef>

/// Makes the first `cbData` bytes of `buffer` (of `cbBuffer` bytes) a
/// NUL-terminated text: the text ends at its first NUL, or right after the
/// data when the data has none. False when the data fills the buffer without
/// a NUL, so the text would not fit.
bool EndTextAtData(char* buffer, size_t cbBuffer, size_t cbData);

/// Rewrites a multi-string of `cbData` bytes in place as lines: each string
/// followed by a line feed, up to the empty string that ends the list (or the
/// end of the data), then a NUL. An empty list becomes an empty text. False
/// when the lines and their NUL would not fit in `cbBuffer` bytes.
bool MultiStringToLines(char* buffer, size_t cbBuffer, size_t cbData);
