#pragma once
// SANE's "test" backend through a private configuration folder: dll.conf names only "test", test.conf holds
// the backend's defaults. Both files are read at each start of SANE. SANE reads the folder's path once per process, so every test shares one folder
// and rewrites test.conf before it starts a scanner.
#include <filesystem>
#include <string>

namespace zelpix::test::SaneTestBackend {

// Two devices, test:0 and test:1, Gray mode at 8 bits and 50 dpi, the colour pattern; extraLines
// (test.conf syntax, one setting a line) override these.
void Configure(const std::string& extraLines);
// No backend at all: SANE finds no device.
void ConfigureNoBackend();
const std::filesystem::path& Folder();

}  // namespace zelpix::test::SaneTestBackend
