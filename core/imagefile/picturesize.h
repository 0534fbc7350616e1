// The one size check every image reader makes before it allocates a picture
// a file's header asks for.
#pragma once

#include <cstdint>

// The message of a picture refused for its size (width, height, file name).
constexpr const char* kTooLargeForFile = "Image of %ld x %ld pixels is too large for file '%s'";

// Throws pxError for a side that is not positive ("Bad image size") or a
// picture above kMaxImageBytes.
void CheckPictureSize(const char* name, int64_t width, int64_t height, int32_t bytesPerPixel);
