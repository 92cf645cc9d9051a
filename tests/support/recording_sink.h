// A progress sink that remembers every call, for checking texts, percentages and their order.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/progress.h"

namespace velt::test {

class RecordingSink final : public engine::ProgressSink {
 public:
  struct Call {
    char kind;  // 'S' status, 'F' file name, 'P' percent, 'B' bar
    std::string text;
    int value;
  };
  void ShowStatus(const std::string& t) override { Add({'S', t, 0}); }
  void ShowFileName(const std::string& t) override { Add({'F', t, 0}); }
  void ShowPercent(int n) override { Add({'P', {}, n}); }
  void ShowBar(int n) override { Add({'B', {}, n}); }

  std::vector<std::string> Statuses() const {
    std::vector<std::string> v;
    for (const auto& c : calls_)
      if (c.kind == 'S') v.push_back(c.text);
    return v;
  }
  std::vector<int> Values(char kind) const {
    std::vector<int> v;
    for (const auto& c : calls_)
      if (c.kind == kind) v.push_back(c.value);
    return v;
  }
  const std::vector<Call>& calls() const { return calls_; }
  // Called with every call as it is made, on the engine's thread: what a user or another
  // program could do at that moment.
  std::function<void(const Call&)> during;

 private:
  void Add(Call c) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      calls_.push_back(c);
    }
    if (during) during(c);
  }
  std::mutex mutex_;
  std::vector<Call> calls_;
};

}  // namespace velt::test
