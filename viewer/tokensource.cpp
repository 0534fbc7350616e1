#include "viewer/tokensource.h"

#include "imaging/pxerror.h"

#include <cstring>

namespace {

bool IsBlank(char character) {
    const auto code = static_cast<unsigned char>(character);
    return code == ' ' || (code >= 8 && code <= 13);
}

// Characters that stand as tokens of their own and end a word before them.
bool IsPunctuation(char character) {
    return character != 0 && std::strchr("():;=[]{|}", character) != nullptr;
}

} // namespace

StringCharacterSource::StringCharacterSource(const char* text) : text(text ? text : "") {}

char StringCharacterSource::Current() const {
    return position < text.size() ? text[position] : 0;
}

char StringCharacterSource::Advance() {
    if (position < text.size())
        ++position;
    const char character = Current();
    if (character == '\n')
        ++line;
    return character;
}

void TokenSource::Push(std::unique_ptr<CharacterSource> source) {
    sources.push_back(std::move(source));
}

char TokenSource::Current() const {
    for (auto source = sources.rbegin(); source != sources.rend(); ++source)
        if (const char character = (*source)->Current())
            return character;
    return 0;
}

void TokenSource::Consume() {
    while (!sources.empty() && sources.back()->Current() == 0)
        sources.pop_back();
    if (sources.empty())
        return;
    tokenLine = sources.back()->Line();
    sources.back()->Advance();
}

void TokenSource::Append(char*& end, char character) {
    char* const start = buffers[current].data();
    if (end - start >= kTokenSize - 1)
        throw pxError("SYNTAX ERROR [%d]:  Token longer than %d characters", tokenLine,
                      kTokenSize - 1);
    *end++ = character;
    *end = 0;
}

void TokenSource::Next() {
    current = (current + 1) % kTokenBuffers;
    char* const start = buffers[current].data();
    char* end = start;
    *end = 0;
    atEnd = false;

    enum class State { Skip, Comment, String, Word } state = State::Skip;
    for (;;) {
        const char character = Current();
        switch (state) {
        case State::Skip:
            if (character == 0) {
                atEnd = true;
                return;
            }
            if (character == '"' || character == '#') {
                state = character == '"' ? State::String : State::Comment;
                Consume();
            } else if (IsBlank(character) || character == ',') {
                Consume();
            } else {
                state = State::Word;
            }
            break;
        case State::Comment:
            if (character == 0) {
                atEnd = true;
                return;
            }
            Consume();
            if (character == '\n')
                state = State::Skip;
            break;
        case State::String:
            if (character == 0) {
                atEnd = true;
                return;
            }
            Consume();
            if (character == '"')
                return;
            if (character == '\\') {
                // \" is a quote inside the string; \\ is one backslash.
                const char escaped = Current();
                if (escaped == '"' || escaped == '\\') {
                    Append(end, escaped);
                    Consume();
                    break;
                }
            }
            Append(end, character);
            break;
        case State::Word:
            if (character == 0 || IsBlank(character) || character == ',' || character == '"' ||
                character == '#')
                return;
            if (IsPunctuation(character) && end != start)
                return;
            Append(end, character);
            Consume();
            if (IsPunctuation(character))
                return;
            break;
        }
    }
}

const char* TokenSource::Curr() const {
    return atEnd ? nullptr : buffers[current].data();
}
