// Desktop: hot keys, the shell, and message boxes. Window handles pass through as opaque pointers.
#pragma once
#include <optional>
#include <string>

namespace kw {

using WindowHandle = void*;

enum class MessageKind { Info, Warning, Error };

class Desktop {
  public:
    virtual ~Desktop() = default;
    virtual bool registerHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) = 0;
    virtual void unregisterHotKey(WindowHandle window, int id) = 0;
    // Opens a folder, document or web page in the user's program for it.
    virtual bool shellOpen(const std::string& target) = 0;
    // Starts a program through the shell with a normal window (a tool that shows its own progress).
    // Fakes that never start programs keep the default.
    virtual bool shellExecute(const std::string& program, const std::string& parameters) {
        (void)program;
        (void)parameters;
        return false;
    }
    virtual void showMessage(WindowHandle owner, const std::string& text, MessageKind kind) = 0;
    // A message box with a title of its own ("Ошибка"); fakes that keep no titles see a plain message.
    virtual void showTitledMessage(WindowHandle owner, const std::string& title, const std::string& text,
                                   MessageKind kind) {
        (void)title;
        showMessage(owner, text, kind);
    }
    virtual bool confirm(WindowHandle owner, const std::string& text) = 0; // true for OK
    // The open dialog; filter as "name|pattern|name|pattern", `extension` added to a name typed without
    // one. Nothing when cancelled. Not every fake needs it, hence the default.
    virtual std::optional<std::string> chooseFileToOpen(WindowHandle owner, const std::string& filter,
                                                        const std::string& extension) {
        (void)owner;
        (void)filter;
        (void)extension;
        return std::nullopt;
    }
    // The save dialog, asking before it replaces a file; `name` is offered, `extension` added when the
    // user types none. Nothing when cancelled.
    virtual std::optional<std::string> chooseFileToSave(WindowHandle owner, const std::string& filter,
                                                        const std::string& name,
                                                        const std::string& extension) {
        (void)owner;
        (void)filter;
        (void)name;
        (void)extension;
        return std::nullopt;
    }
    // The shell's folder dialog; nothing when cancelled.
    virtual std::optional<std::string> chooseFolder(WindowHandle owner, const std::string& title) {
        (void)owner;
        (void)title;
        return std::nullopt;
    }
};

Desktop& windowsDesktop();

// Modifier and key codes, so that callers need no Windows headers.
inline constexpr unsigned kModAlt = 0x0001;
inline constexpr unsigned kModShift = 0x0004;
inline constexpr unsigned kVkF9 = 0x78;

} // namespace kw
