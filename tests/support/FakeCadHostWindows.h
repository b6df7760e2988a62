// A desktop described by the test, for the CAD host bridge: lists the windows it is given and
// records what the bridge did to them.
#pragma once

#include "bridges/CadHost.h"

#include <utility>
#include <vector>

namespace orvanta::test {

struct FakeCadHostWindows : CadHostWindows {
    std::vector<TopLevelWindow> windows;
    std::vector<std::uint64_t> activated;
    std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> delivered;

    std::vector<TopLevelWindow> topLevelWindows() override { return windows; }
    bool isValid(std::uint64_t id) override {
        for (const auto& w : windows)
            if (w.id == id) return true;
        return false;
    }
    void activate(std::uint64_t id) override { activated.push_back(id); }
    void deliver(std::uint64_t id, const TransferRecord& record) override {
        delivered.emplace_back(id, record.bytes());
    }
};

} // namespace orvanta::test
