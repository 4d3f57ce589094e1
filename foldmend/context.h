// The program-wide state every operation works with: the message output and
// its status number, the pseudo-random generator with the two ID counters,
// the command-mode switches and the move's progress interface.
//
// Message output: emit(level, fmt, ...) formats into at most 1023
// characters; a text that begins with "#" sets the status number to the
// decimal number after the "#" ("#017 ..." gives 17, "#51 ..." gives 51).
// The text then goes to the sink, if any (the window's log pane, a test's
// recorder, or standard output when asked for).
//
// IDs: each character is alphabet[(r + n) mod 36], r the next value of the
// generator (the C run-time's linear congruential rand(), same sequence on
// every platform), n the counter of the kind of draw; fix IDs has its own
// counter, repair IDs and temporary names share the other.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace foldmend {

constexpr const char* kIdAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kMaxLine = 1023;

class Output {
 public:
  using Sink = std::function<void(int level, const std::string& text)>;
  void set_sink(Sink s) { sink_ = std::move(s); }
#if defined(__GNUC__)
  __attribute__((format(printf, 3, 4)))
#endif
  void emit(int level, const char* fmt, ...);
  void emit_text(int level, const std::string& text);  // no formatting; same rules
  int status() const { return status_; }
  void set_status(int s) { status_ = s; }

 private:
  Sink sink_;
  int status_ = 0;
};

class Random {
 public:
  explicit Random(std::uint32_t seed = 1) : state_(seed) {}
  void seed(std::uint32_t s) { state_ = s; }
  unsigned next() {
    state_ = state_ * 214013u + 2531011u;
    return (state_ >> 16) & 0x7fff;
  }

 private:
  std::uint32_t state_;
};

// Progress of a mailbox move (the window shows a dialog with a gauge).
class MoveProgress {
 public:
  virtual ~MoveProgress() = default;
  virtual void open(const std::string& from, const std::string& to) = 0;
  virtual void current_file(const std::string& name) = 0;
  virtual void gauge(std::uint64_t done, std::uint64_t total) = 0;
  virtual void close() = 0;
};

struct Context {
  Output out;
  Random rng;
  unsigned fix_counter = 0;    // draws made by fix IDs
  unsigned other_counter = 0;  // repair IDs and temporary names
  bool quiet = false;
  bool delete_command_file = false;
  bool patch = true;
  std::string user;
  MoveProgress* progress = nullptr;
  std::function<void(unsigned ms)> sleep;  // waits; tests may make it instant
  std::function<std::int64_t()> now_seconds;

  Context();
  // Eight characters from the alphabet, counting on the given counter.
  std::string draw8(unsigned& counter);
  void wait_ms(unsigned ms) {
    if (sleep) sleep(ms);
  }
};

}  // namespace foldmend
