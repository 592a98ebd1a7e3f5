#include "link/ti_link.h"

#include "link/ti_libraries.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace tessaline {

namespace {

constexpr unsigned kProbeTimeoutTenths = 5;
// A calculator at its home screen answers "ready?" at once: one that does
// not within this many tenths is taken to be off, whatever the step timeout.
constexpr int kReadyTimeoutTenths = 20;
// A stopped transfer's reads and writes give up after this many tenths.
constexpr unsigned kStoppedTimeoutTenths = 1;
constexpr auto kWatchInterval = std::chrono::milliseconds(50);

// The libraries keep per-process state: one probe or transfer at a time.
std::timed_mutex libraryMutex;

// The link library's numbers for the answers in which a calculator turns a
// variable down: refused, out of memory, and the range of errors the
// calculator itself reports.
constexpr int kContentRefused = 263;
constexpr int kOutOfMemory = 273;
constexpr int kCalculatorErrorFirst = 300;
constexpr int kCalculatorErrorLast = 400;

bool isRefusal(int error)
{
    return error == kContentRefused || error == kOutOfMemory
           || (error >= kCalculatorErrorFirst && error <= kCalculatorErrorLast);
}

// Each library knows only its own error numbers; the first that knows this
// one gives the message, first line only.
std::string libraryMessage(int error)
{
    struct Library {
        int (*get)(int, char**);
        int (*release)(char*);
    };
    const Library libraries[] = {{ticalcs_error_get, ticalcs_error_free},
                                 {ticables_error_get, ticables_error_free},
                                 {tifiles_error_get, tifiles_error_free}};
    std::string message = "error " + std::to_string(error);
    for (const Library& library : libraries) {
        char* text = nullptr;
        const int unknown = library.get(error, &text);
        if (text) {
            if (!unknown)
                message = text;
            library.release(text);
        }
        if (!unknown)
            break;
    }
    message = message.substr(0, message.find('\n'));
    if (message.rfind("Msg: ", 0) == 0)
        message.erase(0, 5);
    while (!message.empty() && (message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string joinedPaths(const std::vector<std::string>& paths)
{
    std::string joined;
    for (const std::string& path : paths)
        joined += (joined.empty() ? "" : ", ") + path;
    return joined;
}

class Watchdog;

// The library's progress callbacks take no arguments; they reach the
// transfer running on their thread through this.
struct Transfer {
    Watchdog* watchdog = nullptr;
    CalcUpdate update{};
    const ProgressCallback* progress = nullptr;
    std::size_t before = 0;   // data bytes of the variables already sent
    std::size_t current = 0;  // data bytes of the variable being sent
    std::size_t total = 0;
};

thread_local Transfer* currentTransfer = nullptr;

// Stops a transfer from its own thread when it is cancelled or overruns its
// deadline: lowering the cable's timeout ends a read or write that is already
// waiting (a 10 s wait lowered after 0.5 s returns at 0.52 s), and the
// library's next progress call finds the transfer cancelled. The library
// reads the timeout without a lock; a stale read only delays the stop by one
// wait.
class Watchdog {
public:
    using Clock = std::chrono::steady_clock;

    Watchdog(const std::atomic<bool>* cancel, std::chrono::milliseconds allowed)
        : cancel_(cancel), allowed_(allowed), deadline_(Clock::now() + allowed), thread_([this] { run(); })
    {
    }
    ~Watchdog()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // The cable whose timeout a stop lowers, once it exists.
    void watch(CableHandle* cable)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cable_ = cable;
        if (stopped_)
            ticables_options_set_timeout(cable_, kStoppedTimeoutTenths);
    }
    // Checks at once, on the caller's thread, whether the transfer is to stop.
    bool stopped()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        check();
        return stopped_;
    }
    bool overran() const { return overran_; }
    // "6 seconds", rounded.
    std::string allowed() const
    {
        const long long seconds = std::max<long long>(1, std::chrono::round<std::chrono::seconds>(allowed_).count());
        return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!done_ && !check())
            wake_.wait_for(lock, kWatchInterval);
    }
    bool check()
    {
        if (stopped_)
            return true;
        if (cancel_ && cancel_->load()) {
            stop();
        } else if (Clock::now() >= deadline_) {
            overran_ = true;
            stop();
        }
        return stopped_;
    }
    void stop()
    {
        stopped_ = true;
        if (cable_)
            ticables_options_set_timeout(cable_, kStoppedTimeoutTenths);
    }

    const std::atomic<bool>* cancel_;
    const std::chrono::milliseconds allowed_;
    const Clock::time_point deadline_;
    std::mutex mutex_;
    std::condition_variable wake_;
    CableHandle* cable_ = nullptr;
    bool done_ = false;
    std::atomic<bool> stopped_{false};
    std::atomic<bool> overran_{false};
    std::thread thread_;  // last: starts once the rest is set up
};

void pollCancel()
{
    if (currentTransfer && currentTransfer->watchdog && currentTransfer->watchdog->stopped())
        currentTransfer->update.cancel = 1;
}

void reportProgress()
{
    pollCancel();
    Transfer* transfer = currentTransfer;
    if (!transfer || !*transfer->progress || transfer->update.max1 <= 0)
        return;
    // cnt1/max1 count the bytes of the packet in flight; the data packet is
    // the one at least as long as the variable's data.
    if (std::size_t(transfer->update.max1) < transfer->current)
        return;
    const double share = std::clamp(double(transfer->update.cnt1) / transfer->update.max1, 0.0, 1.0);
    (*transfer->progress)(transfer->before + std::size_t(share * transfer->current), transfer->total);
}

void noUpdate() {}

std::vector<CableInfo> probeCables();

// Releases the handles in the order the library needs, on every path out.
class Connection {
public:
    Connection(CableModel cable, CablePort port, CalcModel calc)
        : cable_(ticables_handle_new(cable, port)), calc_(ticalcs_handle_new(calc))
    {
    }
    ~Connection()
    {
        if (attached_)
            ticalcs_cable_detach(calc_);
        if (calc_)
            ticalcs_handle_del(calc_);
        if (cable_)
            ticables_handle_del(cable_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool created() const { return cable_ && calc_; }
    CableHandle* cable() { return cable_; }
    CalcHandle* calc() { return calc_; }
    int attach()
    {
        const int error = ticalcs_cable_attach(calc_, cable_);
        attached_ = error == 0;
        return error;
    }

private:
    CableHandle* cable_;
    CalcHandle* calc_;
    bool attached_ = false;
};

// A file content holding one variable; the library frees what it holds.
FileContent* textContent(CalcModel model, const LinkVariable& variable, bool archive)
{
    FileContent* content = tifiles_content_create_regular(model);
    VarEntry* entry = tifiles_ve_create_alloc_data(static_cast<uint32_t>(variable.data.size()));
    if (!content || !entry) {
        if (entry)
            tifiles_ve_delete(entry);
        if (content)
            tifiles_content_delete_regular(content);
        return nullptr;
    }
    std::snprintf(entry->folder, sizeof entry->folder, "%s", variable.folder.c_str());
    std::snprintf(entry->name, sizeof entry->name, "%s", variable.name.c_str());
    entry->type = variable.type;
    entry->attr = archive ? ATTRB_ARCHIVED : ATTRB_NONE;
    entry->size = static_cast<uint32_t>(variable.data.size());
    std::memcpy(entry->data, variable.data.data(), variable.data.size());
    std::snprintf(content->default_folder, sizeof content->default_folder, "%s", variable.folder.c_str());
    tifiles_content_add_entry(content, entry);
    return content;
}

SendResult failure(SendStatus status, std::string message, SendResult partial = {})
{
    partial.status = status;
    if (!partial.sent.empty())
        message += " (already sent: " + joinedPaths(partial.sent) + ")";
    if (message.back() != '.')
        message += '.';
    partial.message = std::move(message);
    return partial;
}

}  // namespace

void initialiseLinkLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* domain : {"ticables", "tifiles", "ticalcs", "ticonv"})
            g_log_set_handler(
                domain,
                GLogLevelFlags(G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_WARNING
                               | G_LOG_LEVEL_CRITICAL),
                [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        ticables_library_init();
        tifiles_library_init();
        ticalcs_library_init();
    });
}

