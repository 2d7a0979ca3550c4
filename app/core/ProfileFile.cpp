#include "app/core/ProfileFile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace zelpix {

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lines.empty() && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3); // a byte-order mark some editors put first
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives name; anything else gives nothing.
bool SectionName(const std::string& line, std::string& name)
{
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const auto close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    const std::string t = Trim(line.substr(0, eq));
    if (t.empty() || t.front() == ';')
        return false;
    key = t;
    value = Trim(line.substr(eq + 1));
    return true;
}

struct Location {
    long sectionLine = -1; // the "[section]" line
    long lastKeyLine = -1; // last key line of the section
    long keyLine = -1;     // the key's own line
};

Location Find(const std::vector<std::string>& lines, const std::string& section, const std::string& key)
{
    Location where;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (SectionName(lines[i], name)) {
            if (inside)
                break; // a section ends at the next one
            inside = SameName(name, section);
            if (inside) {
                where.sectionLine = long(i);
                where.lastKeyLine = long(i);
            }
            continue;
        }
        if (inside && KeyLine(lines[i], k, v)) {
            where.lastKeyLine = long(i);
            if (where.keyLine < 0 && SameName(k, key))
                where.keyLine = long(i);
        }
    }
    return where;
}

}  // namespace

std::string ProfileFile::ReadString(const std::string& section, const std::string& key, const std::string& fallback) const
{
    const std::vector<std::string> lines = ReadLines(path_);
    const Location where = Find(lines, section, key);
    if (where.keyLine < 0)
        return fallback;
    std::string k, value;
    KeyLine(lines[std::size_t(where.keyLine)], k, value);
    // A value written in matching quotes reads without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::int64_t ProfileFile::ReadInteger(const std::string& section, const std::string& key, std::int64_t fallback) const
{
    const std::string text = ReadString(section, key, "");
    if (text.empty())
        return fallback;
    std::size_t start = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        start = 1;
    }
    int base = 10;
    if (text.compare(start, 2, "0x") == 0 || text.compare(start, 2, "0X") == 0) {
        base = 16;
        start += 2;
    } else if (text.compare(start, 1, "$") == 0) {
        base = 16;
        start += 1;
    }
    if (start >= text.size())
        return fallback;
    std::uint64_t magnitude = 0;
    const char* begin = text.data() + start;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, magnitude, base);
    if (ec != std::errc() || ptr != end)
        return fallback;
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFull)
        return std::int64_t(std::int32_t(std::uint32_t(magnitude))); // "$8000000F" is a 32-bit pattern
    if (magnitude > std::uint64_t(INT64_MAX))
        return fallback;
    return negative ? -std::int64_t(magnitude) : std::int64_t(magnitude);
}

bool ProfileFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const
{
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    std::vector<std::string> lines = ReadLines(path_);
    const Location where = Find(lines, section, key);
    const std::string line = key + "=" + value;
    if (where.keyLine >= 0) {
        lines[std::size_t(where.keyLine)] = line;
    } else if (where.sectionLine >= 0) {
        lines.insert(lines.begin() + where.lastKeyLine + 1, line);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(line);
    }
    std::ostringstream text;
    for (const std::string& l : lines)
        text << l << "\r\n";
    const std::string temporary = path_ + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out)
            throw std::runtime_error("Cannot write the settings file " + path_);
    }
    if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error("Cannot write the settings file " + path_);
    }
}

void ProfileFile::WriteInteger(const std::string& section, const std::string& key, std::int64_t value)
{
    WriteString(section, key, std::to_string(value));
}

void ProfileFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace zelpix
