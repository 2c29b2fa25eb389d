// Replaces operator new for the unit tests, so that a test can make memory run out.
#pragma once

// While one lives, every operator new either fails (true) or works (false); the
// previous state comes back when it goes.
class AllocationsFail {
  public:
    explicit AllocationsFail(bool fail) noexcept;
    AllocationsFail(const AllocationsFail&) = delete;
    AllocationsFail& operator=(const AllocationsFail&) = delete;
    ~AllocationsFail();

  private:
    bool previous_;
};
