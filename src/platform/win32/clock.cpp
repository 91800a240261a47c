#include "platform/clock.h"

#include <windows.h>

namespace platform {

namespace {
std::string localeText(LCTYPE what) {
    char buf[128] = {};
    int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, what, buf, sizeof buf);
    return n > 1 ? std::string(buf, static_cast<std::size_t>(n - 1)) : std::string();
}

class SystemClock : public Clock {
  public:
    LocalTime now() override {
        SYSTEMTIME st{};
        ::GetLocalTime(&st);
        LocalTime lt;
        lt.year = st.wYear;
        lt.month = st.wMonth;
        lt.day = st.wDay;
        lt.hour = st.wHour;
        lt.minute = st.wMinute;
        lt.second = st.wSecond;
        char buf[128] = {};
        int n = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, buf, sizeof buf);
        if (n > 1) lt.longDate.assign(buf, static_cast<std::size_t>(n - 1));
        // A locale with a 24-hour clock has no designator, and then none is given.
        lt.amPm = localeText(st.wHour < 12 ? LOCALE_S1159 : LOCALE_S2359);
        return lt;
    }
};
} // namespace

std::unique_ptr<Clock> systemClock() {
    return std::make_unique<SystemClock>();
}

} // namespace platform
