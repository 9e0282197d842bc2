// File capture: a source file copied as text into the work folder under a tagged name, with a header
// that says where it came from, and every outcome in the event log. Files are streamed, never read
// whole, so that a large log cannot exhaust the address space.
#pragma once
#include <string>

#include "platform/Registry.h"

namespace kw {

class CollectionRun;

// Whether a captured copy starts with the lines that say where it came from.
enum class Header : unsigned char { Kept, None }; // None: an XML or HTML copy stays a valid document

inline constexpr const char* kHeaderRule =
    "____________________________________________________________________";

class FileCapture {
  public:
    explicit FileCapture(CollectionRun& run) : run_(run) {}

    // folder + "\" + fileName (or folder alone when fileName is empty) into prefix + fileName.
    void CaptureFile(const std::string& folder, const std::string& tag, const std::string& prefix,
                     const std::string& fileName, Header header = Header::Kept);
    // folder (read from the registry when empty) + subPath + fileName into "(" + product + ")" + fileName;
    // returns the source path when the file was captured, empty otherwise.
    std::string CaptureRegisteredFile(RegistryRoot root, const std::string& key, const std::string& subkey,
                                      const std::string& folder, const std::string& subPath,
                                      const std::string& fileName, const std::string& product,
                                      const std::string& valueName);
    // A file another program holds open: shell-copied into the work folder first, then captured.
    void CaptureLockedFile(const std::string& folder, const std::string& prefix, const std::string& fileName);
    // A Unicode text file (by its byte-order mark; none means ANSI) converted to the ANSI code page.
    // folder ends in a separator; it may be the work folder itself (the registry export tool's files).
    void CaptureUnicodeFile(const std::string& folder, const std::string& prefix,
                            const std::string& fileName);

    // source as text into the work folder as targetName after header (ANSI bytes), streamed; an empty
    // source gives the header alone. False when it could not be read or written (logged).
    bool CopyWithHeader(const std::string& source, const std::string& targetName, const std::string& header);
    // The whole file (small files only); false when it is empty or cannot be read (logged).
    bool ReadWholeFile(const std::string& path, std::string& text);
    bool ShellCopyFile(const std::string& source, const std::string& destination);
    std::string GetSpecialFolder(int csidl);

  private:
    enum class Copy { Written, Empty, ReadFailed, WriteFailed };
    // Header (ANSI) and the source's bytes up to the first NUL, ending in one line break; an empty
    // source is Empty unless emptyToo. A target that is the source is refused.
    Copy copyAsText(const std::string& source, const std::string& target, const std::string& header,
                    std::string& error, bool emptyToo = false);
    // The byte copy after a failed text copy, with its "[ 3)" lines; true when the copy was made.
    bool fallBackToShellCopy(const std::string& source, const std::string& targetName);
    void logError(const std::string& what, const std::string& path, const std::string& errorClass,
                  const std::string& message);
    void showInCaptureBuffer(const std::string& header, const std::string& textStart);

    CollectionRun& run_;
};

} // namespace kw
