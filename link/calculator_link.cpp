#include "link/calculator_link.h"

namespace tessaline {

namespace {

// The link library cuts a larger variable short and reports success.
constexpr std::size_t kMaxVariableData = 0xFFFF;

}  // namespace

SendPlan planSend(const SendRequest& request)
{
    SendPlan plan;
    CalcSplit split = splitCalcText(request.codes, request.name, request.folder);
    if (!split.ok) {
        plan.error = std::move(split.error);
        return plan;
    }
    for (CalcVariable& variable : split.variables) {
        LinkVariable& sent = plan.variables.emplace_back();
        sent.folder = std::move(variable.folder);
        sent.name = std::move(variable.name);
        sent.data = calcVariableData(variable.codes);
        if (sent.data.size() > kMaxVariableData) {
            plan.variables.clear();
            plan.error = "The variable " + sent.path() + " would hold " + std::to_string(sent.data.size())
                         + " bytes, more than a calculator variable holds.";
            return plan;
        }
        plan.totalBytes += sent.data.size();
    }
    plan.ok = true;
    return plan;
}

}  // namespace tessaline
