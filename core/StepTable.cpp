#include "core/StepTable.h"

namespace kw {

std::vector<RunStep> runSteps(std::size_t productSteps) {
    std::vector<RunStep> steps;
    auto add = [&](StepKind kind, std::size_t product = 0) {
        steps.push_back({static_cast<int>(steps.size()) * kProgressStep, kind, product});
    };
    add(StepKind::Preparation);
    add(StepKind::System);
    for (std::size_t i = 0; i < productSteps; ++i)
        add(StepKind::Product, i);
    add(StepKind::Completion);
    return steps;
}

} // namespace kw
