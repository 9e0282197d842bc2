// The texts of the DCOM and COM+ security levels, and the UAC and DEP decisions of the system section.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kw {

// "Connect (Подключиться) [2]" and so on; empty for a value outside the table.
std::string authenticationLevelText(const std::string& value);
std::string impersonationLevelText(const std::string& value);

// The DWORD values of the UAC policy key as decimal text; nothing where the value is missing.
struct UacValues {
    std::optional<std::string> enableLua;
    std::optional<std::string> promptOnSecureDesktop;
    std::optional<std::string> consentPromptBehaviorAdmin;
};

struct UacDecision {
    std::vector<std::string> lines;
    bool readError = false; // a value the decision needs is missing
};
UacDecision decideUac(const UacValues& values);

// The DEP policy line: `keyFound` is false when the NoExecuteState key is missing; `value` is the decimal
// text of LastNoExecuteRadioButtonState. Nothing when no line is written.
std::optional<std::string> depPolicyLine(bool keyFound, const std::optional<std::string>& value);

} // namespace kw
