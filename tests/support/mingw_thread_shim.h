// GCC 12's win32 thread model has no std::mutex or std::condition_variable, which GoogleTest's
// thread support names. The program itself must keep that thread model (the posix one needs
// functions that Windows 98 lacks), so the Windows test builds get these two over Win32 locks.
#pragma once

#include <windows.h>

#include <mutex>

namespace std {

class mutex {
  public:
    mutex() { InitializeSRWLock(&lock_); }
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* native_handle() { return &lock_; }

  private:
    SRWLOCK lock_;
};

class condition_variable {
  public:
    condition_variable() { InitializeConditionVariable(&condition_); }
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() { WakeConditionVariable(&condition_); }
    void notify_all() { WakeAllConditionVariable(&condition_); }
    void wait(unique_lock<mutex>& lock) {
        SleepConditionVariableSRW(&condition_, lock.mutex()->native_handle(), INFINITE, 0);
    }
    template <typename Predicate>
    void wait(unique_lock<mutex>& lock, Predicate ready) {
        while (!ready()) wait(lock);
    }

  private:
    CONDITION_VARIABLE condition_;
};

}  // namespace std
