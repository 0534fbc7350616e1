// Converting stereo picture files for a viewing method: the input is read
// from the top down and converted as its rows arrive, while the output is
// written on a second thread as its rows become final.
#pragma once

#include "bxconvert/methodnames.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ConversionRequest {
    // One picture holding both views, or the left and the right eye's.
    std::vector<std::string> inputs;
    std::string output;
    ConvertMethod method;
    std::optional<uint32_t> layout; // replaces the input's
    int32_t separation = 0;
    int quality = 92;
};

// Throws pxError for anything that keeps the output from being written; no
// output file is left behind then.
void ConvertFiles(const ConversionRequest& request);

// What --info prints of a file, read whole.
std::string DescribeFile(const std::string& fileName);
