#include "platform/win/keytranslation.h"

#include "platform/win/input.h"

#include <Qt>

#include <cstring>

namespace win::internal {
namespace {

// The punctuation keys of a US layout: unshifted and shifted character.
struct PunctuationKey {
    WPARAM virtualKey;
    char plain;
    char shifted;
    BYTE scanCode;
};

constexpr PunctuationKey kPunctuation[] = {
    {VK_OEM_1, ';', ':', 0x27},     {VK_OEM_PLUS, '=', '+', 0x0D},   {VK_OEM_COMMA, ',', '<', 0x33},
    {VK_OEM_MINUS, '-', '_', 0x0C}, {VK_OEM_PERIOD, '.', '>', 0x34}, {VK_OEM_2, '/', '?', 0x35},
    {VK_OEM_3, '`', '~', 0x29},     {VK_OEM_4, '[', '{', 0x1A},      {VK_OEM_5, '\\', '|', 0x2B},
    {VK_OEM_6, ']', '}', 0x1B},     {VK_OEM_7, '\'', '"', 0x28},
};

// What Shift makes of the digit keys 0 to 9.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// Scan codes of the letter rows, from their first key on.
constexpr struct {
    const char* letters;
    BYTE firstScanCode;
} kLetterRows[] = {{"QWERTYUIOP", 0x10}, {"ASDFGHJKL", 0x1E}, {"ZXCVBNM", 0x2C}};

struct SpecialKey {
    int qtKey;
    WPARAM virtualKey;
};

constexpr SpecialKey kSpecialKeys[] = {
    {Qt::Key_Escape, VK_ESCAPE},   {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Home, VK_HOME},       {Qt::Key_End, VK_END},       {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},
    {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},      {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Space, VK_SPACE},
};

struct ScanCode {
    WPARAM virtualKey;
    BYTE code;
    bool extended;
};

constexpr ScanCode kScanCodes[] = {
    {VK_ESCAPE, 0x01, false},   {VK_BACK, 0x0E, false},    {VK_TAB, 0x0F, false},
    {VK_RETURN, 0x1C, false},   {VK_CONTROL, 0x1D, false}, {VK_SHIFT, 0x2A, false},
    {VK_MENU, 0x38, false},     {VK_SPACE, 0x39, false},   {VK_CAPITAL, 0x3A, false},
    {VK_PAUSE, 0x45, false},    {VK_HOME, 0x47, true},     {VK_UP, 0x48, true},
    {VK_PRIOR, 0x49, true},     {VK_LEFT, 0x4B, true},     {VK_RIGHT, 0x4D, true},
    {VK_END, 0x4F, true},       {VK_DOWN, 0x50, true},     {VK_NEXT, 0x51, true},
    {VK_INSERT, 0x52, true},    {VK_DELETE, 0x53, true},   {VK_MULTIPLY, 0x37, false},
    {VK_SUBTRACT, 0x4A, false}, {VK_ADD, 0x4E, false},     {VK_DECIMAL, 0x53, false},
    {VK_DIVIDE, 0x35, true},    {VK_F1 + 10, 0x57, false}, {VK_F1 + 11, 0x58, false},
};

// The number pad's digits 0 to 9.
constexpr BYTE kNumberPadScanCodes[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};

WPARAM NumberPadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return VK_NUMPAD0 + static_cast<WPARAM>(qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Period:
        return VK_DECIMAL;
    case Qt::Key_Slash:
        return VK_DIVIDE;
    default:
        return 0;
    }
}

BYTE ScanCodeOf(WPARAM virtualKey, bool* extended) {
    *extended = false;
    if (virtualKey >= '1' && virtualKey <= '9')
        return static_cast<BYTE>(0x02 + (virtualKey - '1'));
    if (virtualKey == '0')
        return 0x0B;
    for (const auto& row : kLetterRows)
        if (const char* at = std::strchr(row.letters, static_cast<int>(virtualKey));
            at && virtualKey != 0)
            return static_cast<BYTE>(row.firstScanCode + (at - row.letters));
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9)
        return kNumberPadScanCodes[virtualKey - VK_NUMPAD0];
    if (virtualKey >= VK_F1 && virtualKey < VK_F1 + 10)
        return static_cast<BYTE>(0x3B + (virtualKey - VK_F1));
    for (const PunctuationKey& key : kPunctuation)
        if (key.virtualKey == virtualKey)
            return key.scanCode;
    for (const ScanCode& scan : kScanCodes)
        if (scan.virtualKey == virtualKey) {
            *extended = scan.extended;
            return scan.code;
        }
    return 0;
}

} // namespace

WPARAM VirtualKeyOf(int qtKey, bool keypad) {
    if (keypad)
        if (const WPARAM key = NumberPadKey(qtKey))
            return key;
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<WPARAM>(qtKey); // Qt gives letters and digits their ASCII codes
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return VK_F1 + static_cast<WPARAM>(qtKey - Qt::Key_F1);
    for (const SpecialKey& key : kSpecialKeys)
        if (key.qtKey == qtKey)
            return key.virtualKey;
    // Punctuation: Qt gives the character typed, which names its key.
    for (int digit = 0; digit < 10; ++digit)
        if (qtKey == kShiftedDigits[digit])
            return '0' + static_cast<WPARAM>(digit);
    for (const PunctuationKey& key : kPunctuation)
        if (qtKey == key.plain || qtKey == key.shifted)
            return key.virtualKey;
    return 0;
}

LPARAM KeyMessageLParam(WPARAM virtualKey, bool keyUp, bool wasDown, bool alt) {
    bool extended = false;
    const DWORD scanCode = ScanCodeOf(virtualKey, &extended);
    DWORD packed = 1 | (scanCode << 16);
    if (extended)
        packed |= 1u << 24;
    if (alt)
        packed |= 1u << 29;
    if (wasDown || keyUp)
        packed |= 1u << 30;
    if (keyUp)
        packed |= 1u << 31;
    return static_cast<LPARAM>(packed);
}

char CharacterOf(WPARAM virtualKey, KeyState keys) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (keys.control)
            return static_cast<char>(virtualKey - 'A' + 1);
        return static_cast<char>(keys.shift ? virtualKey : virtualKey - 'A' + 'a');
    }
    if (keys.control)
        return 0;
    if (virtualKey >= '0' && virtualKey <= '9')
        return keys.shift ? kShiftedDigits[virtualKey - '0'] : static_cast<char>(virtualKey);
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9)
        return static_cast<char>('0' + (virtualKey - VK_NUMPAD0));
    for (const PunctuationKey& key : kPunctuation)
        if (key.virtualKey == virtualKey)
            return keys.shift ? key.shifted : key.plain;
    switch (virtualKey) {
    case VK_SPACE:
        return ' ';
    case VK_TAB:
        return '\t';
    case VK_RETURN:
        return '\r';
    case VK_BACK:
        return '\b';
    case VK_ESCAPE:
        return 27;
    case VK_MULTIPLY:
        return '*';
    case VK_ADD:
        return '+';
    case VK_SUBTRACT:
        return '-';
    case VK_DECIMAL:
        return '.';
    case VK_DIVIDE:
        return '/';
    default:
        return 0;
    }
}

} // namespace win::internal
