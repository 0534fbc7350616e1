// The message of the pxError an action throws, for checking exact texts.
#pragma once

#include "imaging/pxerror.h"

#include <string>

// "" when the action throws nothing.
template <typename Action> std::string ThrownMessage(Action action) {
    try {
        action();
    } catch (const pxError& e) {
        return e.GetMessage();
    }
    return "";
}
