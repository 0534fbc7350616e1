#include "platform/registry/registrytext.h"

#include "platform/registry/registry.h"

#include <cstdio>

namespace win::internal {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One to maxDigits hexadecimal digits and nothing else.
bool ParseHex(std::string_view digits, size_t maxDigits, DWORD& value) {
    if (digits.empty() || digits.size() > maxDigits)
        return false;
    value = 0;
    for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<DWORD>(digit);
    }
    return true;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text(text) {}

    RegistryParseResult Run() {
        if (Trimmed(text).empty())
            return {RegistryTree{}, 0, {}};
        if (text.starts_with(kByteOrderMark))
            text.remove_prefix(kByteOrderMark.size());
        std::string_view line;
        if (!NextLine(line) || line != kHeader)
            return Failed("the first line is not REGEDIT4");
        while (NextLine(line)) {
            if (line.empty() || line.front() == ';')
                continue;
            const bool read = line.front() == '[' ? ReadKey(line) : ReadValue(line);
            if (!read)
                return {std::nullopt, lineNumber, problem};
        }
        return {std::move(tree), 0, {}};
    }

private:
    // The next line without its leading and trailing blanks.
    bool NextLine(std::string_view& line) {
        if (position >= text.size())
            return false;
        size_t end = text.find('\n', position);
        if (end == std::string_view::npos)
            end = text.size();
        line = Trimmed(text.substr(position, end - position));
        position = end + 1;
        ++lineNumber;
        return true;
    }

    RegistryParseResult Failed(std::string why) {
        Fail(std::move(why));
        return {std::nullopt, lineNumber, problem};
    }

    bool Fail(std::string why) {
        problem = std::move(why);
        return false;
    }

    // [ROOT\name\name]
    bool ReadKey(std::string_view line) {
        if (line.size() < 2 || line.back() != ']')
            return Fail("a key line does not end with ]");
        const std::string_view names = line.substr(1, line.size() - 2);
        const size_t separator = names.find('\\');
        const std::string_view rootName = names.substr(0, separator);
        const RegistryRoot* root = nullptr;
        for (const RegistryRoot& candidate : kRegistryRoots) {
            if (SameName(rootName, RootName(candidate)))
                root = &candidate;
        }
        if (!root)
            return Fail("unknown root key '" + std::string(rootName) + "'");
        KeyPath path;
        if (separator != std::string_view::npos && !SplitKeyPath(names.substr(separator + 1), path))
            return Fail("an empty key name");
        if (path.size() > kMaxKeyDepth)
            return Fail("a key more than 512 levels deep");
        bool created = false;
        key = &tree.Root(*root).FindOrCreate(path, created);
        return true;
    }

    // "name"=data or @=data
    bool ReadValue(std::string_view line) {
        if (!key)
            return Fail("a value before the first key");
        std::string name;
        std::string_view rest = line;
        if (rest.front() == '@')
            rest.remove_prefix(1);
        else if (rest.front() != '"')
            return Fail("expected [key], \"name\"= or @=");
        else if (!ReadQuoted(rest, name))
            return false;
        rest = Trimmed(rest);
        if (rest.empty() || rest.front() != '=')
            return Fail("expected = after the value name");
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        if (!ReadData(Trimmed(rest.substr(1)), type, data))
            return false;
        key->SetValue(name, type, StoredBytes(type, data.data(), data.size()));
        return true;
    }

    // A quoted text at the start of `rest`; `rest` is left after the closing quote.
    bool ReadQuoted(std::string_view& rest, std::string& out) {
        for (size_t i = 1; i < rest.size(); ++i) {
            const char c = rest[i];
            if (c == '"') {
                rest.remove_prefix(i + 1);
                return true;
            }
            if (c == '\\') {
                if (++i == rest.size() || (rest[i] != '\\' && rest[i] != '"'))
                    return Fail("only \\\\ and \\\" may follow a backslash in quotes");
            }
            out.push_back(rest[i]);
        }
        return Fail("a text without its closing quote");
    }

