// Answers the program's file questions in GUI tests without a file dialog: each question is
// recorded and gets the next scripted answer (an empty path, or none left, means cancelled).
#pragma once

#include <deque>
#include <vector>

#include "gui/platform/FileChooser.h"

namespace tavrel::test {

class ScriptedFileChooser {
  public:
    ScriptedFileChooser() {
        m_previous = qt::SetFileChooser([this](QWidget*, const qt::FileQuestion& question) {
            questions.push_back(question);
            if (answers.empty()) return qt::FileAnswer{};
            qt::FileAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~ScriptedFileChooser() { qt::SetFileChooser(std::move(m_previous)); }
    ScriptedFileChooser(const ScriptedFileChooser&) = delete;
    ScriptedFileChooser& operator=(const ScriptedFileChooser&) = delete;

    void Answer(const QString& path, const QString& filter = {}) {
        answers.push_back({path, filter});
    }

    std::vector<qt::FileQuestion> questions;
    std::deque<qt::FileAnswer> answers;

  private:
    qt::FileChooser m_previous;
};

}  // namespace tavrel::test
