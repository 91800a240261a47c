#pragma once
// The local date and time, with the user's own long date and AM/PM words.
#include <memory>
#include <string>

namespace platform {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::string longDate;     // the locale's long date, e.g. "Friday, December 04, 2026"
    std::string amPm;         // the locale's designator for this time of day, e.g. "PM";
                              // empty where the locale has none (a 24-hour clock)
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
};

std::unique_ptr<Clock> systemClock();

} // namespace platform
