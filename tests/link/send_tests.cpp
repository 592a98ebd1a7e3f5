#include "tests/link/fake_calculator.h"

#include "link/ti_link.h"

#include "link/ti_libraries.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tessaline::test {
namespace {

constexpr int kTestTimeoutTenths = 3;

using Clock = std::chrono::steady_clock;

// Cancel takes effect within a second; the half more is room for a machine
// busy with other work (the link library counts its timeouts in processor
// time).
constexpr double kCancelSeconds = 1.5;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// "TiEmu" is the link library's name for its virtual cable; port 2 is the
// PC's end, the fake calculator holds port 1.
SendRequest virtualCableRequest(std::string codes, Calculator calculator = Calculator::Ti89)
{
    SendRequest request;
    request.codes = std::move(codes);
    request.calculator = calculator;
    request.name = "notes";
    request.folder = "main";
    request.cableModel = "TiEmu";
    request.port = 2;
    request.timeoutTenths = kTestTimeoutTenths;
    return request;
}

// The variable data of each single-variable file the file writer makes of
// the request, read at the places the file format puts it.
std::vector<std::string> writtenVariableData(const SendRequest& request)
{
    CalcWriteOptions options;
    options.format.calculator = request.calculator;
    options.name = request.name;
    options.folder = request.folder;
    const CalcWriteResult written = writeCalcText(request.codes, options);
    std::vector<std::string> data;
    for (const CalcFileBytes& file : written.files) {
        const auto byte = [&](std::size_t at) { return std::uint32_t(std::uint8_t(file.bytes.at(at))); };
        // The entry table at 0x3C starts with the variable's data offset.
        const std::uint32_t offset = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
        // Four zero bytes before the data, the checksum after it.
        data.push_back(file.bytes.substr(offset + 4, file.bytes.size() - offset - 4 - 2));
    }
    return data;
}

class SendTest : public ::testing::Test {
protected:
    SendResult send(const SendRequest& request, std::vector<std::pair<std::size_t, std::size_t>>* progress = nullptr,
                    const std::atomic<bool>* cancel = nullptr)
    {
        ProgressCallback report;
        if (progress)
            report = [progress](std::size_t done, std::size_t total) { progress->emplace_back(done, total); };
        return link_.send(request, report, cancel);
    }

    // A text that fits one variable, on a calculator that accepts it: the
    // cable is left ready for the next transfer.
    void expectSecondSendWorks()
    {
        FakeCalculator fake(Calculator::Ti89);
        ASSERT_TRUE(fake.start());
        const SendResult result = send(virtualCableRequest("again"));
        fake.stop();
        EXPECT_TRUE(result.ok()) << result.message;
        ASSERT_EQ(fake.stored().size(), 1u);
        EXPECT_EQ(fake.stored()[0].data, writtenVariableData(virtualCableRequest("again"))[0]);
    }

    VirtualCableLock lock_;
    TiLink link_;
};

std::string lines(std::size_t count, std::size_t length, char fill = 'a')
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i ? "\r\n" : "") + std::string(length, char(fill + i % 26));
    return text;
}

struct ModelCase {
    Calculator calculator;
    std::string codes;
    const char* label;
};

void PrintTo(const ModelCase& modelCase, std::ostream* out) { *out << modelCase.label; }

class SendEveryModel : public SendTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(SendEveryModel, TheCalculatorStoresTheVariablesTheFileWriterWrites)
{
    const SendRequest request = virtualCableRequest(GetParam().codes, GetParam().calculator);
    FakeCalculator fake(GetParam().calculator);
    ASSERT_TRUE(fake.start());
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    const SendResult result = send(request, &progress);
    fake.stop();

