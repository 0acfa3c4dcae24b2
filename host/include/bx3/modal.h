// Modal questions: message boxes, file and folder dialogs. Main thread only.
//
// Every modal interaction goes through here. A queued answer (tests, batch runs) is taken
// first; otherwise the GUI shows a real dialog. When nothing can ask the user (no answer is
// queued and no window can be shown) the question is answered with cancel, and stderr says
// so: a headless run never blocks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "brantic/string.h"
#include "bx3/filename.h"

namespace bx3 {

// Message box styles and answers.
enum MessageStyle : int32_t {
  kMessageInformation = 0,
  kMessageYesNo = 36,
  kMessageYesNoCancel = 51,
};
enum MessageAnswer : int32_t {
  kAnswerOk = 1,
  kAnswerCancel = 2,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

enum class FileSelectMode : int32_t { Load, Save, Directory };

// Shows a message box; answers one of MessageAnswer.
int32_t MessageDialog(int32_t style, const brantic::String& text);
// Asks for a file or folder; false when the user cancelled.
bool FileSelect(Filename& result, FileSelectMode mode, const brantic::String& title,
                const Filename& start = Filename());

// Scripted answers, taken in order by the next questions.
void QueueMessageAnswer(int32_t answer);
// A path for the next file or folder dialog; nullopt cancels it.
void QueueFileAnswer(std::optional<Filename> path);
void ClearQueuedAnswers();
int64_t QueuedAnswerCount();

// What the GUI library installs to ask a real user.
class ModalPresenter {
 public:
  virtual ~ModalPresenter() = default;
  virtual int32_t ShowMessage(int32_t style, const brantic::String& text) = 0;
  virtual bool ShowFileDialog(Filename& result, FileSelectMode mode, const brantic::String& title,
                              const Filename& start) = 0;
};
void SetModalPresenter(ModalPresenter* presenter);

}  // namespace bx3
