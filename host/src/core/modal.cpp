#include "bx3/modal.h"

#include <cstdio>
#include <deque>
#include <variant>

#include "main_thread_check.h"

namespace bx3 {

namespace {

using Answer = std::variant<int32_t, std::optional<Filename>>;

struct ModalState {
  std::deque<Answer> answers;
  ModalPresenter* presenter = nullptr;
};

ModalState& State() {
  static ModalState state;
  return state;
}

}  // namespace

void QueueMessageAnswer(int32_t answer) { State().answers.emplace_back(answer); }
void QueueFileAnswer(std::optional<Filename> path) { State().answers.emplace_back(std::move(path)); }
void ClearQueuedAnswers() { State().answers.clear(); }
int64_t QueuedAnswerCount() { return static_cast<int64_t>(State().answers.size()); }
void SetModalPresenter(ModalPresenter* presenter) { State().presenter = presenter; }

int32_t MessageDialog(int32_t style, const brantic::String& text) {
  BX3_MAIN_THREAD_ONLY();
  auto& answers = State().answers;
  if (!answers.empty() && std::holds_alternative<int32_t>(answers.front())) {
    const int32_t answer = std::get<int32_t>(answers.front());
    answers.pop_front();
    return answer;
  }
  if (State().presenter) return State().presenter->ShowMessage(style, text);
  std::fprintf(stderr, "bx3: no answer queued for the question \"%s\": cancelled\n", text.CStr());
  return style == kMessageInformation ? kAnswerOk : (style == kMessageYesNo ? kAnswerNo : kAnswerCancel);
}

bool FileSelect(Filename& result, FileSelectMode mode, const brantic::String& title, const Filename& start) {
  BX3_MAIN_THREAD_ONLY();
  auto& answers = State().answers;
  if (!answers.empty() && std::holds_alternative<std::optional<Filename>>(answers.front())) {
    const std::optional<Filename> answer = std::get<std::optional<Filename>>(answers.front());
    answers.pop_front();
    if (!answer || !answer->IsPopulated()) return false;
    result = *answer;
    return true;
  }
  if (State().presenter) return State().presenter->ShowFileDialog(result, mode, title, start);
  std::fprintf(stderr, "bx3: no path queued for \"%s\": cancelled\n", title.CStr());
  return false;
}

}  // namespace bx3
