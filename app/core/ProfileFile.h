#pragma once
// A Windows-style profile file ("[Section]" lines, then "key=value" lines), read and written one key at
// a time: every call reads the file again, every write rewrites it. Section and key names compare without
// regard to ASCII case and may contain spaces. A missing file or key reads as the default; the first
// write creates the file.
#include <cstdint>
#include <string>

namespace zelpix {

class ProfileFile {
public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    // Signed decimal, or hexadecimal with "0x" or "$"; anything else reads as the default.
    std::int64_t ReadInteger(const std::string& section, const std::string& key, std::int64_t fallback) const;
    // Read as an integer: not 0 is true.
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

    // Throws std::runtime_error when the file cannot be written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int64_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    std::string path_;
};

}  // namespace zelpix
