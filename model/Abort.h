// The silent abort: ends the current user action without a message of its own. Whoever started
// the action catches it where the action ends; a caller that wants to say why (the command-line
// tool, the load pipeline's error box) reads what().
#pragma once

#include <stdexcept>
#include <string>

namespace orvanta {

class SilentAbort : public std::runtime_error {
  public:
    explicit SilentAbort(const std::string& why) : std::runtime_error(why) {}
};

} // namespace orvanta
