// The stereo descriptor of a JPS file: the payload of an APP3 segment that
// begins "_JPSJPS_" and carries the picture's layout word.
#pragma once

#include <cstddef>
#include <cstdint>

// Results of ParseJpsDescriptor.
enum JpsDescriptorResult : int {
    JPS_DESCRIPTOR_READ = 1,
    JPS_TOO_SHORT = -1,        // payload below 14 bytes
    JPS_NOT_A_DESCRIPTOR = -2, // identifier is not "_JPSJPS_"
    JPS_BAD_LENGTH = -3,       // descriptor length below 4
};

// Parses the payload of an APP3 segment as a stereo descriptor and stores its
// layout word. Extra descriptor bytes and the comment are copied into their
// buffers (either may be null) up to the capacity passed in *extraCount and
// *commentCount and never beyond the payload; the counts copied come back
// there.
int ParseJpsDescriptor(const uint8_t* payload, size_t length, uint32_t* layout, size_t* extraCount,
                       uint8_t* extra, size_t* commentCount, uint8_t* comment);
