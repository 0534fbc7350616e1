// The stereo descriptor of a PNS file: the ancillary PNG chunk "sTEr" that
// carries the picture's layout word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Marks a descriptor as present, as the bit after libpng's own validity bits.
constexpr uint32_t kStereoDescriptorValid = 0x800;

struct PngStereoDescriptor {
    uint32_t valid = 0; // kStereoDescriptorValid once set
    uint32_t layout = 0;
    std::string comment;
    std::vector<uint8_t> extra;
};

// Stores copies of the fields and marks the descriptor present.
void SetStereoDescriptor(PngStereoDescriptor* descriptor, uint32_t layout, const char* comment,
                         const uint8_t* extra, size_t extraCount);

// Fills the outputs and returns kStereoDescriptorValid when the descriptor
// is present and every output is given; otherwise returns 0.
uint32_t GetStereoDescriptor(const PngStereoDescriptor* descriptor, uint32_t* layout,
                             const char** comment, const uint8_t** extra, size_t* extraCount);

// Parses the data of a sTEr chunk into descriptor. False when the chunk is
// too short for its descriptor length (the layout word would lie outside
// it); a comment that runs past the chunk's end is cut there.
bool ParseStereoChunk(const uint8_t* data, size_t length, PngStereoDescriptor* descriptor);
