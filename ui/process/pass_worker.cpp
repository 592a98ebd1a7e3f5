#include "ui/process/pass_worker.h"

#include <utility>

#include "engine/line_break_pass_core.h"

namespace tessaline {

namespace {

// The pass hands on its text in pieces this long: small beside kLookahead,
// so that the window gets the text soon after it is made.
constexpr std::size_t kHandOnPiece = 4 * 1024;

}  // namespace

// The pass's hooks on the worker's thread, inline so that the per-character
// calls cost next to nothing. The pass reads `settings` afresh at every use;
// yield() replaces them when new ones were published.
class PassWorker::Hooks {
public:
    Hooks(PassWorker& worker, LineSettings& settings, bool& wordWrap, unsigned seen)
        : worker_(worker), settings_(settings), wordWrap_(wordWrap), seen_(seen)
    {
    }

    bool wordWrap() const { return wordWrap_; }
    bool cancelRequested() const { return worker_.cancelled_.load(std::memory_order_relaxed); }
    void yield()
    {
        const unsigned generation = worker_.generation_.load(std::memory_order_acquire);
        if (generation != seen_) [[unlikely]] {
            seen_ = generation;
            worker_.refreshSettings(settings_, wordWrap_);
        }
    }
    void progress(std::int64_t maximum, std::int64_t value)
    {
        length = maximum;
        examined = value;
        if (value >= worker_.pauseAt_.load(std::memory_order_relaxed)) [[unlikely]]
            worker_.waitWhilePaused(value);
    }

    std::int64_t examined = 0;
    std::int64_t length = 0;

private:
    PassWorker& worker_;
    LineSettings& settings_;
    bool& wordWrap_;
    unsigned seen_;
};

PassWorker::PassWorker(std::string text, const LineSettings& settings, bool wordWrap, std::int64_t pauseAt)
    : text_(std::move(text)), published_(settings), publishedWrap_(wordWrap),
      length_(static_cast<std::int64_t>(text_.size())), pauseAt_(pauseAt)
{
}

void PassWorker::start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
}

PassWorker::~PassWorker()
{
    cancel();
    if (thread_.joinable())
        thread_.join();
}

void PassWorker::publish(const LineSettings& settings, bool wordWrap)
{
    const std::lock_guard lock(mutex_);
    published_ = settings;
    publishedWrap_ = wordWrap;
    generation_.fetch_add(1, std::memory_order_release);
}

void PassWorker::cancel()
{
    const std::lock_guard lock(mutex_);
    cancelled_.store(true, std::memory_order_relaxed);
    wake_.notify_all();
}

PassWorker::Taken PassWorker::take(std::string& into)
{
    const std::lock_guard lock(mutex_);
    into.append(ready_);
    ready_.clear();
    signalled_ = false;
    return {ended_, examined_, length_};
}

void PassWorker::setShown(std::int64_t count)
{
    const std::lock_guard lock(mutex_);
    shown_ = count;
    wake_.notify_all();
}

StreamedPass PassWorker::outcome() const
{
    const std::lock_guard lock(mutex_);
    return outcome_;
}

LineSettings PassWorker::finalSettings() const
{
    const std::lock_guard lock(mutex_);
    return finalSettings_;
}

void PassWorker::pauseAt(std::int64_t position) { pauseAt_.store(position, std::memory_order_relaxed); }

void PassWorker::resume()
{
    const std::lock_guard lock(mutex_);
    paused_ = false;
    wake_.notify_all();
}

void PassWorker::run()
{
    LineSettings settings;
    bool wordWrap = true;
    const unsigned seen = generation_.load(std::memory_order_acquire);
    refreshSettings(settings, wordWrap);
    Hooks hooks(*this, settings, wordWrap, seen);
    const std::function<bool(std::string_view)> sink = [&](std::string_view piece) {
        deliver(piece, hooks.examined, hooks.length);
        return true;
    };
    StreamedPass outcome = streamLineBreakPassWith(text_, settings, hooks, sink, kHandOnPiece);
    {
        const std::lock_guard lock(mutex_);
        outcome_ = std::move(outcome);
        finalSettings_ = settings;
        examined_ = length_ = produced_;
        ended_ = true;
    }
    emit ended();
}

void PassWorker::deliver(std::string_view piece, std::int64_t examined, std::int64_t length)
{
    std::unique_lock lock(mutex_);
    ready_.append(piece);
    produced_ += static_cast<std::int64_t>(piece.size());
    examined_ = examined;
    length_ = length;
    const bool tell = !signalled_;
    signalled_ = true;
    lock.unlock();
    if (tell)
        emit outputReady();
    // The pass goes on once the window caught up, or at once when cancelled
    // (the rest of the text then follows as it stands).
    lock.lock();
    wake_.wait(lock, [this] {
        return cancelled_.load(std::memory_order_relaxed) || produced_ - shown_ < static_cast<std::int64_t>(kLookahead);
    });
}

void PassWorker::refreshSettings(LineSettings& settings, bool& wordWrap)
{
    const std::lock_guard lock(mutex_);
    settings = published_;
    wordWrap = publishedWrap_;
}

void PassWorker::waitWhilePaused(std::int64_t position)
{
    std::unique_lock lock(mutex_);
    pauseAt_.store(kNoPause, std::memory_order_relaxed);
    paused_ = true;
    lock.unlock();
    emit paused(position);
    lock.lock();
    wake_.wait(lock, [this] { return !paused_ || cancelled_.load(std::memory_order_relaxed); });
}

}  // namespace tessaline
