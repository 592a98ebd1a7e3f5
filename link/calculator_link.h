// Sending the processed text to a connected calculator as text variables.
#pragma once

#include "formats/calc_text_file.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tessaline {

// A cable as the link library names it.
struct CableInfo {
    std::string model;  // "SilverLink", "DirectLink", "GrayLink", "BlackLink", …
    int port = 1;       // the library's port number, 1 to 4
    std::string label;  // for a list: "SilverLink, port 1"
};

// The cables the link library knows, by the names it reads.
const std::vector<std::string>& knownCableModels();

struct SendRequest {
    std::string codes;  // the processed text: calculator codes, CR LF line ends
    // Sent after the text, in its folder.
    std::vector<CalcPicture> pictures;
    Calculator calculator = Calculator::Ti89;
    std::string name;  // the variable name, or the parts' base name
    std::string folder = "main";
    // As ticables_string_to_model() reads it; empty for the first cable
    // findCables() lists, on its port.
    std::string cableModel;
    int port = 1;
    // How long one step of the exchange (a packet, a part of a large one) may
    // wait for the calculator, in tenths of a second; 0: kDefaultTimeoutTenths.
    int timeoutTenths = 0;
    // Variables of the same names the calculator holds are replaced only when
    // set; otherwise the send ends before any variable goes, with their names.
    bool replace = false;
    // The variables go to the calculator's archive (flash) instead of its RAM.
    bool archive = false;
};

// A calculator storing a 64 KB variable takes seconds to acknowledge it
// (the emulated TI-89 5 to 10 s); the link library's own 1.5 s cuts such
// variables short.
inline constexpr int kDefaultTimeoutTenths = 100;

enum class SendStatus {
    Sent,
    InvalidRequest,  // a name, a character or a line the variables cannot hold
    NoCable,
    NoCalculator,  // the cable opens, nothing answers
    Refused,       // the calculator answers and turns the variable down
    Held,          // the calculator holds variables of these names, and the request does not replace them
    Timeout,       // the calculator stops answering, or the transfer overruns its deadline
    Cancelled,
    Failed,
};

struct SendResult {
    SendStatus status = SendStatus::Failed;
    std::vector<std::string> sent;  // "folder\name" of each variable that arrived, in order
    std::size_t bytesSent = 0;      // their variable data
    std::vector<std::string> held;  // with SendStatus::Held: "folder\name" of each the calculator holds
    std::string message;            // one line for the user
    bool ok() const { return status == SendStatus::Sent; }
};

// One variable as it goes over the link.
struct LinkVariable {
    std::string folder;
    std::string name;
    std::string data;  // calcVariableData() of its text, or calcPictureData()
    unsigned char type = kCalcTextType;
    std::string path() const { return folder + "\\" + name; }
};

struct SendPlan {
    bool ok = false;
    std::vector<LinkVariable> variables;
    std::size_t totalBytes = 0;
    std::string error;  // why, when !ok
};

// The variables a request sends: calcVariables() of the text and its
// pictures, each variable's data as the calculator file holds it. Refused,
// with the message, exactly where calcVariables() refuses; no variable in a
// plan that is ok is larger than a calculator variable may be.
SendPlan planSend(const SendRequest& request);

// The step timeout a request uses, in tenths of a second.
int timeoutTenths(const SendRequest& request);

// How long a whole send of `plan` may take: every step of the exchange its
// timeout, and the data at a slow cable's pace. A calculator that answers
// each step just within the timeout still ends within this.
std::chrono::milliseconds sendDeadline(const SendPlan& plan, int timeoutTenths);

// Bytes sent so far and in all, over every part.
using ProgressCallback = std::function<void(std::size_t done, std::size_t total)>;

class CalculatorLink {
public:
    virtual ~CalculatorLink() = default;
    // The cables connected now.
    virtual std::vector<CableInfo> findCables() = 0;
    // Sends planSend(request)'s variables one after the other. `progress` may
    // be empty and is called on the sending thread; `cancel` may be null, and
    // setting it stops the transfer within a second, between or within
    // variables. Blocks until the transfer ends, at most sendDeadline() and a
    // second; the cable is released whatever the result.
    virtual SendResult send(const SendRequest& request, const ProgressCallback& progress,
                            const std::atomic<bool>* cancel) = 0;
};

}  // namespace tessaline
