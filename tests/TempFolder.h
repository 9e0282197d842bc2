// A fresh temporary directory for each test, so that no two tests share a "KW_Temp".
#pragma once
#include <string>

namespace kw::test {

// The current test's temporary directory (ends in a separator), as GetTempPath reports it.
std::string tempDir();
std::string readFileBytes(const std::string& path);
bool fileExists(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);

} // namespace kw::test
