#include "synthetic.h"

#include "sqlite_file.h"

#include "db/error.h"
#include "db/schema.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string>
#include <utility>

namespace admin {

namespace {

// --- deterministic randomness ----------------------------------------------

constexpr std::uint64_t splitmix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A generator keyed by (seed, stream, row number): any row can be rebuilt on
// its own, which is how a complaint copies its subscriber's details without
// the seeder keeping a million subscribers in memory. Only integer
// arithmetic, so the data is the same on every platform and compiler.
class Rng {
public:
    Rng(std::uint64_t seed, std::uint64_t stream, std::uint64_t row)
        : m_state(splitmix(splitmix(seed ^ splitmix(stream)) + row)) {}

    std::uint64_t next() {
        m_state += 0x9E3779B97F4A7C15ull;
        return splitmix(m_state);
    }
    // In [0, n).
    std::uint64_t below(std::uint64_t n) {
        return static_cast<std::uint64_t>((static_cast<unsigned __int128>(next()) * n) >> 64);
    }
    int range(int low, int high) { return low + static_cast<int>(below(high - low + 1)); }
    bool percent(int p) { return below(100) < static_cast<std::uint64_t>(p); }
    template <std::size_t N> const char* pick(const std::array<const char*, N>& items) {
        return items[below(N)];
    }

private:
    std::uint64_t m_state;
};

enum Stream : std::uint64_t {
    SubscriberStream = 1,
    ComplaintStream,
    OltStream,
    TicketStream,
    OutageStream
};

// --- text formatting ---------------------------------------------------------

[[gnu::format(printf, 2, 3)]] void put(std::string& out, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    out.assign(buffer, static_cast<std::size_t>(std::clamp(n, 0, int(sizeof buffer) - 1)));
}

[[gnu::format(printf, 2, 3)]] void append(std::string& out, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    out.append(buffer, static_cast<std::size_t>(std::clamp(n, 0, int(sizeof buffer) - 1)));
}

// Times are seconds since 1970-01-01 00:00 on the wall clock; the data has no
// time zone, just like the texts the client writes.
std::int64_t secondsAt(int y, unsigned m, unsigned d) {
    using namespace std::chrono;
    return sys_seconds(sys_days(year(y) / month(m) / day(d))).time_since_epoch().count();
}

struct Civil {
    int year, month, day, hour, minute, second;
};

Civil civil(std::int64_t t) {
    using namespace std::chrono;
    const sys_seconds at{seconds(t)};
    const sys_days midnight = floor<days>(at);
    const year_month_day date(midnight);
    const hh_mm_ss time(at - midnight);
    return {int(date.year()),          int(unsigned(date.month())), int(unsigned(date.day())),
            int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count())};
}

constexpr std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// 'yyyy-MM-dd hh:mm:ss', the form date-time columns hold.
void isoTime(std::string& out, std::int64_t t) {
    const Civil c = civil(t);
    put(out, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute, c.second);
}

// 'd-mmm-yy', registration dates.
void shortDate(std::string& out, std::int64_t t) {
    const Civil c = civil(t);
    put(out, "%d-%s-%02d", c.day, months[c.month - 1], c.year % 100);
}

// 'd-mmm-yy h:m AM/PM', the stamps inside complaint histories.
void appendStamp(std::string& out, std::int64_t t) {
    const Civil c = civil(t);
    const int hour12 = c.hour % 12 == 0 ? 12 : c.hour % 12;
    append(out, "%d-%s-%02d %d:%d %s", c.day, months[c.month - 1], c.year % 100, hour12, c.minute,
           c.hour < 12 ? "AM" : "PM");
}

// 'MM/DD/YYYY h:m AM/PM', the stamps inside fault ticket histories.
void appendUsStamp(std::string& out, std::int64_t t) {
    const Civil c = civil(t);
    const int hour12 = c.hour % 12 == 0 ? 12 : c.hour % 12;
    append(out, "%02d/%02d/%04d %d:%d %s", c.month, c.day, c.year, hour12, c.minute,
           c.hour < 12 ? "AM" : "PM");
}

std::int64_t wholeHoursBetween(std::int64_t from, std::int64_t to) {
    return to / 3600 - from / 3600;
}

// --- the made-up network -----------------------------------------------------

struct FieldEngineer {
    const char* name;
    const char* mobile;
};

// The SSAs, sites and engineers of the demo data, so synthetic rows seeded
// into a demo database find their circle, SSA, site and engineer rows.
struct Area {
    const char* circle;
    const char* ssa;
    const char* code; // lower case, starts user names
    const char* upperCode;
    const char* circleCode; // in SIP domains and BNG names
    const char* stdCode;
    const char* city;
    int pinBase;
    int weight; // share of subscribers, percent
    int baseVoiceVlan;
    std::array<const char*, 4> localities;
    std::array<const char*, 2> fibreSites;
    int fibreSiteCount;
    std::array<const char*, 2> airSites;
    int airSiteCount;
    std::array<FieldEngineer, 2> engineers;
    int engineerCount;
    bool mtnl;
};

const std::array<Area, 6> areas = {{
    {"KERALA",
     "ERNAKULAM",
     "ekm",
     "EKM",
     "KL",
     "484",
     "Kochi",
     682000,
     25,
     2301,
     {"Kakkanad", "Edappally", "Vyttila", "Aluva"},
     {"EKM-KAKKANAD-OLT", "EKM-EDAPPALLY-OLT"},
     2,
     {"EKM-VYTTILA-AP", "EKM-ALUVA-AP"},
     2,
     {{{"Sajan Thomas", "9847130001"}, {"Rijo Paul", "9847130002"}}},
     2,
     false},
    {"KERALA",
     "TRIVANDRUM",
     "tvm",
     "TVM",
     "KL",
     "471",
     "Thiruvananthapuram",
     695000,
     15,
     2301,
     {"Pattom", "Kazhakuttam", "Kowdiar", "Vazhuthacaud"},
     {"TVM-PATTOM-OLT", nullptr},
     1,
     {"TVM-KAZHAKUTTAM-AP", nullptr},
     1,
     {{{"Arun Das", "9847130003"}, {nullptr, nullptr}}},
     1,
     false},
    {"MAHARASHTRA",
     "PUNE",
     "pun",
     "PUN",
     "MH",
     "20",
     "Pune",
     411000,
     25,
     2401,
     {"Hinjewadi", "Kothrud", "Baner", "Wakad"},
     {"PUN-HINJEWADI-OLT", "PUN-KOTHRUD-OLT"},
     2,
     {"PUN-BANER-AP", nullptr},
     1,
     {{{"Sagar More", "9822130004"}, {"Amol Gaikwad", "9822130005"}}},
     2,
     false},
    {"MAHARASHTRA",
     "NASHIK",
     "nsk",
     "NSK",
     "MH",
     "253",
     "Nashik",
     422000,
     12,
     2401,
     {"CIDCO", "Satpur", "Gangapur Road", "Panchavati"},
     {"NSK-CIDCO-OLT", nullptr},
     1,
     {"NSK-SATPUR-AP", nullptr},
     1,
     {{{"Tushar Ahire", "9822130006"}, {nullptr, nullptr}}},
     1,
     false},
    {"MAHARASHTRA",
     "MUMBAI",
     "mum",
     "MUM",
     "MH",
     "22",
     "Mumbai",
     400000,
     8,
     2401,
     {"Andheri East", "Marol", "Chakala", "Saki Naka"},
     {"MUM-ANDHERI-2410", nullptr},
     1,
     {nullptr, nullptr},
     0,
     {{{"Imran Qureshi", "9822130007"}, {nullptr, nullptr}}},
     1,
     true},
    {"KARNATAKA",
     "MYSORE",
     "mys",
     "MYS",
     "KA",
     "821",
     "Mysuru",
     570000,
     15,
     2501,
     {"Vijayanagar", "Kuvempunagar", "Jayalakshmipuram", "Saraswathipuram"},
     {"MYS-VIJAYNAGAR-OLT", nullptr},
     1,
     {"MYS-KUVEMPU-AP", nullptr},
     1,
     {{{"Naveen Kumar", "9845130008"}, {nullptr, nullptr}}},
     1,
     false},
}};

const Area& pickArea(Rng& rng) {
    int roll = static_cast<int>(rng.below(100));
    for (const Area& area : areas) {
        if (roll < area.weight)
            return area;
        roll -= area.weight;
    }
    return areas.back();
}

constexpr std::array<const char*, 40> firstNames = {
    "Anil",   "Priya",  "Vikram", "Deepa", "Suresh",  "Lakshmi", "Rohan",  "Anjali",
    "Manoj",  "Kavya",  "Sanjay", "Meera", "Rajesh",  "Divya",   "Arjun",  "Sneha",
    "Kiran",  "Pooja",  "Ravi",   "Nisha", "Sunil",   "Asha",    "Vivek",  "Rekha",
    "Mahesh", "Shweta", "Ganesh", "Anita", "Prakash", "Smita",   "Joseph", "Mariam",
    "Abdul",  "Farida", "Harish", "Bindu", "Naveen",  "Geetha",  "Tushar", "Revathi"};
constexpr std::array<const char*, 32> lastNames = {
    "Nair",     "Menon",  "Pillai", "Kurian",   "Thomas", "Varghese", "Kulkarni", "Deshpande",
    "Patil",    "Joshi",  "Pawar",  "Jadhav",   "Shinde", "Gaikwad",  "Iyer",     "Reddy",
    "Rao",      "Gowda",  "Hegde",  "Shetty",   "Sharma", "Khan",     "Shaikh",   "Kumar",
    "Krishnan", "Mathew", "Chacko", "Deshmukh", "More",   "Bhosale",  "Kamath",   "Urs"};
constexpr std::array<const char*, 12> streets = {"MG Road",       "Temple Road",    "Station Road",
                                                 "Church Street", "Gandhi Nagar",   "Nehru Street",
                                                 "Market Road",   "Lake View Road", "School Lane",
                                                 "Hospital Road", "Canal Road",     "Park Avenue"};
struct Building {
    const char* before;
    const char* after;
};
constexpr std::array<Building, 6> buildings = {{{"Flat ", ", Sai Residency"},
                                                {"House No ", ""},
                                                {"", ", Green Meadows"},
                                                {"Villa ", ""},
                                                {"B-", ", Shanti Apartments"},
                                                {"Plot ", ""}}};

// Complaint texts as the register offers them, and the categories it
// records on update and close.
constexpr std::array<const char*, 9> complaintTexts = {
    "SIGNAL WEAK",        "DDOS",        "SPEED ISSUE",   "SITE  DOWN",
    "NO INTERNET ACCESS", "ODU PROBLEM", "BILLING ISSUE", "DEVICE NOT CONNECTED",
    "PHONE NOT WORKING"};
constexpr std::array<const char*, 5> categories = {"SITE DOWN", "WIRE DOWN", "BILLING ISSUE",
                                                   "VOIP ISSUE", "OTHER"};
constexpr std::array<const char*, 14> updateTexts = {
    "Customer not reachable, will call again",
    "LOS red on ONU, FE informed",
    "Rx power -27 dBm, splice suspected",
    "Speed test fine on LAN, Wi-Fi channel changed",
    "ONU rebooted remotely, link restored",
    "Drop wire cut near pole, FE visit planned",
    "SIP registration failing, voice IP changed",
    "Bill copy sent by mail",
    "CPE replaced by FE",
    "Site power restored by VUVA",
    "Customer confirmed service is working",
    "Port moved to a new PON",
    "MAC binding cleared on BNG",
    "Password reset and shared with customer"};
constexpr std::array<const char*, 6> operators = {"Asha Verma", "Rahul Nair",   "NOC Admin",
                                                  "Sunita Rao", "Imran Shaikh", "Deepa Iyer"};
constexpr std::array<const char*, 4> openStates = {"OPEN", "OPEN-FE", "SITE-DOWN", "VOIP"};

// --- rows --------------------------------------------------------------------

const std::int64_t registrationStart = secondsAt(2016, 1, 1);
const std::int64_t registrationSpan = secondsAt(2024, 1, 1) - registrationStart;
const std::int64_t complaintStart = secondsAt(2021, 1, 1);
const std::int64_t complaintSpan = secondsAt(2024, 6, 30) - complaintStart;

struct Subscriber {
    const Area* area = nullptr;
    const char* service = nullptr;
    const char* site = nullptr;
    std::string id, name, mobile, address, regDate, cba, paid, nasIp, cpe, otc, ba, indicator;
    std::string status, policy, phone, ldapCheck, email, port;
};

// How much of a subscriber to build: complaints and pool rows only copy the
// leading details, which are drawn first so both ways give the same values.
enum class Detail { Leading, Full };

void makeSubscriber(std::uint64_t seed, std::int64_t index, std::int64_t total, Subscriber& s,
                    Detail detail = Detail::Full) {
    Rng rng(seed, SubscriberStream, static_cast<std::uint64_t>(index));
    const Area& area = pickArea(rng);
    s.area = &area;

    const int serviceRoll = static_cast<int>(rng.below(100));
    if (area.mtnl)
        s.service = "MTNL";
    else if (serviceRoll < 65 || area.airSiteCount == 0)
        s.service = "FTTH";
    else
        s.service = serviceRoll < 85 ? "AF" : "BBOWIFI";
    const bool fibre = s.service[0] == 'F' || s.service[0] == 'M';
    s.site = fibre ? area.fibreSites[rng.below(area.fibreSiteCount)]
                   : area.airSites[rng.below(area.airSiteCount)];

    // The number in the user name is the row's own, so ids never collide.
    put(s.id, "%s%07lld", area.code, static_cast<long long>(index + 1));
    const char* first = rng.pick(firstNames);
    const char* last = rng.pick(lastNames);
    put(s.name, "%s %s", first, last);
    constexpr std::array<const char*, 8> mobilePrefixes = {"94", "98", "97", "96",
                                                           "90", "88", "70", "63"};
    // One draw per statement: the order in which a call's arguments are
    // evaluated differs between compilers, and so would the data.
    const char* mobilePrefix = rng.pick(mobilePrefixes);
    const auto mobileDigits = static_cast<unsigned long long>(rng.below(100000000));
    put(s.mobile, "%s%08llu", mobilePrefix, mobileDigits);

    const Building& building = buildings[rng.below(buildings.size())];
    const int number = rng.range(1, 480);
    const char* street = rng.pick(streets);
    const char* locality = area.localities[rng.below(area.localities.size())];
    const int pin = area.pinBase + rng.range(1, 60);
    put(s.address, "%s%d%s, %s, %s, %s %d", building.before, number, building.after, street,
        locality, area.city, pin);

    if (detail == Detail::Leading)
        return;

    // Registrations follow the subscriber numbers through eight years.
    const std::int64_t registered = registrationStart +
                                    registrationSpan / std::max<std::int64_t>(total, 1) * index +
                                    static_cast<std::int64_t>(rng.below(86400));
    shortDate(s.regDate, registered);

    if (rng.percent(70))
        s.cba = "0";
    else
        put(s.cba, "%09llu", static_cast<unsigned long long>(rng.below(1000000000)));
    const int paidRoll = static_cast<int>(rng.below(100));
    s.paid = paidRoll < 20 ? "0" : (paidRoll < 85 ? "YES" : "NO");

    const int provider = static_cast<int>(rng.below(3)); // NEW, ZTE, UTSTER
    constexpr std::array<const char*, 3> sipHosts = {"ims", "zte", "uts"};
    if (area.mtnl) {
        put(s.nasIp, "sip.mtnl.example.net/%s", s.site + std::string_view(s.site).size() - 4);
        const auto line = static_cast<unsigned long long>(rng.below(100000000));
        put(s.otc, "91%s%08llu/91%s%08llu", area.stdCode, line, area.stdCode, line);
    } else {
        std::string circleLower = area.circleCode;
        std::transform(circleLower.begin(), circleLower.end(), circleLower.begin(),
                       [](char c) { return char(c - 'A' + 'a'); });
        put(s.nasIp, "%s.%s.vuva.example.net/%d", sipHosts[provider], circleLower.c_str(),
            area.baseVoiceVlan + provider);
        if (provider == 0)
            put(s.otc, "91%s/0000", s.mobile.c_str());
        else
            put(s.otc, "+91%s/%s", s.mobile.c_str(), provider == 1 ? "123" : "1234");
    }
    constexpr std::array<const char*, 8> wifiWords = {"HOME", "NET", "WIFI",   "FIBRE",
                                                      "LINK", "AIR", "FAMILY", "ZONE"};
    const char* wifiWord = rng.pick(wifiWords);
    const auto wifiDigits = static_cast<unsigned long long>(rng.below(10000));
    put(s.cpe, "%s_%s/%s%04llu", last, wifiWord, first, wifiDigits);
    std::transform(s.cpe.begin(), s.cpe.begin() + static_cast<long>(s.cpe.find('_')), s.cpe.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });

