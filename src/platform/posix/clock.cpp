#include "platform/clock.h"

#include <clocale>
#include <ctime>
#include <langinfo.h>

namespace platform {

namespace {
class SystemClock : public Clock {
public:
    LocalTime now() override {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        LocalTime lt;
        lt.year = tm.tm_year + 1900;
        lt.month = tm.tm_mon + 1;
        lt.day = tm.tm_mday;
        lt.hour = tm.tm_hour;
        lt.minute = tm.tm_min;
        lt.second = tm.tm_sec;
        // The user's language for day and month names; the order is the common long form.
        std::setlocale(LC_TIME, "");
        char buf[128];
        if (std::strftime(buf, sizeof buf, "%A, %B %d, %Y", &tm) > 0) lt.longDate = buf;
        const char* word = nl_langinfo(tm.tm_hour < 12 ? AM_STR : PM_STR);
        lt.amPm = (word && *word) ? word : (tm.tm_hour < 12 ? "AM" : "PM");
        std::setlocale(LC_TIME, "C");
        return lt;
    }
};
} // namespace

std::unique_ptr<Clock> systemClock() { return std::make_unique<SystemClock>(); }

} // namespace platform
