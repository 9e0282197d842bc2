#include "app/RunFindings.h"

#include "products/EditionTable.h"

namespace kw {

const EditionLookup& builtInEditionLookup() {
    static const EditionLookup lookup{
        .isComponent = [](std::string_view file) { return !EditionTable::builtIn().rowsOf(file).empty(); },
        .matches =
            [](std::string_view file, std::int64_t size, std::string_view version) {
                return EditionTable::builtIn().match(file, size, version) != nullptr;
            },
    };
    return lookup;
}

void writeRunFindings(CollectionRun& engine) {
    engine.saveEventLog();
    std::vector<Finding> findings;
    FileSystem& files = engine.platform().files;
    std::string folder = engine.folders().folderPath(kWorkFolder);
    bool written = writeFindings(files, folder, &builtInEditionLookup(), findings);
    EventLog& log = engine.eventLog();
    log.append(" ");
    std::vector<std::string> lines = findingLogLines(findings);
    log.setColor(LogColor::Blue);
    log.append(lines.front());
    log.setColor(LogColor::Black);
    for (size_t i = 1; i < lines.size(); ++i)
        log.append(lines[i]);
    if (!written)
        log.append("Не удалось записать файл " + folder + "\\" + kFindingsFile);
    engine.saveEventLog();
}

void writeOpenedFindings(FileSystem& files, const std::string& folder) {
    std::vector<Finding> findings;
    writeFindings(files, folder, &builtInEditionLookup(), findings);
}

} // namespace kw
