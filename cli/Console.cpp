#include "cli/Console.h"

#include <cstdio>

void PrintError(const std::string& text)
{
    const std::string line = "kobpack: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string PrintableName(const std::string& name)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}
