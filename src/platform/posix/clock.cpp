#include "platform/clock.h"

#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace platform {

namespace {

// The user's time conventions, read from the environment on every call; the
// program's own locale is left alone.
class TimeLocale {
  public:
    TimeLocale() : loc_(newlocale(LC_TIME_MASK, "", nullptr)) {
        if (!loc_) loc_ = newlocale(LC_TIME_MASK, "C", nullptr);
    }
    ~TimeLocale() {
        if (loc_) freelocale(loc_);
    }
    TimeLocale(const TimeLocale&) = delete;
    TimeLocale& operator=(const TimeLocale&) = delete;

    std::string format(const char* pattern, const std::tm& tm) const {
        char buf[256];
        std::size_t n = loc_ ? strftime_l(buf, sizeof buf, pattern, &tm, loc_) : 0;
        return std::string(buf, n);
    }
    std::string item(nl_item what) const {
        const char* text = loc_ ? nl_langinfo_l(what, loc_) : nullptr;
        return text ? text : "";
    }

  private:
    locale_t loc_;
};

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
        const TimeLocale locale;
        // The user's language for day and month names; the order is the common long form.
        lt.longDate = locale.format("%A, %B %d, %Y", tm);
        // A locale with a 24-hour clock has no designator, and then none is given.
        lt.amPm = locale.item(tm.tm_hour < 12 ? AM_STR : PM_STR);
        return lt;
    }
};
} // namespace

std::unique_ptr<Clock> systemClock() { return std::make_unique<SystemClock>(); }

} // namespace platform