    bool ReadData(std::string_view data, DWORD& type, std::vector<BYTE>& bytes) {
        if (data.starts_with('"')) {
            std::string text;
            if (!ReadQuoted(data, text))
                return false;
            if (!Trimmed(data).empty())
                return Fail("text after the closing quote");
            type = REG_SZ;
            bytes.assign(text.begin(), text.end());
            return true;
        }
        if (StartsWithNoCase(data, "dword:")) {
            DWORD value = 0;
            if (!ParseHex(data.substr(6), 8, value))
                return Fail("dword: needs 1 to 8 hex digits");
            type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<BYTE>(value >> shift));
            return true;
        }
        if (StartsWithNoCase(data, "hex:")) {
            type = REG_BINARY;
            return ReadHexList(data.substr(4), bytes);
        }
        if (StartsWithNoCase(data, "hex(")) {
            const size_t close = data.find("):");
            if (close == std::string_view::npos || !ParseHex(data.substr(4, close - 4), 8, type))
                return Fail("hex( needs a hex type number and ):");
            return ReadHexList(data.substr(close + 2), bytes);
        }
        return Fail("unknown value data");
    }

    // 01,02,ff with an optional trailing comma; a trailing backslash
    // continues the list on the next line.
    bool ReadHexList(std::string_view list, std::vector<BYTE>& bytes) {
        for (;;) {
            const bool continued = list.ends_with('\\');
            if (continued)
                list.remove_suffix(1);
            while (!Trimmed(list).empty()) {
                const size_t comma = list.find(',');
                DWORD value = 0;
                if (!ParseHex(Trimmed(list.substr(0, comma)), 2, value))
                    return Fail("a hex list needs bytes of 1 or 2 hex digits between commas");
                bytes.push_back(static_cast<BYTE>(value));
                list =
                    comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
            }
            if (!continued)
                return true;
            if (!NextLine(list))
                return Fail("a hex list continued past the end");
        }
    }

    std::string_view text;
    size_t position = 0;
    int lineNumber = 0;
    std::string problem;
    RegistryTree tree;
    RegistryKey* key = nullptr; // the key of the last [ ] line
};

void PrintQuoted(std::string_view text, std::string& out) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void PrintHexList(const std::vector<BYTE>& bytes, std::string& out) {
    char digits[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02x" : ",%02x", bytes[i]);
        out += digits;
    }
}

// A string that survives as "text": one terminator at the end, no line breaks.
bool PrintableAsText(const RegistryValue& value) {
    if (value.type != REG_SZ || value.data.empty() || value.data.back() != 0)
        return false;
    const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                value.data.size() - 1);
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void PrintValue(const RegistryValue& value, std::string& out) {
    if (value.name.empty())
        out += '@';
    else
        PrintQuoted(value.name, out);
    out += '=';
    char prefix[24];
    if (PrintableAsText(value)) {
        PrintQuoted({reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1}, out);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        const DWORD number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                             static_cast<DWORD>(value.data[3]) << 24;
        std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
        out += prefix;
    } else {
        if (value.type == REG_BINARY)
            out += "hex:";
        else {
            std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
            out += prefix;
        }
        PrintHexList(value.data, out);
    }
    out += '\n';
}

// A root key gets a [ ] line only when it holds values itself.
void PrintKey(const RegistryKey& key, const std::string& path, bool isRoot, std::string& out) {
    if (!isRoot || !key.Values().empty()) {
        out += "\n[" + path + "]\n";
        for (const RegistryValue& value : key.Values())
            PrintValue(value, out);
    }
    for (const RegistryKey& subkey : key.Subkeys())
        PrintKey(subkey, path + '\\' + subkey.Name(), false, out);
}

} // namespace

RegistryParseResult ParseRegistryText(std::string_view text) {
    return Parser(text).Run();
}

std::string PrintRegistryText(const RegistryTree& tree) {
    std::string out(kHeader);
    out += '\n';
    for (RegistryRoot root : kRegistryRoots)
        PrintKey(tree.Root(root), RootName(root), true, out);
    out += '\n';
    return out;
}

} // namespace win::internal
