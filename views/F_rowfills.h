#pragma once
// The fills of a page's bound rows: each row adds how it shows the attached set, and filling the
// page runs them all.

#include <functional>
#include <utility>
#include <vector>

namespace views {

// The fills of a page's bound rows, in the order the rows were added.
class TRowFills {
  public:
    void Add(std::function<void()> fill) { fills_.push_back(std::move(fill)); }
    void Run() const {
        for (const auto& fill : fills_) fill();
    }

  private:
    std::vector<std::function<void()>> fills_;
};

}  // namespace views
