// The system information section: "software.txt", "hardware.txt", "Paths.txt", the socket proxy files
// and the COM+ reports, composed step by step in the system text buffer.
#pragma once
#include <optional>
#include <string>

#include "core/EventLog.h"
#include "core/TextBuffer.h"
#include "platform/Com.h"
#include "platform/Registry.h"

namespace kw {

class CollectionRun;
class RegistryReader;

class SystemSection {
  public:
    SystemSection(CollectionRun& run, Com& com) : run_(run), com_(com) {}

    void CollectSystemSection();

    // The hardware blocks, as the hidden page's buttons run them.
    void Button16Click(); // memory
    void Button7Click();  // logical drives
    void Button11Click(); // screen font, dxdiag, display adapters

    // path + size + date + version, after prefix: the file line of the software part.
    std::string fileLine(const std::string& prefix, const std::string& path);

  private:
    void socketProxy();
    void windowsBlock();
    void domainAndUser();
    void dcom();
    void firewall();
    void comPlus();
    void uac();
    void dep();
    void internetExplorer();
    void dataAccess();
    void sqlServer();
    void processorAndBoard();
    void screenAndNetwork();
    void serialPorts();
    void shellFolders();

    void add(const std::string& line) { text().append(line); }
    void log(const std::string& line);
    void checkpoint(const std::string& name);
    bool saveText(const char* file);
    TextBuffer& text();
    // A DWORD value in decimal text, read-only; nothing when the key or value is missing or not a DWORD.
    std::optional<std::string> dwordValue(const std::string& key, const std::string& value);
    std::string readString(const std::string& key, const std::string& subkey, const std::string& value);
    // A multi-string value into the list buffer, its empty lines removed; false after a logged error.
    bool readMultiString(const std::string& key, const std::string& value);

    CollectionRun& run_;
    Com& com_;
    TextBuffer list_;    // the list buffer: multi-string values and the shell folders
    EventLog comReport_; // the COM+ report buffer, one application at a time
};

} // namespace kw
