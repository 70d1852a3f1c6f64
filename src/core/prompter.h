// How the engine shows a message or asks a question without knowing who answers.
#pragma once

#include "core/message.h"

#include <vector>

namespace lexmora {

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows the message and returns the button pressed (Ok for a plain message).
    virtual Answer ask(const Message& message) = 0;
    void tell(const Message& message) { ask(message); }
};

// Answers every question with the safe default; keeps what it was shown (tests, batch runs).
class SilentPrompter : public Prompter {
public:
    Answer ask(const Message& message) override {
        shown.push_back(message);
        return safeAnswer(message.buttons);
    }
    std::vector<Message> shown;
};

// Answers questions from a fixed script, in order; the safe default once it runs out.
class ScriptedPrompter : public Prompter {
public:
    explicit ScriptedPrompter(std::vector<Answer> answers) : m_answers(std::move(answers)) {}
    Answer ask(const Message& message) override {
        shown.push_back(message);
        if (m_next < m_answers.size())
            return m_answers[m_next++];
        return safeAnswer(message.buttons);
    }
    std::vector<Message> shown;

private:
    std::vector<Answer> m_answers;
    std::size_t m_next = 0;
};

} // namespace lexmora
