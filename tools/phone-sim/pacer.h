// Paces the phone's answers as a slow line would: pieces of N bytes with pauses between them,
// and a baud rate at which every byte takes its time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

namespace phonesim {

class Pacer {
  public:
    Pacer(int chunkSize, int chunkPauseMs, int baud)
        : chunk_(chunkSize > 0 ? static_cast<std::size_t>(chunkSize) : 0),
          pauseUs_(std::int64_t{chunkPauseMs} * 1000),
          baud_(baud > 0 ? baud : 0),
          byteUs_(baud > 0 ? 10'000'000 / baud : 0) {}  // start, 8 data and stop bit

    void Push(const std::string& bytes) { queue_ += bytes; }
    // Bytes whose part from `pauseAt` on waits `pauseUs` more: the time a phone takes to answer.
    void Push(const std::string& bytes, std::size_t pauseAt, std::int64_t pauseUs,
              std::int64_t nowUs) {
        if (pauseAt > bytes.size() || pauseUs <= 0) return Push(bytes);
        if (queue_.empty() && pauseAt == 0)
            nextUs_ = std::max(nextUs_, nowUs + pauseUs);
        else
            pause_ = {queue_.size() + pauseAt, pauseUs};
        queue_ += bytes;
    }
    void Clear() {
        queue_.clear();
        inChunk_ = 0;
        pause_ = {};
    }
    bool Empty() const { return queue_.empty(); }
    const std::string& Queue() const { return queue_; }

    // Bytes that may be written at `nowUs`; 0 while the line is busy or pausing.
    std::size_t Allowed(std::int64_t nowUs) const {
        if (queue_.empty() || nowUs < nextUs_) return 0;
        std::size_t n = pause_.us > 0 ? pause_.at : queue_.size();
        if (chunk_) n = std::min(n, chunk_ - inChunk_);
        if (byteUs_)
            n = std::min<std::size_t>(
                n, std::max<std::int64_t>(1, 2000 / std::max<std::int64_t>(byteUs_, 1)));
        return n;
    }

    void Consume(std::size_t n, std::int64_t nowUs) {
        queue_.erase(0, n);
        if (pause_.us > 0) pause_.at -= std::min(pause_.at, n);
        if (baud_) {
            // The line's own schedule rather than the moment of writing, so that waking up late
            // (poll counts whole milliseconds) costs no time; an idle line sends no burst.
            const std::int64_t from = std::max(nextUs_, nowUs - kCatchUpUs);
            nextUs_ = from + static_cast<std::int64_t>(n) * 10'000'000 / baud_;
        } else {
            nextUs_ = nowUs;
        }
        inChunk_ += n;
        if (chunk_ && inChunk_ >= chunk_) inChunk_ = 0, nextUs_ += pauseUs_;
        if (queue_.empty()) inChunk_ = 0;
        if (pause_.us > 0 && pause_.at == 0) {
            nextUs_ = std::max(nextUs_, nowUs + pause_.us);
            pause_ = {};
        }
    }

    // Milliseconds to wait before something may be written; -1 when nothing is queued.
    int WaitMs(std::int64_t nowUs) const {
        if (queue_.empty()) return -1;
        return nowUs >= nextUs_ ? 0 : static_cast<int>((nextUs_ - nowUs + 999) / 1000);
    }

  private:
    static constexpr std::int64_t kCatchUpUs = 5000;

    std::size_t chunk_;
    std::int64_t pauseUs_;
    int baud_;
    std::int64_t byteUs_;
    std::string queue_;
    std::size_t inChunk_ = 0;
    std::int64_t nextUs_ = 0;
    struct Pause {
        std::size_t at = 0;  // queued bytes before it
        std::int64_t us = 0;
    } pause_;
};

}  // namespace phonesim
