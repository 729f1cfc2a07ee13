#include "test_support.hpp"

namespace bhsim::testing {

Harness::Harness() {
  program.Form_Load();
}

void Harness::setBodyCount(int count) {
  while (program.module.nBH != count) click(ControlId::TnBH);
}

void Harness::configure(int bodies, std::initializer_list<std::pair<ControlId, const char*>> fields,
                        std::int64_t refreshEvery) {
  setBodyCount(bodies);
  for (const auto& [id, text] : fields) type(id, text);
  program.options.refreshEvery = refreshEvery;
}

void Harness::run() {
  answerContAndNext();
  click(ControlId::CommandStart);
}

void Harness::onCaption(ControlId button, const std::string& caption, std::function<void()> action) {
  platform.when([this, button, caption] { return text(button) == caption; }, std::move(action));
}

void Harness::answerContAndNext() {
  onCaption(ControlId::CommandStart, "Cont", [this] { click(ControlId::CommandStart); });
  onCaption(ControlId::CommandStart, "Next", [this] { click(ControlId::CommandStart); });
}

}  // namespace bhsim::testing
