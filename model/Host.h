// What the core asks of the program that hosts it: a progress indicator and a way to show the
// user a message. The window implements both with its widgets; tests and the command-line tool
// answer them without any window.
#pragma once

#include <string>

namespace orvanta {

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // A modal box with the text, the caption and an OK button.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
};

} // namespace orvanta