TiLink::TiLink() { initialiseLinkLibraries(); }

std::vector<CableInfo> TiLink::findCables()
{
    const std::lock_guard<std::timed_mutex> library(libraryMutex);
    return probeCables();
}

namespace {

std::vector<CableInfo> probeCables()
{
    std::vector<CableInfo> cables;
    int** found = nullptr;
    const int failed = ticables_probing_do(&found, kProbeTimeoutTenths, PROBE_ALL);
    // The table is ours to free even when the probing fails.
    if (failed != 0 || !found) {
        if (found)
            ticables_probing_finish(&found);
        return cables;
    }
    for (int model = CABLE_GRY; model <= CABLE_USB; ++model) {
        if (!found[model])
            continue;
        for (int port = PORT_1; port < PORT_MAX; ++port) {
            if (!found[model][port])
                continue;
            CableInfo& cable = cables.emplace_back();
            cable.model = ticables_model_to_string(CableModel(model));
            cable.port = port;
            cable.label = cable.model + ", port " + std::to_string(port);
        }
    }
    ticables_probing_finish(&found);
    return cables;
}

}  // namespace

namespace {

// The paths of the plan's variables that the calculator's list holds.
std::vector<std::string> heldVariables(GNode* list, const SendPlan& plan)
{
    std::vector<std::string> held;
    for (const LinkVariable& variable : plan.variables) {
        VarEntry probe{};
        std::snprintf(probe.folder, sizeof probe.folder, "%s", variable.folder.c_str());
        std::snprintf(probe.name, sizeof probe.name, "%s", variable.name.c_str());
        if (list && ticalcs_dirlist_ve_exist(list, &probe))
            held.push_back(variable.path());
    }
    return held;
}

std::string heldMessage(const std::vector<std::string>& held)
{
    return "The calculator already holds " + joinedPaths(held) + "; nothing was sent";
}

}  // namespace