    const std::vector<std::string> expected = writtenVariableData(request);
    ASSERT_TRUE(result.ok()) << result.message;
    ASSERT_EQ(fake.stored().size(), expected.size());
    std::size_t total = 0;
    std::string paths;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const StoredVariable& stored = fake.stored()[i];
        const std::string path = expected.size() == 1 ? "main\\notes" : "main\\notes" + std::to_string(i + 1);
        EXPECT_EQ(stored.path, path);
        EXPECT_EQ(stored.type, 0x0Bu);
        EXPECT_EQ(stored.size, expected[i].size());
        EXPECT_TRUE(stored.data == expected[i]) << "variable " << i + 1 << " differs";
        EXPECT_LE(stored.data.size(), 0xFFFFu + 2);
        total += expected[i].size();
        paths += (i ? ", " : "") + path;
    }
    EXPECT_EQ(result.bytesSent, total);
    EXPECT_EQ(result.message, "Sent " + std::to_string(total) + " bytes as " + paths
                                  + (expected.size() > 1 ? " (" + std::to_string(expected.size()) + " parts)." : "."));

    ASSERT_FALSE(progress.empty());
    // A large variable reports its progress in steps, not only at its end.
    if (total > 60000) {
        EXPECT_GT(progress.size(), 10u);
    }
    EXPECT_EQ(progress.front().first, 0u);
    EXPECT_EQ(progress.back(), std::make_pair(total, total));
    for (std::size_t i = 1; i < progress.size(); ++i) {
        EXPECT_LE(progress[i - 1].first, progress[i].first);
        EXPECT_EQ(progress[i].second, total);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SendEveryModel,
    ::testing::Values(ModelCase{Calculator::Ti89, "Hello\r\nWorld", "Ti89"},
                      ModelCase{Calculator::Ti92Plus, "Hello\rWorld\n\r\n", "Ti92Plus"},
                      ModelCase{Calculator::Voyage200, "\x8F\xB5 text\r\n", "Voyage200"},
                      // One line filling a variable to its last byte.
                      ModelCase{Calculator::Ti89, std::string(kMaxVariableText - 1, 'x'), "Ti89AtTheLimit"},
                      ModelCase{Calculator::Voyage200, std::string(kMaxVariableText - 1, 'x'), "Voyage200AtTheLimit"},
                      // Three lines that fit only two by two: numbered parts.
                      ModelCase{Calculator::Ti92Plus, lines(3, 30000), "Ti92PlusInParts"},
                      ModelCase{Calculator::Ti89, lines(2, kMaxVariableText / 2), "Ti89OneOverTheLimit"}),
    [](const ::testing::TestParamInfo<ModelCase>& info) { return std::string(info.param.label); });

TEST_F(SendTest, ARefusedVariableIsReportedAndLeavesTheCableFree)
{
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::Refuse);
        ASSERT_TRUE(fake.start());
        const SendResult result = send(virtualCableRequest("Hello"));
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Refused);
        EXPECT_EQ(result.message, "The calculator refused main\\notes (hand-held returned an error).");
        EXPECT_TRUE(result.sent.empty());
        EXPECT_TRUE(fake.stored().empty());
    }
    expectSecondSendWorks();
}

TEST_F(SendTest, ASilentCalculatorIsReportedAfterTheTimeout)
{
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::Silent);
        ASSERT_TRUE(fake.start());
        const SendResult result = send(virtualCableRequest("Hello"));
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::NoCalculator);
        EXPECT_EQ(result.message,
                  "No calculator answers on the TiEmu cable on port 2; check that it is on "
                  "and at its home screen.");
    }
    expectSecondSendWorks();
}

// Alone on the virtual cable, the PC's reads succeed without data, so the
// library sees noise rather than a timeout: still a failure, never "sent".
TEST_F(SendTest, NothingAtTheFarEndOfTheCableIsAFailure)
{
    const SendResult result = send(virtualCableRequest("Hello"));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.sent.empty());
    EXPECT_EQ(result.message.find("Sent"), std::string::npos) << result.message;
    expectSecondSendWorks();
}

TEST_F(SendTest, ACalculatorFallingSilentMidTransferIsATimeout)
{
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::SilentAfterHeader);
        ASSERT_TRUE(fake.start());
        const SendResult result = send(virtualCableRequest("Hello"));
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Timeout);
        EXPECT_EQ(result.message, "Timeout: the calculator stopped answering while receiving main\\notes.");
        EXPECT_TRUE(fake.stored().empty());
    }
    expectSecondSendWorks();
}