    // Billing accounts: an invertible scramble of the row number keeps them
    // unique without looking sequential.
    if (area.mtnl)
        put(s.ba, "mtnl@%05llu", static_cast<unsigned long long>(rng.below(100000)));
    else
        put(s.ba, "%010llu",
            static_cast<unsigned long long>(1000000000ull +
                                            (static_cast<std::uint64_t>(index) * 2654435761ull) %
                                                9000000000ull));
    put(s.indicator, "%s%06lld", area.upperCode, static_cast<long long>(index + 1));

    const int statusRoll = static_cast<int>(rng.below(100));
    s.status = statusRoll < 78   ? "active"
               : statusRoll < 88 ? "inactive"
               : statusRoll < 94 ? "DELETED"
                                 : "MarkedForDeletion";
    if (s.status == "active" && rng.percent(4))
        s.policy = "Vuva_Susp";
    else {
        constexpr std::array<const char*, 4> plans = {"Vuva_FTTH_50M", "Vuva_FTTH_100M",
                                                      "Vuva_FTTH_200M", "Vuva_BB_30M"};
        s.policy = fibre ? plans[rng.below(3)] : plans[3];
    }
    // Eleven digits with the trunk prefix; local numbers start with 2 to 9.
    std::uint64_t localLow = 2;
    for (std::size_t d = std::string_view(area.stdCode).size(); d < 9; ++d)
        localLow *= 10;
    put(s.phone, "0%s%llu", area.stdCode,
        static_cast<unsigned long long>(localLow + rng.below(localLow * 3)));
    s.ldapCheck = rng.percent(60) ? "0" : "";
    std::string mailName;
    put(mailName, "%s.%s%llu", first, last, static_cast<unsigned long long>(rng.below(100)));
    std::transform(mailName.begin(), mailName.end(), mailName.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    put(s.email, "%s@mail.example.com", mailName.c_str());
    if (fibre) {
        const int slot = rng.range(1, 4);
        const int pon = rng.range(1, 16);
        const int onu = rng.range(1, 64);
        put(s.port, "GPON 0/%d/%d:%d", slot, pon, onu);
    } else
        put(s.port, "ETHER %d", rng.range(1, 5));
}

void insertSubscriber(Statement& st, const Subscriber& s) {
    const std::string_view values[30] = {
        s.id,      s.name,      s.area->ssa, s.mobile, s.address, s.area->circle,
        s.regDate, s.cba,       s.paid,      s.nasIp,  s.cpe,     s.otc,
        s.ba,      s.indicator, s.status,    s.policy, s.phone,   s.ldapCheck,
        s.email,   s.port,      "0",         "0",      "",        "0",
        s.service, "0",         s.site,      s.phone,  s.regDate, s.area->ssa};
    for (int i = 0; i < 30; ++i)
        st.bindText(i + 1, values[i]);
    st.run();
}

struct Complaint {
    std::string issue, description, closeDate;
    const char* status = nullptr;
    const char* cat = nullptr;
    const char* ne = nullptr;
    long long pending = 0;
};

void makeComplaint(Rng& rng, std::int64_t issue, bool open, Complaint& c) {
    isoTime(c.issue, issue);
    c.description = rng.pick(complaintTexts);
    const char* submitter = rng.pick(operators);
    if (open && rng.percent(30)) {
        c.status = "NEW";
        c.cat = "NA";
        c.ne = submitter;
        c.pending = 0;
        c.closeDate = "1990-04-04 00:00:00";
        return;
    }
    const int hoursRoll = static_cast<int>(rng.below(100));
    const int hours = hoursRoll < 60   ? rng.range(1, 8)
                      : hoursRoll < 90 ? rng.range(9, 36)
                                       : rng.range(37, 120);
    const int minutes = rng.range(0, 59);
    const std::int64_t duration = hours * 3600ll + minutes * 60ll;
    const int updates = open ? 1 : static_cast<int>(rng.below(3));
    std::int64_t at = issue;
    for (int u = 0; u < updates; ++u) {
        at += duration / (updates + 1);
        c.description += '@';
        appendStamp(c.description, at);
        const char* by = rng.pick(operators);
        append(c.description, " Update by: %s@Update: %s", by, rng.pick(updateTexts));
    }
    if (open) {
        c.status = rng.pick(openStates);
        c.cat = c.status[0] == 'S'   ? "SITE DOWN"
                : c.status[0] == 'V' ? "VOIP ISSUE"
                                     : rng.pick(categories);
        c.ne = submitter;
        c.pending = wholeHoursBetween(issue, at);
        c.closeDate = "1990-04-04 00:00:00";
        return;
    }
    const std::int64_t closed = issue + duration;
    const char* closer = rng.pick(operators);
    c.description += '@';
    appendStamp(c.description, closed);
    append(c.description, " Closed by: %s", closer);
    c.status = "CLOSED";
    c.cat = rng.pick(categories);
    c.ne = closer;
    c.pending = wholeHoursBetween(issue, closed);
    isoTime(c.closeDate, closed);
}

void insertComplaint(Statement& st, const Complaint& c, const Subscriber& s, Rng& rng) {
    const FieldEngineer& fe = s.area->engineers[rng.below(s.area->engineerCount)];
    st.bindText(1, s.name);
    st.bindText(2, s.mobile);
    st.bindText(3, c.issue);
    st.bindText(4, c.description);
    st.bindText(5, c.status);
    st.bindText(6, c.closeDate);
    st.bindText(7, s.area->ssa);
    st.bindText(8, fe.name);
    st.bindText(9, fe.mobile);
    st.bindInt(10, c.pending);
    st.bindText(11, s.address);
    st.bindText(12, s.id);
    st.bindText(13, s.area->circle);
    st.bindText(14, s.site);
    st.bindText(15, c.ne);
    st.bindText(16, c.cat);
    st.bindText(17, s.service);
    st.run();
}

// Open complaints go to distinct subscribers (the register allows one open
// complaint per subscriber): the k-th open one takes subscriber
// (k * stride) mod total, a permutation when stride and total are coprime.
std::int64_t coprimeStride(std::int64_t total) {
    std::int64_t stride = 1000003 % total;
    while (std::gcd(stride, total) != 1)
        ++stride;
    return stride;
}

// --- fault tickets -------------------------------------------------------------

constexpr std::array<const char*, 4> faultKinds = {"SITE DOWN", "LINK FLAPPING", "BANDWIDTH ISSUE",
                                                   "AP DOWN"};
constexpr std::array<const char*, 3> ticketOperators = {"Asha Verma", "Rahul Nair", "NOC Admin"};

// Ticket k is opened at its share of the period, so FT numbers grow with
// time; only the last hundredth is still open. A closed ticket carries one
// update and its closing entry, as the desk writes them.
void insertTickets(SqliteFile& file, std::uint64_t seed, std::int64_t count) {
    Statement st(file, QStringLiteral("INSERT INTO BTS_FAULT (CIRCLE, SSA, [SITE NAME], FAULT, "
                                      "[ISSUE DATE], [CLOSE DATE], [DOWN TIME], STATUS, ID, "
                                      "[USER]) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const std::int64_t openFrom = count - count / 100;
    std::string history, issued, closed, downTime, tunnelId, users;
    for (std::int64_t k = 0; k < count; ++k) {
        Rng rng(seed, TicketStream, static_cast<std::uint64_t>(k));
        const Area& area = pickArea(rng);
        const bool air = area.airSiteCount > 0 && rng.percent(40);
        const char* site = air ? area.airSites[rng.below(area.airSiteCount)]
                               : area.fibreSites[rng.below(area.fibreSiteCount)];
        const std::int64_t slot = complaintSpan / count;
        const std::int64_t opened =
            (complaintStart + slot * k + static_cast<std::int64_t>(rng.below(slot + 1))) / 60 * 60;
        const std::int64_t updated = opened + 60 * rng.range(20, 600);
        const bool open = k >= openFrom;
        issued.clear();
        appendStamp(issued, opened);
        history = issued;
        append(history, " FAULT OPEN BY: %s\r\nFAULT: %s", rng.pick(ticketOperators),
               rng.pick(faultKinds));
        history += "\r\n";
        appendUsStamp(history, updated);
        append(history, " UPDATE BY %s\r\nUPDATE: Team on site, power restored at tower",
               rng.pick(ticketOperators));
        closed = "4/4/1970";
        if (!open) {
            const std::int64_t closing = updated + 60 * rng.range(10, 300);
            history += "\r\n";
            appendUsStamp(history, closing);
            append(history, " CLOSED BY %s\r\nUPDATE: Link stable, closed",
                   rng.pick(ticketOperators));
            closed.clear();
            appendStamp(closed, closing);
        }
        put(downTime, "%lld", static_cast<long long>(wholeHoursBetween(opened, updated)));
        put(tunnelId, "%d", rng.range(1100, 3199));
        put(users, "%d", rng.range(0, 320));
        st.bindText(1, area.circle);
        st.bindText(2, area.ssa);
        st.bindText(3, site);
        st.bindText(4, history);
        st.bindText(5, issued);
        st.bindText(6, closed);
        st.bindText(7, downTime);
        st.bindText(8, open ? "OPEN" : "CLOSED");
        st.bindText(9, tunnelId);
        st.bindText(10, users);
        st.run();
    }
}

// --- outages -----------------------------------------------------------------

const std::int64_t outageStart = secondsAt(2022, 1, 1);
const std::int64_t outageSpan = secondsAt(2024, 6, 30) - outageStart;

constexpr std::array<const char*, 6> outageReasons = {"POWER FAILURE",       "FIBRE CUT",
                                                      "VUVA UPLINK DOWN",    "EQUIPMENT FAULTY",
                                                      "PLANNED MAINTENANCE", "RAIN FADE"};

// Outage k goes down at its share of the period, so fault numbers grow with
// time; every hundredth is still open or resolved, the rest are closed.
void insertOutages(SqliteFile& file, std::uint64_t seed, std::int64_t outages) {
    Statement st(file, QStringLiteral("INSERT INTO olt_status (fault_id, circle, SSA, SITE_NAME, "
                                      "equipment, down_time, up_time, TOTAL_TIME_DOWN, rfo, "
                                      "on_the_part_of, status, IP) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                                      "?, ?, ?, ?)"));
    std::string down, up, total, ip;
    for (std::int64_t k = 0; k < outages; ++k) {
        Rng rng(seed, OutageStream, static_cast<std::uint64_t>(k));
        const Area& area = areas[rng.below(areas.size())];
        const bool air = area.airSiteCount > 0 && rng.percent(40);
        const char* site =
            air ? area.airSites[rng.below(static_cast<std::uint64_t>(area.airSiteCount))]
                : area.fibreSites[rng.below(static_cast<std::uint64_t>(area.fibreSiteCount))];
        const std::int64_t slot = outageSpan / outages;
        const std::int64_t downAt =
            (outageStart + slot * k + static_cast<std::int64_t>(rng.below(slot + 1))) / 60 * 60;
        const std::int64_t minutes = rng.range(5, 600);
        const bool notClosed = k % 100 == 99;
        const bool open = notClosed && k % 200 == 199;
        isoTime(down, downAt);
        isoTime(up, downAt + minutes * 60);
        put(total, "%lld:%02lld", static_cast<long long>(minutes / 60),
            static_cast<long long>(minutes % 60));
        put(ip, "%s.%llu", air ? "198.51.100" : "192.0.2",
            static_cast<unsigned long long>(rng.below(250) + 1));
        st.bindInt(1, k + 1);
        st.bindText(2, area.circle);
        st.bindText(3, area.ssa);
        st.bindText(4, site);
        st.bindText(5, site);
        st.bindText(6, down);
        if (open) {
            st.bindNull(7);
            st.bindNull(8);
            st.bindNull(9);
            st.bindNull(10);
        } else {
            st.bindText(7, up);
            st.bindText(8, total);
            st.bindText(9, rng.pick(outageReasons));
            st.bindText(10, rng.percent(70) ? "VUVA" : "ZEL");
        }
        st.bindText(11, open ? "OPEN" : (notClosed ? "RESOLVED" : "CLOSED"));
        st.bindText(12, ip);
        st.run();
    }
}

// --- the bulk load ------------------------------------------------------------

// Index definitions of the tables the seeder fills. Building an index once
// over the loaded rows is several times faster than keeping it up to date
// through a million random-order inserts.
QStringList dropIndexes(SqliteFile& file) {
    QStringList definitions;
    {
        Statement st(
            file,
            QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND "
                           "sql IS NOT NULL AND tbl_name IN ('cdata', 'complain', 'OLT', 'VOIP', "
                           "'BTS_FAULT', 'olt_status') "
                           "ORDER BY name"));
        QStringList names;
        while (st.step()) {
            names << st.columnText(0);
            definitions << st.columnText(1);
        }
        st.reset();
        for (const QString& name : std::as_const(names))
            file.exec(QStringLiteral("DROP INDEX \"%1\"").arg(name));
    }
    return definitions;
}

// Puts the file back into the client's journal mode whatever happened.
class JournalModeGuard {
public:
    explicit JournalModeGuard(SqliteFile& file)
        : m_file(file) {
        // Appending to a fresh file needs no write-ahead copy of every page.
        m_file.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    ~JournalModeGuard() {
        try {
            m_file.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        } catch (const db::Error&) {
            // The file stays usable in rollback-journal mode.
        }
    }

private:
    SqliteFile& m_file;
};

} // namespace

SeedCounts seedSynthetic(const QString& path, const SeedOptions& options) {
    if (options.subscribers < 0 || options.complaints < 0 || options.tickets < 0 ||
        options.outages < 0)
        throw db::Error(QStringLiteral("The numbers of subscribers, complaints, fault tickets and "
                                       "outages must not be negative"));
    if (options.complaints > 0 && options.subscribers == 0)
        throw db::Error(QStringLiteral("Complaints need at least one subscriber to refer to"));

    if (!QFileInfo::exists(path))
        db::createSqliteDatabase(path);
    else
        db::checkSqliteVersion(path);

    SqliteFile file(path, false);
    JournalModeGuard journal(file);
    file.exec(QStringLiteral("PRAGMA synchronous=OFF; PRAGMA cache_size=-262144; "
                             "PRAGMA temp_store=MEMORY; PRAGMA threads=2"));
    file.exec(QStringLiteral("BEGIN IMMEDIATE"));

    SeedCounts counts;
    try {
        const std::uint64_t seed = options.seed;
        const std::int64_t total = options.subscribers;
        Subscriber subscriber;

        if (total > 0) {
            makeSubscriber(seed, 0, total, subscriber, Detail::Leading);
            Statement existing(file, QStringLiteral("SELECT 1 FROM cdata WHERE ID = ?"));
            existing.bindText(1, subscriber.id);
            if (existing.step())
                throw db::Error(QStringLiteral("%1 already holds the synthetic subscriber %2; "
                                               "seed a fresh file")
                                    .arg(path, QString::fromStdString(subscriber.id)));
        }

        const QStringList indexes = dropIndexes(file);

        Statement insertCdata(file, QStringLiteral("INSERT INTO cdata VALUES (?, ?, ?, ?, ?, ?, "
                                                   "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                                   "?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (std::int64_t i = 0; i < total; ++i) {
            makeSubscriber(seed, i, total, subscriber);
            insertSubscriber(insertCdata, subscriber);
        }
        counts.subscribers = total;

        Statement insertComplain(
            file, QStringLiteral("INSERT INTO complain (name, mobile, [issue date], description, "
                                 "status, [close date], ssa, fe, [fe mob], pending, address, "
                                 "[user id], circle, ap, ne, cat, srv) VALUES (?, ?, ?, ?, ?, ?, "
                                 "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        const std::int64_t complaints = options.complaints;
        // Identities grow with time, so complaint k is logged at its share of
        // the period; only the last twentieth may still be open.
        const std::int64_t openFrom = complaints - complaints / 20;
        const std::int64_t stride = total > 0 ? coprimeStride(total) : 1;
        std::int64_t opened = 0;
        Complaint complaint;
        for (std::int64_t j = 0; j < complaints; ++j) {
            Rng rng(seed, ComplaintStream, static_cast<std::uint64_t>(j));
            const std::int64_t slot = complaintSpan / complaints;
            const std::int64_t issue =
                (complaintStart + slot * j + static_cast<std::int64_t>(rng.below(slot + 1))) / 60 *
                60;
            const bool open = j >= openFrom && opened < total && rng.percent(40);
            std::int64_t who;
            if (open)
                who = (opened++ * stride) % total;
            else
                who = static_cast<std::int64_t>(rng.below(static_cast<std::uint64_t>(total)));
            makeSubscriber(seed, who, total, subscriber, Detail::Leading);
            makeComplaint(rng, issue, open, complaint);
            insertComplaint(insertComplain, complaint, subscriber, rng);
        }
        counts.complaints = complaints;

        // Inner VLAN pairs: a tenth of the subscribers, a thousand pairs per
        // OLT site, every other pair taken by a seeded subscriber.
        Statement insertOlt(file, QStringLiteral("INSERT INTO OLT (circle, SSA, SITE, SERVICE, "
                                                 "OUT_VLAN, IN_VLAN, ID, MAC, SN) VALUES (?, ?, "
                                                 "?, ?, ?, ?, ?, ?, ?)"));
        const std::int64_t pairs = total / 10;
        std::string site, outVlan, inVlan, mac, serial;
        for (std::int64_t r = 0; r < pairs; ++r) {
            Rng rng(seed, OltStream, static_cast<std::uint64_t>(r));
            const std::int64_t block = r / 1000;
            const Area& area = areas[static_cast<std::size_t>(block) % areas.size()];
            const char* service = area.mtnl ? "MTNL" : (block % 4 == 3 ? "AF" : "FTTH");
            put(outVlan, "%lld", static_cast<long long>(3000 + block));
            if (area.mtnl)
                put(site, "%s-SYN-%s", area.upperCode, outVlan.c_str());
            else
                put(site, "%s-SYN-%s-%lld", area.upperCode, service[0] == 'A' ? "AP" : "OLT",
                    static_cast<long long>(block / static_cast<std::int64_t>(areas.size()) + 1));
            put(inVlan, "%lld", static_cast<long long>(100 + r % 1000));
            put(serial, "%s%08llX", service[0] == 'A' ? "MTKR" : "ZTEG",
                static_cast<unsigned long long>(rng.below(0x100000000ull)));
            const bool taken = r % 2 == 0 && r / 2 < total;
            if (taken) {
                makeSubscriber(seed, r / 2, total, subscriber, Detail::Leading);
                const auto nic = static_cast<unsigned long long>(rng.below(1u << 24));
                put(mac, "A4:7B:2C:%02llX:%02llX:%02llX", nic >> 16, (nic >> 8) & 0xFF, nic & 0xFF);
            }
            insertOlt.bindText(1, area.circle);
            insertOlt.bindText(2, area.ssa);
            insertOlt.bindText(3, site);
            insertOlt.bindText(4, service);
            insertOlt.bindText(5, outVlan);
            insertOlt.bindText(6, inVlan);
            insertOlt.bindText(7, taken ? std::string_view(subscriber.id) : "NA");
            insertOlt.bindText(8, taken ? std::string_view(mac) : "NA");
            insertOlt.bindText(9, serial);
            insertOlt.run();
        }
        counts.innerVlanPairs = pairs;

        // Voice IPs: a twentieth of the subscribers, every third one taken.
        Statement insertVoip(file, QStringLiteral("INSERT INTO VOIP (CIRCLE, SERVICE, BNG, IP, "
                                                  "ID) VALUES (?, ?, ?, ?, ?)"));
        const std::int64_t voiceIps = total / 20;
        std::string bng, ip;
        for (std::int64_t r = 0; r < voiceIps; ++r) {
            const Area& area = areas[static_cast<std::size_t>(r / 250) % areas.size()];
            const std::int64_t subnet = r / 250;
            put(bng, "BNG-%s-%s-%02lld", area.circleCode, area.upperCode,
                static_cast<long long>(subnet / static_cast<std::int64_t>(areas.size()) % 4 + 1));
            put(ip, "10.%lld.%lld.%lld", static_cast<long long>(100 + subnet / 256),
                static_cast<long long>(subnet % 256), static_cast<long long>(r % 250 + 2));
            const bool taken = r % 3 == 0 && r / 3 < total;
            if (taken)
                makeSubscriber(seed, r / 3, total, subscriber, Detail::Leading);
            insertVoip.bindText(1, area.circle);
            insertVoip.bindText(2, r % 3 == 2 ? "BBOWIFI" : "FTTH");
            insertVoip.bindText(3, bng);
            insertVoip.bindText(4, ip);
            insertVoip.bindText(5, taken ? std::string_view(subscriber.id) : "NA");
            insertVoip.run();
        }
        counts.voiceIps = voiceIps;

        insertTickets(file, seed, options.tickets);
        counts.tickets = options.tickets;
        insertOutages(file, seed, options.outages);
        counts.outages = options.outages;

        for (const QString& definition : indexes)
            file.exec(definition);
        file.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            file.exec(QStringLiteral("ROLLBACK"));
        } catch (const db::Error&) {
            // Nothing was left to roll back.
        }
        throw;
    }
    return counts;
}

} // namespace admin
