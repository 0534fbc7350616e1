// The viewing methods bxconvert writes, by the names of the viewer's -oform
// option and a few of its own, and the picture each one makes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct ConvertMethod {
    const char* name;
    int32_t outputType; // what pxCPair::CopyConvert writes
    int32_t swapEyes;
};

// The method of a name (compared without regard to case), or none.
std::optional<ConvertMethod> FindConvertMethod(const std::string& name);
// Every accepted name, separated by ", ".
std::string ConvertMethodNames();

// The layout word that describes the pair a method writes (for .jps and .pns
// files): none for methods that write one picture (anaglyphs, one eye). copy
// writes the input's own arrangement, inputLayout.
std::optional<uint32_t> WrittenLayout(const ConvertMethod& method, uint32_t inputLayout);
