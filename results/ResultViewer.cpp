// The loaders of the result tree's nodes.
#include "results/ResultViewer.h"

#include <future>
#include <system_error>

#include "platform/Text.h"
#include "results/Findings.h"
#include "results/HeldFiles.h"
#include "results/LocaleText.h"
#include "results/RichTextPlain.h"

namespace kw {

namespace {

// The first-column order on a thread of its own; where none can be started, here.
std::future<std::vector<size_t>> firstColumnOrderBeside(const TableModel& table) {
    try {
        return std::async(std::launch::async, [&table] { return table.firstColumnOrder(); });
    } catch (const std::system_error&) {
        std::promise<std::vector<size_t>> done;
        done.set_value(table.firstColumnOrder());
        return done.get_future();
    }
}

} // namespace

ResultViewer::ResultViewer(FileSystem& files, const OptionSet& options, SideViews& side1, SideViews& side2,
                           std::string workFolder, std::string compareFolder)
    : files_(files),
      options_(options), side1_{side1, std::move(workFolder)}, side2_{side2, std::move(compareFolder)} {}

void ResultViewer::TreeView1Change(const ResultNode* node) {
    if (!node)
        return;
    const std::string file(node->file);
    switch (node->kind) {
    case ViewKind::Category:
        ShowCategoryHint();
        break;
    case ViewKind::Text:
        ShowTextFile(file);
        break;
    case ViewKind::Console:
        ShowConsoleFile(file);
        break;
    case ViewKind::Table:
        ShowTableFile(file);
        break;
    }
}

void ResultViewer::ShowCategoryHint() {
    for (Side* s : {&side1_, &side2_}) {
        s->views.showText(true);
        s->views.showTable(false);
        s->views.setPlainText(L"Выберите подкатегорию");
    }
}

void ResultViewer::loadText(Side& s, const std::string& name) {
    std::string path = pathOf(s, name);
    if (!files_.plainFileExists(path)) {
        s.views.setPlainText(toWide(notFoundLine(name)));
        return;
    }
    showFileText(s, path, name, Encoding::Ansi);
}

void ResultViewer::showFileText(Side& s, const std::string& path, const std::string& name,
                                Encoding encoding) {
    // A file that exists but cannot be read says so in the view instead of showing nothing; one too
    // large to hold shows its beginning and says how much that is.
    std::optional<std::string> bytes = readFirstBytes(files_, path, kHeldTextBytes);
    if (!bytes) {
        s.views.setPlainText(toWide("Файл: " + name + " не удалось прочитать"));
        return;
    }
    std::int64_t size = files_.fileSize(path);
    if (static_cast<std::int64_t>(bytes->size()) < size) {
        std::wstring text = isRichText(*bytes) ? richTextToPlain(*bytes) : decodeText(*bytes, encoding);
        s.views.setPlainText(text + L"\r\n" +
                             toWide(notShownText(static_cast<std::int64_t>(bytes->size()), size)));
    } else if (isRichText(*bytes) && encoding == Encoding::Ansi) {
        s.views.setRichText(*bytes);
    } else {
        s.views.setPlainText(decodeText(*bytes, encoding));
    }
}

void ResultViewer::ShowTextFile(const std::string& name) {
    side1_.views.showText(true);
    side1_.views.showTable(false);
    bool wrap = options_.get(Option::WordWrap);
    side1_.views.setWordWrap(wrap);
    side2_.views.setWordWrap(wrap);
    loadText(side1_, name);
    side2_.views.showText(true);
    side2_.views.showTable(false);
    loadText(side2_, name);
}

void ResultViewer::loadConsole(Side& s, const std::string& name) {
    s.views.showText(true);
    s.views.showTable(false);
    std::string path = pathOf(s, name);
    if (!files_.plainFileExists(path)) {
        s.views.setPlainText(toWide(notFoundLine(name)));
        return;
    }
    if (files_.fileSize(path) == 0) {
        s.views.setPlainText(L"");
        return;
    }
    if (!consoleConversion_) {
        loadText(s, name);
        return;
    }
    // Shown converted; the stored file stays as the tool wrote it.
    showFileText(s, path, name, Encoding::Oem);
}

void ResultViewer::ShowConsoleFile(const std::string& name) {
    loadConsole(side1_, name);
    loadConsole(side2_, name);
}

void ResultViewer::loadTable(Side& s, const std::string& name) {
    std::string path = pathOf(s, name);
    if (!files_.plainFileExists(path)) {
        s.views.showText(true);
        s.views.setPlainText(toWide(notFoundLine(name)));
        return;
    }
    // Read and decoded in one go: a large inventory's bytes are never held beside its text.
    std::optional<std::wstring> text;
    const std::int64_t size = files_.fileSize(path);
    const bool empty = size == 0;
    if (!empty) {
        FileError error{};
        bool cut = false;
        if (std::unique_ptr<FileReader> file = files_.openRead(path, error))
            text = readDecodedFile(*file, Encoding::Ansi, kHeldTableBytes, &cut);
        // A table too large to hold shows its first rows, and a last one that says so.
        if (text && cut)
            *text += toWide(notShownText(kHeldTableBytes, size)) + L"\r\n";
    }
    if (empty || !text) {
        // An empty (or unreadable) table file: no table, and no text of the previous node either.
        s.views.showText(true);
        s.views.setPlainText(empty ? L"" : toWide("Файл: " + name + " не удалось прочитать"));
        return;
    }
    s.views.setPlainText(L"Открываем таблицу");
    s.views.table().LoadTableFile(std::move(*text));
    if (sameTextIgnoringCase(name, kFindingsFile) && s.views.table().dataRows().empty()) {
        // An empty table of findings would look like one that failed to load: it says so instead.
        s.views.showText(true);
        s.views.setPlainText(L"Найденные проблемы: проблем не найдено.");
        return;
    }
    s.views.showText(false);
    s.views.showTable(true);
}

void ResultViewer::ShowTableFile(const std::string& name) {
    for (Side* s : {&side1_, &side2_}) {
        s->views.showTable(false);
        s->views.table().ClearTable();
    }
    loadTable(side1_, name);
    loadTable(side2_, name);
    for (Side* s : {&side1_, &side2_}) {
        // The widths do not depend on the order, and both only read the table: the order is found
        // while the columns are fitted, and applied after.
        TableModel& table = s->views.table();
        std::future<std::vector<size_t>> order;
        // The findings keep their order: the most important first.
        if (options_.get(Option::AutoSort) && !sameTextIgnoringCase(name, kFindingsFile))
            order = firstColumnOrderBeside(table);
        if (options_.get(Option::AutoFit))
            s->views.autoFitTable();
        if (order.valid())
            table.applyOrder(order.get());
        s->views.tableChanged();
    }
}

} // namespace kw
