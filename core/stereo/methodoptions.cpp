#include "stereo/methodoptions.h"

#include <array>
#include <strings.h>

namespace {

constexpr std::array kNames{
    MethodOptionName{"interleaved_rl", 2}, MethodOptionName{"interleaved_lr", 3},
    MethodOptionName{"tessel", 1},         MethodOptionName{"ospi", 21},
    MethodOptionName{"pageflip", 16},      MethodOptionName{"crosseye", 4},
    MethodOptionName{"parallel", 5},       MethodOptionName{"anaglyph_g_rb", 8},
    MethodOptionName{"anaglyph_g_br", 10}, MethodOptionName{"anaglyph_g_rg", 9},
    MethodOptionName{"anaglyph_g_gr", 11}, MethodOptionName{"anaglyph_c_rb", 6},
    MethodOptionName{"anaglyph_c_br", 7},  MethodOptionName{"anaglyphrb", 12},
    MethodOptionName{"anaglyphrg", 13},    MethodOptionName{"anaglyphbr", 14},
    MethodOptionName{"anaglyphgr", 15},    MethodOptionName{"winspex", 19},
    MethodOptionName{"dubois_rc", 25},     MethodOptionName{"dubois_gm", 26},
    MethodOptionName{"dubois_ab", 27},
};

} // namespace

std::span<const MethodOptionName> MethodOptionNames() {
    return kNames;
}

int32_t MethodIdFromOptionName(const char* name) {
    for (const MethodOptionName& entry : kNames)
        if (strcasecmp(name, entry.name) == 0)
            return entry.methodId;
    return 0;
}
