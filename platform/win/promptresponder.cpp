#include "platform/win/promptresponder.h"

namespace win {
namespace {

PromptResponder*& Responder() {
    static PromptResponder* responder = nullptr;
    return responder;
}

} // namespace

UINT PromptResponder::ChooseMenuItem(const MenuPrompt&) {
    return 0;
}

void SetPromptResponder(PromptResponder* responder) {
    Responder() = responder;
}

namespace internal {
PromptResponder* CurrentPromptResponder() {
    return Responder();
}
} // namespace internal

} // namespace win
