// A glasses driver loaded at run time by name: its functions are resolved by
// name, in a fixed order, each into its slot; a function the library lacks
// leaves its slot empty, and calling through an empty slot answers the
// caller's "not loaded" result instead of crashing.
#pragma once

#include "platform/sys/libraries.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

class DriverLibrary {
public:
    // The names stay the caller's; slot i holds names[i].
    explicit DriverLibrary(std::span<const char* const> names);
    ~DriverLibrary();
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    // Loads the library and fills the slots, unless it is loaded already;
    // false when it cannot be loaded.
    bool Load(const char* fileName);
    // Frees the library and empties every slot.
    void Unload();
    bool Loaded() const { return module != nullptr; }
    bool Has(std::size_t slot) const { return slots[slot] != nullptr; }

    // Calls the slot's function as its declared type (from the driver's
    // interface header) and answers its result, or `missing` when the slot
    // is empty; a function without a result answers `missing` too.
    template <typename Function, typename Result, typename... Arguments>
    Result Call(std::size_t slot, Result missing, Arguments... arguments) const {
        const auto function = reinterpret_cast<Function*>(slots[slot]);
        if (!function) {
            return missing;
        }
        if constexpr (std::is_void_v<std::invoke_result_t<Function*, Arguments...>>) {
            function(arguments...);
            return missing;
        } else {
            return static_cast<Result>(function(arguments...));
        }
    }

private:
    std::span<const char* const> names;
    win::HMODULE module = nullptr;
    std::vector<win::FARPROC> slots;
};

// The slot of a function name, found while compiling.
template <std::size_t Count>
consteval std::size_t SlotOf(const std::array<const char*, Count>& names, std::string_view name) {
    for (std::size_t i = 0; i < Count; ++i) {
        if (names[i] == name) {
            return i;
        }
    }
    throw "not a function of the driver";
}

// Calls `function` (as declared in the driver's interface header) through
// the slot of its name in `names`, or answers `missing`; naming the function
// once keeps its type and its slot together.
#define CALL_DRIVER(library, names, function, missing, ...)                                        \
    (library).Call<decltype(function)>(SlotOf(names, #function),                                   \
                                       (missing)__VA_OPT__(, ) __VA_ARGS__)