SendResult TiLink::send(const SendRequest& request, const ProgressCallback& progress, const std::atomic<bool>* cancel)
{
    const SendPlan plan = planSend(request);
    if (!plan.ok)
        return failure(SendStatus::InvalidRequest, plan.error);

    const int timeout = timeoutTenths(request);
    // The deadline runs from here: waiting for another transfer to end counts.
    Watchdog watchdog(cancel, sendDeadline(plan, timeout));
    std::unique_lock<std::timed_mutex> library(libraryMutex, std::defer_lock);
    while (!library.try_lock_for(kWatchInterval)) {
        if (watchdog.stopped())
            return failure(watchdog.overran() ? SendStatus::Timeout : SendStatus::Cancelled,
                           watchdog.overran() ? "Timeout: another transfer kept the link busy"
                                              : "Cancelled before anything was sent");
    }
    CableInfo chosen{request.cableModel, request.port, {}};
    if (chosen.model.empty()) {
        const std::vector<CableInfo> found = probeCables();
        if (found.empty())
            return failure(SendStatus::NoCable, "No cable: none is connected");
        chosen = found.front();
    }
    const CableModel cableModel = ticables_string_to_model(chosen.model.c_str());
    const std::string cableName = chosen.model + " cable on port " + std::to_string(chosen.port);
    if (cableModel == CABLE_NUL)
        return failure(SendStatus::NoCable,
                       "No cable: the link library knows no cable called \"" + chosen.model + "\"");
    if (chosen.port < PORT_1 || chosen.port >= PORT_MAX)
        return failure(SendStatus::NoCable, "No cable: there is no port " + std::to_string(chosen.port)
                                                + "; ports are 1 to " + std::to_string(PORT_MAX - 1));

    // The transfer outlives the connection: detaching may still call back.
    Transfer transfer;
    transfer.watchdog = &watchdog;
    transfer.update.start = transfer.update.stop = transfer.update.label = noUpdate;
    transfer.update.refresh = pollCancel;
    transfer.update.pbar = reportProgress;
    transfer.progress = &progress;
    transfer.total = plan.totalBytes;
    struct Current {
        Transfer* outer = currentTransfer;
        ~Current() { currentTransfer = outer; }
    } current;
    currentTransfer = &transfer;

    SendResult result;
    // Why the transfer stopped when the watchdog stopped it; `during` names
    // the step.
    const auto stopped = [&](const std::string& during) {
        if (watchdog.overran())
            return failure(SendStatus::Timeout,
                           "Timeout: the calculator answers too slowly; the transfer did not end within its "
                               + watchdog.allowed() + " (" + during + ")",
                           std::move(result));
        return failure(SendStatus::Cancelled, "Cancelled " + during, std::move(result));
    };

    const CalcModel model = calcModel(request.calculator);
    Connection connection(cableModel, CablePort(chosen.port), model);
    if (!connection.created())
        return failure(SendStatus::Failed, "The link library could not set up the " + cableName);
    ticables_options_set_timeout(connection.cable(), unsigned(std::min(timeout, kReadyTimeoutTenths)));
    watchdog.watch(connection.cable());
    ticalcs_update_set(connection.calc(), &transfer.update);

    if (const int error = connection.attach())
        return failure(SendStatus::NoCable,
                       "No cable: the " + cableName + " does not open (" + libraryMessage(error) + ")");
    if (ticalcs_calc_isready(connection.calc()) != 0) {
        if (watchdog.stopped())
            return stopped("before anything was sent");
        return failure(SendStatus::NoCalculator,
                       "No calculator answers on the " + cableName + "; check that it is on and at its home screen");
    }

    // Set before the watchdog's check, so that a stop already made stands.
    ticables_options_set_timeout(connection.cable(), unsigned(timeout));
    if (watchdog.stopped())
        watchdog.watch(connection.cable());

    if (!request.replace) {
        GNode* variables = nullptr;
        GNode* applications = nullptr;
        const int error = ticalcs_calc_get_dirlist(connection.calc(), &variables, &applications);
        result.held = heldVariables(variables, plan);
        ticalcs_dirlist_destroy(&variables);
        ticalcs_dirlist_destroy(&applications);
        if (watchdog.stopped())
            return stopped("before anything was sent");
        if (error != 0)
            return failure(SendStatus::Failed, "The calculator does not list its variables (" + libraryMessage(error)
                                                   + "), so sending could replace one of them; nothing was sent");
        if (!result.held.empty()) {
            std::string message = heldMessage(result.held);
            return failure(SendStatus::Held, std::move(message), std::move(result));
        }
    }

    if (progress)
        progress(0, plan.totalBytes);
    for (const LinkVariable& variable : plan.variables) {
        if (watchdog.stopped())
            return stopped("before " + variable.path());
        FileContent* content = textContent(model, variable, request.archive);
        if (!content)
            return failure(SendStatus::Failed, "Out of memory for " + variable.path(), std::move(result));
        transfer.current = variable.data.size();
        const int error = ticalcs_calc_send_var(connection.calc(), MODE_NORMAL, content);
        tifiles_content_delete_regular(content);
        if (error != 0 && watchdog.stopped())
            return stopped("while sending " + variable.path());
        if (error == ERROR_READ_TIMEOUT || error == ERROR_WRITE_TIMEOUT)
            return failure(SendStatus::Timeout,
                           "Timeout: the calculator stopped answering while receiving " + variable.path(),
                           std::move(result));
        if (isRefusal(error))
            return failure(SendStatus::Refused,
                           "The calculator refused " + variable.path() + " (" + libraryMessage(error) + ")",
                           std::move(result));
        if (error != 0)
            return failure(SendStatus::Failed,
                           "The transfer of " + variable.path() + " failed: the " + cableName
                               + " gives no sensible answer (" + libraryMessage(error) + ")",
                           std::move(result));
        result.sent.push_back(variable.path());
        result.bytesSent += variable.data.size();
        transfer.before = result.bytesSent;
        if (progress)
            progress(transfer.before, plan.totalBytes);
    }

    result.status = SendStatus::Sent;
    result.message = "Sent " + std::to_string(result.bytesSent) + " bytes as " + joinedPaths(result.sent);
    if (result.sent.size() > 1)
        result.message += " (" + std::to_string(result.sent.size()) + " parts)";
    if (request.archive)
        result.message += " to the archive";
    result.message += ".";
    return result;
}

}  // namespace tessaline
