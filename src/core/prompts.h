#pragma once

#include <QString>

namespace kestrel {

// What a flow asks or tells the operator. The console answers with message boxes, the tests with
// scripted answers, so no flow ever waits on a real box in a test.
class Prompts {
public:
    enum class Icon { None, Information, Exclamation, Critical };

    virtual ~Prompts() = default;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    virtual void tell(Icon icon, const QString& text) = 0;
    // A notice that must not stop what is running (a timer's work, for one): shown without
    // waiting for the operator, and not shown twice while the same text is still on screen.
    virtual void notify(Icon icon, const QString& text) = 0;
};

} // namespace kestrel
