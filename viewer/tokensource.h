// The presentation script's tokens: characters come from a stack of
// character sources and are cut into words, strings and punctuation, with
// blanks, commas and "#" comments between them.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

class CharacterSource {
public:
    virtual ~CharacterSource() = default;
    // The current character; 0 at the end of the source.
    virtual char Current() const = 0;
    // Moves on; the new current character.
    virtual char Advance() = 0;
    virtual const char* Name() const { return "Character Source"; }
    // Counted from 0; one more each time the current character becomes a
    // line feed.
    virtual int Line() const = 0;
};

// A copy of a zero-terminated text.
class StringCharacterSource : public CharacterSource {
public:
    explicit StringCharacterSource(const char* text);
    char Current() const override;
    char Advance() override;
    int Line() const override { return line; }

private:
    std::string text;
    size_t position = 0;
    int line = 0;
};

class TokenSource {
public:
    static constexpr int kTokenBuffers = 10;
    static constexpr int kTokenSize = 256; // up to 255 characters and the terminator

    void Push(std::unique_ptr<CharacterSource> source);
    // Moves to the next token. Throws pxError for a token longer than its
    // buffer.
    void Next();
    // The current token's text; nullptr at the end of the input. The texts
    // of the nine tokens before it stay readable.
    const char* Curr() const;
    // The line of the current token's last character; 0 without a source.
    int Line() const { return tokenLine; }

private:
    char Current() const;
    // Moves past the current character, dropping used-up sources.
    void Consume();
    void Append(char*& end, char character);

    std::vector<std::unique_ptr<CharacterSource>> sources;
    std::array<std::array<char, kTokenSize>, kTokenBuffers> buffers{};
    int current = 0;
    bool atEnd = true;
    int tokenLine = 0;
};