TEST_F(SendTest, AMissingOrUnknownCableIsReported)
{
    struct Case {
        std::string model;
        int port;
        std::string message;
    };
    const Case cases[] = {
        {"DirectLink", 4, "No cable: the DirectLink cable on port 4 does not open ("},
        {"SilverLink", 4, "No cable: the SilverLink cable on port 4 does not open ("},
        {"Nonsense", 1, "No cable: the link library knows no cable called \"Nonsense\"."},
        {"Null", 1, "No cable: the link library knows no cable called \"Null\"."},
        // No cable model: the first cable found, and none is connected here.
        {"", 1, "No cable: none is connected."},
        {"TiEmu", 0, "No cable: there is no port 0; ports are 1 to 4."},
        {"TiEmu", 5, "No cable: there is no port 5; ports are 1 to 4."},
    };
    for (const Case& c : cases) {
        SendRequest request = virtualCableRequest("Hello");
        request.cableModel = c.model;
        request.port = c.port;
        const SendResult result = send(request);
        EXPECT_EQ(result.status, SendStatus::NoCable) << c.model;
        EXPECT_EQ(result.message.substr(0, c.message.size()), c.message);
        // The link library's own words, not a bare number.
        EXPECT_EQ(result.message.find("(error "), std::string::npos) << result.message;
    }
    expectSecondSendWorks();
}

TEST_F(SendTest, CancellingStopsBetweenParts)
{
    FakeCalculator fake(Calculator::Ti89);
    ASSERT_TRUE(fake.start());
    std::atomic<bool> cancel{false};
    const SendRequest request = virtualCableRequest(lines(3, 40000));
    const std::size_t firstPart = writtenVariableData(request)[0].size();
    const SendResult result = link_.send(
        request, [&](std::size_t done, std::size_t) { cancel = cancel || done >= firstPart; }, &cancel);
    fake.stop();
    EXPECT_EQ(result.status, SendStatus::Cancelled);
    EXPECT_EQ(result.sent, std::vector<std::string>{"main\\notes1"});
    EXPECT_EQ(result.bytesSent, firstPart);
    EXPECT_EQ(result.message, "Cancelled before main\\notes2 (already sent: main\\notes1).");
    ASSERT_EQ(fake.stored().size(), 1u);
    EXPECT_EQ(fake.stored()[0].path, "main\\notes1");
}

TEST_F(SendTest, CancellingStopsWithinAVariable)
{
    {
        FakeCalculator fake(Calculator::Ti89);
        ASSERT_TRUE(fake.start());
        std::atomic<bool> cancel{false};
        const SendResult result = link_.send(
            virtualCableRequest(std::string(kMaxVariableText - 1, 'x')),
            [&](std::size_t done, std::size_t) { cancel = cancel || done > 0; }, &cancel);
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Cancelled);
        EXPECT_EQ(result.message, "Cancelled while sending main\\notes.");
        EXPECT_TRUE(result.sent.empty());
        EXPECT_TRUE(fake.stored().empty());
    }
    // The cancelled packet's start stays in the virtual cable's pipe, as a
    // real calculator holds it until its own timeout: a fresh cable.
    clearVirtualCable();
    expectSecondSendWorks();
}

// Requests the variables cannot hold are refused before a cable is opened:
// with no cable behind the request, the message is still the text's.
TEST_F(SendTest, ATextNoVariableHoldsIsRefusedBeforeAnyCableOpens)
{
    struct Case {
        std::string codes;
        std::string name;
        std::string folder;
    };
    const Case cases[] = {
        {std::string(kMaxVariableText, 'x'), "notes", "main"},
        {"ab\r\n" + std::string(kMaxVariableText + 100, 'x'), "notes", "main"},
        {std::string("a\0b", 3), "notes", "main"},
        {"Hello", "9lives", "main"},
        {"Hello", "notes", "much_too_long"},
    };
    for (const Case& c : cases) {
        for (const char* cable : {"Nonsense", "DirectLink"}) {
            SendRequest request = virtualCableRequest(c.codes);
            request.name = c.name;
            request.folder = c.folder;
            request.cableModel = cable;
            const SendResult result = send(request);
            const CalcSplit split = splitCalcText(c.codes, c.name, c.folder);
            ASSERT_FALSE(split.ok);
            EXPECT_EQ(result.status, SendStatus::InvalidRequest);
            EXPECT_EQ(result.message, split.error);
            EXPECT_EQ(result.bytesSent, 0u);
        }
    }
}

