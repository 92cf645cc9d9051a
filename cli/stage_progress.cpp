#include "cli/stage_progress.h"

#include <algorithm>

#include "engine/messages.h"

namespace velt::cli {

namespace messages = engine::messages;

int EncryptionStages(const engine::EngineSettings& settings) {
  const bool secure = settings.secureDelete;
  return 2 + (secure ? 1 : 0) + (secure && settings.deleteOriginal ? 1 : 0);
}

int DecryptionStages() {
  return 1;
}

StageProgress::StageProgress(int plannedStages) : planned_(std::max(1, plannedStages)) {}

void StageProgress::Start() {
  done_ = 0;
  current_ = Kind::Other;
  percent_ = 0;
  shown_ = 0;
}

StageProgress::Kind StageProgress::KindOf(const std::string& text) {
  if (text == messages::kCompressing || text == messages::kCreatingTemp ||
      text == messages::kEncrypting || text == messages::kDecrypting)
    return Kind::Counting;
  if (text == messages::kDeletingOriginalSecurely || text == messages::kDeletingTempSecurely)
    return Kind::Overwriting;
  return Kind::Other;  // instant steps, and the ends
}

void StageProgress::Status(const std::string& text) {
  if (current_ != Kind::Other) ++done_;
  current_ = KindOf(text);
  percent_ = 0;
  Update();
}

void StageProgress::Percent(int n) {
  if (current_ != Kind::Counting) return;
  percent_ = n;
  Update();
}

void StageProgress::Bar(int n) {
  // An overwrite's bar counts down what is left to overwrite.
  if (current_ != Kind::Overwriting) return;
  percent_ = 100 - n;
  Update();
}

void StageProgress::Update() {
  const int part = std::clamp(percent_, 0, 100);
  const int now = std::min(1000, (done_ * 1000 + part * 10) / planned_);
  shown_ = std::max(shown_, now);
}

}  // namespace velt::cli
