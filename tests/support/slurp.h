// A whole file's bytes, as text.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

inline std::string Slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}
