// Secrets never leave the computer: in the text files of a package the value of every password, key and
// token is replaced by "********", and "KW_Masked.csv" says where (file, line, name), never what. What
// counts as a secret is the rule table of SecretRules.cpp; a masked file keeps its encoding (ANSI, OEM,
// UTF-8, UTF-16 with its byte-order mark), its line structure and every byte outside the values.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "results/LineDecoding.h"

namespace kw {

inline constexpr const char* kMaskedValue = "********";
inline constexpr const char* kMaskedListFile = "KW_Masked.csv";

// One value masked: the line (from 1) and the name it was found under (UTF-8). Never the value.
struct MaskedValue {
    std::int64_t line = 0;
    std::string name;
};

// One change of a file's bytes: `length` bytes at `offset` become `bytes`.
struct ByteEdit {
    std::int64_t offset = 0;
    std::int64_t length = 0;
    std::string bytes;
};

// Whether a file is text that masking reads, by its first bytes: a UTF-16 byte-order mark, or no NUL byte.
bool isMaskableText(std::string_view head);
// The encoding by the byte-order mark; without one, console captures ("(cmd)...") are OEM and the rest
// ANSI (a line that is valid UTF-8 with non-ASCII letters is read as UTF-8).
TextEncoding textEncodingOf(std::string_view fileName, std::string_view head);

// Masks one file fed in pieces of whole lines, in order, from its first byte.
class SecretMasker {
  public:
    // The encoding by textEncodingOf; a rich-text file (".rtf") also ends a value at its control words.
    SecretMasker(std::string_view fileName, std::string_view head);

    // The length of the longest prefix of `bytes` that ends in a line break: where a piece may be cut.
    std::size_t wholeLines(std::string_view bytes) const;
    // `piece` lies at `offset` in the file and ends in a line break, unless it is the file's last piece.
    // Appends the edits (in order) and the values masked.
    void feed(std::string_view piece, std::int64_t offset, std::vector<ByteEdit>& edits,
              std::vector<MaskedValue>& found);

  private:
    void maskLine(std::string_view raw, std::int64_t offset, std::vector<ByteEdit>& edits,
                  std::vector<MaskedValue>& found);

    TextEncoding encoding_;
    bool richText_ = false;
    std::int64_t line_ = 0;
    bool first_ = true;
    // Carried from one line to the next: a registry value wrapped over lines, an XML element whose
    // secret text stands on a following line.
    bool continuation_ = false;
    std::wstring pendingXml_;
    int pendingLines_ = 0;
};

// A whole file at once.
struct MaskedText {
    std::string bytes;
    std::vector<MaskedValue> found;
};
MaskedText maskSecrets(std::string_view fileName, std::string_view bytes);
// The bytes with the edits (in order, not overlapping) applied.
std::string applyEdits(std::string_view bytes, const std::vector<ByteEdit>& edits);

// "KW_Masked.csv": the header `Имя файла:` TAB `Строка:` TAB `Параметр:` and one row per masked value,
// ANSI with CR LF.
struct MaskedFile {
    std::string name;
    std::vector<MaskedValue> values;
};
std::string maskedListText(const std::vector<MaskedFile>& files);

} // namespace kw
