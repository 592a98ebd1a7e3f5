#include "link/calculator_link.h"

namespace tessaline {

namespace {

// The link library cuts a larger variable short and reports success.
constexpr std::size_t kMaxVariableData = 0xFFFF;

// The deadline allows the connection and the calculator's variable list
// this many step timeouts, and one more for each variable.
constexpr int kSetupSteps = 3;
// The slowest cable moves about 1 KB a second (a GrayLink at 9600 baud).
constexpr std::size_t kSlowestBytesPerSecond = 800;
// And a little more, for a machine too busy to run the link promptly.
constexpr auto kDeadlineMargin = std::chrono::seconds(2);

}  // namespace

const std::vector<std::string>& knownCableModels()
{
    static const std::vector<std::string> models = {"SilverLink", "DirectLink", "GrayLink", "BlackLink",
                                                    "Parallel",   "TiEmu",      "VTi"};
    return models;
}

SendPlan planSend(const SendRequest& request)
{
    SendPlan plan;
    CalcVariableList list =
        calcVariables(request.codes, request.name, request.folder, request.calculator, request.pictures);
    if (!list.ok) {
        plan.error = std::move(list.error);
        return plan;
    }
    for (CalcVariableBytes& variable : list.variables) {
        LinkVariable& sent = plan.variables.emplace_back();
        sent.folder = list.folder;
        sent.name = std::move(variable.name);
        sent.data = std::move(variable.data);
        sent.type = variable.type;
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

int timeoutTenths(const SendRequest& request)
{
    return request.timeoutTenths > 0 ? request.timeoutTenths : kDefaultTimeoutTenths;
}

std::chrono::milliseconds sendDeadline(const SendPlan& plan, int timeoutTenths)
{
    const auto steps =
        std::chrono::milliseconds(100) * timeoutTenths * (kSetupSteps + static_cast<long long>(plan.variables.size()));
    return steps + std::chrono::milliseconds(plan.totalBytes * 1000 / kSlowestBytesPerSecond) + kDeadlineMargin;
}

}  // namespace tessaline