// A calculator answering each byte just within the step timeout would keep
// a send going for hours; the deadline ends it with a message.
TEST_F(SendTest, ADrippingCalculatorEndsAtTheDeadline)
{
    const SendRequest request = virtualCableRequest("Hello");
    const double deadline = std::chrono::duration<double>(sendDeadline(planSend(request), kTestTimeoutTenths)).count();
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::Drip, {250, {}});
        ASSERT_TRUE(fake.start());
        const Clock::time_point start = Clock::now();
        const SendResult result = send(request);
        const double took = secondsSince(start);
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Timeout) << result.message;
        EXPECT_EQ(
            result.message.rfind("Timeout: the calculator answers too slowly; the transfer did not end within its ", 0),
            0u)
            << result.message;
        EXPECT_GE(took, deadline - 0.05);
        // The last step's reads end in the library's processor-time timeout,
        // which a loaded machine stretches.
        EXPECT_LT(took, deadline + 10.0);
        EXPECT_TRUE(fake.stored().empty());
    }
    clearVirtualCable();
    expectSecondSendWorks();
}

TEST_F(SendTest, TheDeadlineGrowsWithTheTimeoutTheVariablesAndTheBytes)
{
    SendPlan plan;
    plan.variables.resize(1);
    const auto one = sendDeadline(plan, 10);
    EXPECT_GT(sendDeadline(plan, 20), one);
    plan.variables.resize(3);
    EXPECT_GT(sendDeadline(plan, 10), one);
    const auto threeParts = sendDeadline(plan, 10);
    plan.totalBytes = 150000;
    // The emulated TI-89 takes about 10 s for 150 KB; a slow cable several
    // times that.
    EXPECT_GE(sendDeadline(plan, kDefaultTimeoutTenths)
                  - sendDeadline(SendPlan{true, plan.variables, 0, {}}, kDefaultTimeoutTenths),
              std::chrono::seconds(120));
    EXPECT_GT(sendDeadline(plan, 10), threeParts);
    SendRequest request;
    EXPECT_EQ(timeoutTenths(request), kDefaultTimeoutTenths);
    request.timeoutTenths = 1;
    EXPECT_EQ(timeoutTenths(request), 1);
}

// Cancel stops a variable whose data the calculator stopped reading, with a
// step timeout far longer than a second.
TEST_F(SendTest, CancelEndsAStalledVariableWithinASecond)
{
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::StopMidVariable);
        ASSERT_TRUE(fake.start());
        SendRequest request = virtualCableRequest(std::string(kMaxVariableText - 1, 'x'));
        request.timeoutTenths = 100;
        std::atomic<bool> cancel{false};
        Clock::time_point cancelled;
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            cancelled = Clock::now();
            cancel = true;
        });
        const SendResult result = link_.send(request, {}, &cancel);
        const double took = secondsSince(cancelled);
        canceller.join();
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Cancelled) << result.message;
        EXPECT_EQ(result.message, "Cancelled while sending main\\notes.");
        EXPECT_LT(took, kCancelSeconds);
        EXPECT_TRUE(fake.stored().empty());
    }
    clearVirtualCable();
    expectSecondSendWorks();
}

TEST_F(SendTest, ACalculatorStoppingMidVariableIsATimeout)
{
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::StopMidVariable);
        ASSERT_TRUE(fake.start());
        const SendResult result = send(virtualCableRequest(std::string(kMaxVariableText - 1, 'x')));
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Timeout) << result.message;
        EXPECT_TRUE(result.sent.empty());
        EXPECT_EQ(result.bytesSent, 0u);
        EXPECT_TRUE(fake.stored().empty());
    }
    clearVirtualCable();
    expectSecondSendWorks();
}

