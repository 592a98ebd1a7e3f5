// The line-break pass of a PROCESS run on a thread of its own, over its own
// copy of the text. The settings stay live: what publish() gives applies
// from the next character the pass examines. The processed text goes to the
// window's thread in pieces through take(), and the pass keeps at most
// kLookahead characters ready beyond what the window said it shows, so that a
// change of the settings reaches all but that much of the text not yet shown.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <thread>

#include "engine/line_break_pass.h"
#include "engine/line_settings.h"

namespace tessaline {

class PassWorker : public QObject {
    Q_OBJECT
public:
    // Characters of processed text the pass may hold ready beyond what the
    // window shows.
    static constexpr std::size_t kLookahead = 64 * 1024;
    static constexpr std::int64_t kNoPause = std::numeric_limits<std::int64_t>::max();

    // The pass over `text` (not empty) with `settings` and the word wrap
    // state `wordWrap`; start() starts it. `pauseAt`: see pauseAt().
    PassWorker(std::string text, const LineSettings& settings, bool wordWrap, std::int64_t pauseAt = kNoPause);
    // Stops the pass at its next character and waits for its thread.
    ~PassWorker() override;
    PassWorker(const PassWorker&) = delete;
    PassWorker& operator=(const PassWorker&) = delete;

    // Starts the pass on its thread (once). A cancel before it stops the
    // pass in front of its first character.
    void start();
    // The settings and word wrap state from the next character on.
    void publish(const LineSettings& settings, bool wordWrap);
    // Stops the pass in front of its next character; `ended` follows.
    void cancel();

    // What take() hands over.
    struct Taken {
        bool ended = false;         // the pass is over and everything it made was taken
        std::int64_t examined = 0;  // position the pass reached in the processed text
        std::int64_t length = 0;    // the processed text's length then, as far as known
    };
    // Appends to `into` the processed text made since the last call.
    Taken take(std::string& into);
    // The window holds `count` characters of the processed text: the pass
    // may go on up to kLookahead beyond them.
    void setShown(std::int64_t count);

    // Once `ended`: how the pass ended and the settings it ended with.
    StreamedPass outcome() const;
    LineSettings finalSettings() const;

    // For tests: the pass stops once its position reaches `position`, as
    // progress reports it (after the character that takes it there), and
    // reports `paused`; resume() lets it go on.
    void pauseAt(std::int64_t position);
    void resume();

signals:
    // New text is ready for take(); sent once until the next take().
    void outputReady();
    // The pass ended; take() gives the rest.
    void ended();
    void paused(std::int64_t position);

private:
    class Hooks;
    void run();
    // The pass's side: a piece of processed text is ready.
    void deliver(std::string_view piece, std::int64_t examined, std::int64_t length);
    // The pass's side: takes the settings published since the last look.
    void refreshSettings(LineSettings& settings, bool& wordWrap);
    void waitWhilePaused(std::int64_t position);

    const std::string text_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;

    // Guarded by mutex_.
    LineSettings published_;
    bool publishedWrap_ = true;
    std::string ready_;  // made, not taken yet
    std::int64_t produced_ = 0;
    std::int64_t shown_ = 0;
    std::int64_t examined_ = 0;
    std::int64_t length_ = 0;
    bool signalled_ = false;
    bool paused_ = false;
    bool ended_ = false;
    StreamedPass outcome_;
    LineSettings finalSettings_;

    std::atomic<unsigned> generation_{0};  // counts publish() calls
    std::atomic<bool> cancelled_{false};
    std::atomic<std::int64_t> pauseAt_;
    std::thread thread_;
};

}  // namespace tessaline
