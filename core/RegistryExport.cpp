// Registry-export text: header, key lines in depth-first order, one value line per value, binary data
// wrapped after every 25th byte past the first line's 26.
#include "core/RegistryExport.h"

#include <cstdio>

#include "core/CollectionRun.h"
#include "platform/Text.h"

namespace kw {
namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";

std::string hexByte(unsigned char b) {
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02X", b);
    return buf;
}

// "hex:" for REG_BINARY; every other type that has no text form keeps its type number, as
// regedit writes it, so that no data is lost from the export.
std::string hexPrefix(std::uint32_t type) {
    if (type == kRegBinary)
        return "hex:";
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(type));
    return buf;
}

void hexParts(const std::string& data, std::vector<std::string>& parts) {
    for (size_t i = 0; i < data.size(); ++i) {
        parts.push_back(hexByte(static_cast<unsigned char>(data[i])));
        if (i + 1 < data.size()) {
            parts.push_back(",");
            if (i > 0 && i % 25 == 0)
                parts.push_back("\\");
        }
    }
}

} // namespace

std::string EscapeBackslashes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(c);
        if (c == '\\')
            out.push_back('\\');
    }
    return out;
}

std::vector<std::string> registryValueParts(const RegistryValue& v) {
    std::string name = v.name.empty() ? "@" : "\"" + EscapeBackslashes(v.name) + "\"";
    switch (v.type) {
    case kRegSz:
    case kRegExpandSz:
        return {name + "=\"" + EscapeBackslashes(registryStringOf(v.data)) + "\""};
    case kRegDword:
        if (v.data.size() == 4) {
            unsigned value = 0;
            for (int i = 3; i >= 0; --i)
                value = (value << 8) | static_cast<unsigned char>(v.data[i]);
            char buf[16];
            std::snprintf(buf, sizeof buf, "%08X", value);
            return {name + "=dword:" + buf};
        }
        break; // a DWORD of another size is shown as its bytes
    default:
        break;
    }
    std::vector<std::string> parts{name + "=" + hexPrefix(v.type)};
    hexParts(v.data, parts);
    return parts;
}

std::vector<std::string> registryValueLines(const RegistryValue& v) {
    std::vector<std::string> parts = registryValueParts(v);
    std::vector<std::string> lines{parts[0]};
    for (size_t i = 1; i < parts.size(); ++i) {
        lines.back() += parts[i];
        if (parts[i] == "\\")
            lines.emplace_back();
    }
    return lines;
}

void RegistryExporter::exportKey(RegistryRoot root, const std::string& path, RegistryView view, bool fileMode,
                                 std::vector<std::string>& out) {
    if (fileMode) {
        out.emplace_back();
        out.push_back(std::string("[") + registryRootName(root) + "\\" + path + "]");
    }
    std::optional<RegistryKeyContents> key = run_.platform().registry.readKey(root, path, view);
    if (!key)
        return; // a key that cannot be opened shows only its key line
    for (const RegistryValue& v : key->values) {
        if (fileMode) {
            for (auto& line : registryValueLines(v))
                out.push_back(std::move(line));
        } else {
            std::vector<std::string> parts = registryValueParts(v);
            out.push_back("    " + parts[0]);
            for (size_t i = 1; i < parts.size(); ++i)
                out.push_back(std::move(parts[i]));
        }
    }
    for (const std::string& sub : key->subkeys)
        exportKey(root, path.empty() ? sub : path + "\\" + sub, view, fileMode, out);
}

std::vector<std::string> RegistryExporter::exportText(RegistryRoot root, const std::string& keyPath,
                                                      RegistryView view) {
    std::string path = keyPath;
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    std::vector<std::string> out;
    if (view == RegistryView::Wow64_64) {
        out.push_back("!--- 64-разрядный раздел реестра ---!");
        out.push_back(" ");
    }
    out.push_back(kHeader);
    exportKey(root, path, view, true, out);
    return out;
}

void RegistryExporter::exportBranch(RegistryRoot root, const std::string& keyPath, const std::string& target,
                                    ExportInto into, RegistryView view) {
    if (into == ExportInto::File) {
        std::string text;
        for (const auto& line : exportText(root, keyPath, view))
            text += line + "\r\n";
        // An unwritable target gives no file and no message, as every export does.
        run_.platform().files.writeFile(run_.folders().workPath(target), utf8ToAnsi(text));
        return;
    }
    std::string path = keyPath;
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    std::vector<std::string> lines;
    exportKey(root, path, view, false, lines);
    if (into == ExportInto::SystemText) {
        for (const auto& l : lines)
            run_.systemTextBuffer().append(l);
    } else {
        for (const auto& l : lines)
            run_.eventLog().append(l);
    }
}

void RegistryExporter::ExportRegistryBranch(RegistryRoot root, const std::string& keyPath,
                                            const std::string& target, ExportInto into) {
    exportBranch(root, keyPath, target, into, RegistryView::Default);
}

void RegistryExporter::ExportRegistryBranch64(RegistryRoot root, const std::string& keyPath,
                                              const std::string& target, ExportInto into) {
    if (!run_.platform().registry.isWow64())
        return;
    exportBranch(root, keyPath, target, into, RegistryView::Wow64_64);
}

} // namespace kw
