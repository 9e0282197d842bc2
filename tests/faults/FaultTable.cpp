// Every test of the fault suite is one fault tried on the program; at the end the suite prints a table
// of the faults tried, survived and failed, with the Wine prefix they were tried in.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class FaultTable : public testing::EmptyTestEventListener {
    struct Row {
        std::string fault, outcome;
    };
    std::vector<Row> rows_;

    void OnTestEnd(const testing::TestInfo& info) override {
        const testing::TestResult* r = info.result();
        std::string outcome = r->Skipped() ? "skipped" : r->Failed() ? "FAILED" : "survived";
        rows_.push_back({std::string(info.test_suite_name()) + "." + info.name(), outcome});
    }
    void OnTestProgramEnd(const testing::UnitTest&) override {
        int survived = 0, failed = 0, skipped = 0;
        const char* prefix = std::getenv("KW_WINEPREFIX");
        std::printf("\nFault suite in %s\n", prefix ? prefix : "the default prefix");
        std::printf("%-72s %s\n", "fault", "outcome");
        for (const Row& row : rows_) {
            std::printf("%-72s %s\n", row.fault.c_str(), row.outcome.c_str());
            (row.outcome == "survived" ? survived : row.outcome == "FAILED" ? failed : skipped)++;
        }
        std::printf("faults tried: %zu, survived: %d, failed: %d, skipped: %d\n", rows_.size(), survived,
                    failed, skipped);
        std::fflush(stdout);
    }
};

// The listener list owns what it is given.
const bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new FaultTable);
    return true;
}();

} // namespace
