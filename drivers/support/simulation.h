// What every simulated driver keeps besides its device state: the calls it
// received, in order, and the statuses tests or its configuration asked it
// to answer instead of the real outcome.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>

namespace drivers {

// One line per call: "name(argument, argument, ...)".
class CallRecord {
public:
    void Add(const std::string& call);
    // Every line so far, each ended by a newline; stays valid until the next
    // Add or Clear.
    const char* Text();
    void Clear();

private:
    std::mutex mutex;
    std::string text;
    std::string snapshot;
};

// The status a function is to answer instead of doing its work: once (from
// a test) or every time (from the configuration); once comes first.
class InjectedStatuses {
public:
    void Always(const std::string& function, long status);
    void Once(const std::string& function, long status);
    std::optional<long> Take(const std::string& function);
    void Clear();

private:
    std::mutex mutex;
    std::map<std::string, long> always;
    std::map<std::string, long> once;
};

// "null" or the address, as the call record shows pointers; texts are quoted.
std::string PointerText(const void* pointer);
std::string StringText(const char* text);

// "name(argument, ...)": numbers in decimal, pointers as PointerText, texts
// quoted, strings as they are.
template <typename... Arguments>
std::string CallText(const char* name, const Arguments&... arguments) {
    std::string text = std::string(name) + "(";
    const char* separator = "";
    auto append = [&](const auto& argument) {
        using Type = std::decay_t<decltype(argument)>;
        text += separator;
        if constexpr (std::is_same_v<Type, const char*> || std::is_same_v<Type, char*>) {
            text += StringText(argument);
        } else if constexpr (std::is_same_v<Type, std::string>) {
            text += argument; // already shaped by the driver
        } else if constexpr (std::is_pointer_v<Type>) {
            text += PointerText(argument);
        } else {
            text += std::to_string(static_cast<long long>(argument));
        }
        separator = ", ";
    };
    (append(arguments), ...);
    return text + ")";
}

} // namespace drivers
