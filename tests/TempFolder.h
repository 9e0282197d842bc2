// A fresh temporary directory for each test, so that no two tests share a "KW_Temp".
#pragma once
#include <string>
#include <vector>

namespace kw::test {

// The current test's temporary directory (ends in a separator), as GetTempPath reports it.
std::string tempDir();
std::string readFileBytes(const std::string& path);
bool fileExists(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
// The lines of a text cut at CR LF; a final CR LF ends the last line and adds none.
std::vector<std::string> linesOf(const std::string& text);

} // namespace kw::test