// A calculator that takes two seconds to store the largest variable: the
// default step timeout lets it through; a timeout well under the wait does
// not (the library counts it in processor time, so only a wide margin is
// sure to expire).
TEST_F(SendTest, TheDefaultTimeoutWaitsForASlowAcknowledgement)
{
    const std::string largest(kMaxVariableText - 1, 'x');
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::SlowAcknowledgement, {2000, {}});
        ASSERT_TRUE(fake.start());
        SendRequest request = virtualCableRequest(largest);
        request.timeoutTenths = 0;
        const SendResult result = send(request);
        fake.stop();
        EXPECT_TRUE(result.ok()) << result.message;
        ASSERT_EQ(fake.stored().size(), 1u);
        EXPECT_TRUE(fake.stored()[0].data == writtenVariableData(request)[0]);
    }
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::SlowAcknowledgement, {2000, {}});
        ASSERT_TRUE(fake.start());
        SendRequest request = virtualCableRequest(largest);
        request.timeoutTenths = 2;
        const SendResult result = send(request);
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Timeout) << result.message;
        EXPECT_EQ(result.message, "Timeout: the calculator stopped answering while receiving main\\notes.");
    }
    clearVirtualCable();
    expectSecondSendWorks();
}

TEST_F(SendTest, VariablesTheCalculatorHoldsAreReplacedOnlyWhenAsked)
{
    // Two parts: the first two lines, then the third.
    const SendRequest parts = virtualCableRequest(lines(3, 30000));
    {
        // One part of two held, in another folder a variable of the same name.
        FakeCalculator fake(Calculator::Voyage200, FakeAnswer::Accept, {0, {"main\\notes2", "books\\notes1"}});
        ASSERT_TRUE(fake.start());
        SendRequest request = parts;
        request.calculator = Calculator::Voyage200;
        const SendResult result = send(request);
        fake.stop();
        EXPECT_EQ(result.status, SendStatus::Held);
        EXPECT_EQ(result.held, std::vector<std::string>{"main\\notes2"});
        EXPECT_EQ(result.message, "The calculator already holds main\\notes2; nothing was sent.");
        EXPECT_TRUE(fake.stored().empty()) << "not even the parts it does not hold";
    }
    {
        FakeCalculator fake(Calculator::Ti89, FakeAnswer::Accept, {0, {"main\\notes1", "main\\notes2"}});
        ASSERT_TRUE(fake.start());
        SendRequest request = parts;
        request.replace = true;
        const SendResult result = send(request);
        fake.stop();
        EXPECT_TRUE(result.ok()) << result.message;
        EXPECT_TRUE(result.held.empty());
        EXPECT_EQ(fake.stored().size(), 2u);
    }
    {
        // What it received, it lists: the same send again is held.
        FakeCalculator fake(Calculator::Ti92Plus);
        ASSERT_TRUE(fake.start());
        SendRequest request = virtualCableRequest("Hello", Calculator::Ti92Plus);
        EXPECT_TRUE(send(request).ok());
        const SendResult again = send(request);
        fake.stop();
        EXPECT_EQ(again.status, SendStatus::Held);
        EXPECT_EQ(fake.stored().size(), 1u);
    }
}

TEST_F(SendTest, TheArchiveIsAskedForOnlyWhenChosen)
{
    FakeCalculator fake(Calculator::Ti89);
    ASSERT_TRUE(fake.start());
    SendRequest request = virtualCableRequest("Hello");
    request.archive = true;
    const SendResult archived = send(request);
    request.name = "other";
    request.archive = false;
    const SendResult inRam = send(request);
    fake.stop();
    EXPECT_EQ(archived.message, "Sent " + std::to_string(archived.bytesSent) + " bytes as main\\notes to the archive.");
    EXPECT_TRUE(inRam.ok()) << inRam.message;
    ASSERT_EQ(fake.stored().size(), 2u);
    EXPECT_TRUE(fake.stored()[0].archived);
    EXPECT_FALSE(fake.stored()[1].archived);
    EXPECT_TRUE(fake.stored()[0].data == fake.stored()[1].data);
}

TEST(CableModels, EveryNameOfferedIsOneTheLinkLibraryReads)
{
    initialiseLinkLibraries();
    for (const std::string& model : knownCableModels()) {
        const CableModel read = ticables_string_to_model(model.c_str());
        EXPECT_NE(read, CABLE_NUL) << model;
        EXPECT_EQ(std::string(ticables_model_to_string(read)), model);
    }
}

}  // namespace
}  // namespace tessaline::test
