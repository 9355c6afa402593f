// Huawei SmartAX (MA5600T/MA5608T/MA5800) command line: login, views,
// smart prompts, paging and the ONT commands the oltd driver uses.
#include "cli_session.h"

namespace oltemu {

namespace {

enum Mode : unsigned { User = 1, Priv = 2, Config = 4, Board = 8 };
constexpr unsigned Anywhere = Priv | Config | Board;

const std::string Dashes77 = "  " + std::string(77, '-');
const std::string Dashes78 = "  " + std::string(78, '-');
const std::string Dashes69 = "  " + std::string(69, '-');
const std::string Dashes63 = " " + std::string(63, '-');

std::string field(const std::string& label, size_t width, const std::string& value) {
    return "  " + pad(label, width) + ": " + value;
}

std::string fspText(const Onu& u) {
    return std::to_string(u.frame) + "/" + std::to_string(u.slot) + "/" + std::to_string(u.port);
}

std::string failure(const std::string& text) {
    return "  Failure: " + text;
}

std::string days(qint64 s) {
    return std::to_string(s / 86400) + " day(s), " + std::to_string(s / 3600 % 24) + " hour(s), " +
           std::to_string(s / 60 % 60) + " minute(s), " + std::to_string(s % 60) + " second(s)";
}

class HuaweiSession : public CliSession {
public:
    HuaweiSession(OltState& state, Faults& faults, Sink& sink, std::string accessType)
        : CliSession(state, faults, sink)
        , m_access(std::move(accessType)) {
        auto guard = m_state.lock();
        m_host = str(m_state.config.hostname);
        addSetup();
        addDisplays();
        addBoard();
    }

protected:
    Reply login() override {
        Reply r;
        askUser(r);
        return r;
    }

    Reply afterAuthentication() override {
        auto guard = m_state.lock();
        return welcome();
    }

    std::string prompt() const override {
        switch (m_mode) {
        case User:
            return m_host + ">";
        case Priv:
            return m_host + "#";
        case Config:
            return m_host + "(config)#";
        default:
            return m_host + "(config-if-gpon-" + std::to_string(m_board[0]) + "/" +
                   std::to_string(m_board[1]) + ")#";
        }
    }
    unsigned mode() const override { return m_mode; }
    std::string pagerMarker() const override { return "---- More ( Press 'Q' to break ) ----"; }
    std::string pagerErase() const override {
        return "\x1b[37D" + std::string(37, ' ') + "\x1b[37D";
    }

    Reply syntaxError(SyntaxError kind, int column) override {
        const char* what = kind == SyntaxError::Parameter    ? "Parameter error"
                           : kind == SyntaxError::Incomplete ? "Incomplete command"
                                                             : "Unknown command";
        return {{std::string(column, ' ') + "^",
                 std::string("  % ") + what + ", the error locates at '^'"}};
    }

private:
    void askUser(Reply& r) {
        r.question = ">>User name:";
        r.noFaults = true;
        r.answer = [this](const std::string& user) {
            Reply p;
            p.question = ">>User password:";
            p.hideAnswer = true;
            p.noFaults = true;
            p.answer = [this, user](const std::string& pw) { return checkLogin(user, pw); };
            return p;
        };
    }

    Reply checkLogin(const std::string& user, const std::string& password) {
        auto guard = m_state.lock();
        const OltConfig& c = m_state.config;
        if (!m_faults.wrongPassword && user == str(c.username) && password == str(c.password))
            return welcome();
        Reply r;
        r.noFaults = true;
        if (++m_failures >= 3) {
            r.lines = {"  Reenter times have reached the upper limit."};
            r.close = true;
            return r;
        }
        r.lines = {"  Username or password invalid.", ""};
        askUser(r);
        return r;
    }

    std::string hwTime(const QDateTime& t) const {
        return t.isValid() ? str(timeText(t) + m_state.config.utcOffset) : "-";
    }

    Reply welcome() {
        const QDateTime now = m_state.now();
        Reply r{{"", "  Huawei Integrated Access Software (" + str(m_state.config.model) + ").",
                 "  Copyright(C) Huawei Technologies Co., Ltd. 2002-" +
                     std::to_string(now.date().year()) + ". All rights reserved.",
                 "", Dashes77, "  User last login information:", Dashes77,
                 "  Access Type : " + m_access, "  IP-Address  : 127.0.0.1",
                 "  Login  Time : " + hwTime(now.addSecs(-7200)),
                 "  Logout Time : " + hwTime(now.addSecs(-6814)), Dashes77, ""}};
        r.noFaults = true;
        m_mode = User;
        const bool notice = m_state.config.yesNoNotice;
        if (m_state.config.passwordChange) {
            r.question = "The password needs to be changed. Change now? [Y/N]:";
            r.answer = [this, notice](const std::string&) {
                return notice ? yesNoNotice() : Reply{};
            };
        } else if (notice) {
            const Reply n = yesNoNotice();
            r.lines.insert(r.lines.end(), n.lines.begin(), n.lines.end());
            r.question = n.question;
            r.answer = n.answer;
        }
        return r;
    }

    // Some units make the user accept a notice before the first prompt; NO
    // ends the session.
    Reply yesNoNotice() {
        Reply r{{"  Notice: This device is for authorised operators only. All operations are",
                 "  logged and audited."}};
        r.noFaults = true;
        r.question = "  Do you accept and continue? [YES/NO]:";
        r.answer = [](const std::string& a) {
            Reply after;
            after.noFaults = true;
            if (QString::fromStdString(a).compare(QLatin1String("yes"), Qt::CaseInsensitive) != 0) {
                after.lines = {"", "  Configuration console exit, please retry to log on"};
                after.close = true;
            }
            return after;
        };
        return r;
    }

    Reply logout() {
        Reply r;
        r.question = "Check whether system data has been changed. Please save data before "
                     "logout. Are you sure to log out? (y/n)[n]:";
        r.answer = [](const std::string& a) {
            Reply bye;
            if (a == "y" || a == "Y") {
                bye.lines = {"", "  Configuration console exit, please retry to log on"};
                bye.close = true;
            }
            return bye;
        };
        return r;
    }

    void addSetup() {
        const auto silent = [this](std::vector<std::string> w, unsigned modes) {
            add(std::move(w), modes, [](const Args&) { return Reply{}; });
        };
        add({"enable"}, User, [this](const Args&) {
            m_mode = Priv;
            return Reply{};
        });
        add({"quit"}, User | Priv, [this](const Args&) { return logout(); });
        add({"disable"}, Priv, [this](const Args&) {
            m_mode = User;
            return Reply{};
        });
        add({"undo", "smart"}, Anywhere, [this](const Args&) {
            m_smart = false;
            return Reply{};
        });
        add({"smart"}, Anywhere, [this](const Args&) {
            m_smart = true;
            return Reply{};
        });
        silent({"undo", "interactive"}, Anywhere);
        silent({"interactive"}, Anywhere);
        silent({"infoswitch", "cli", "<word>"}, Anywhere);
        // The machine-friendly output mode; nothing printed here depends on it.
        silent({"mmi-mode", "enable"}, Config);
        silent({"undo", "mmi-mode", "enable"}, Config);
        add({"scroll"}, Anywhere, [this](const Args&) {
            m_pageLength = 0;
            return Reply{};
        });
        add({"scroll", "<int>"}, Anywhere, [this](const Args& a) {
            m_pageLength = a[0].num();
            return Reply{};
        });
        add({"config"}, Priv, [this](const Args&) {
            m_mode = Config;
            return Reply{};
        });
        add({"save"}, Anywhere, [](const Args&) {
            return Reply{{"  The data of the configuration file is being saved. Please wait a "
                          "moment...",
                          "  The data of configuration file has been saved successfully"}};
        });
        add({"interface", "gpon", "<fs>"}, Config | Board, [this](const Args& a) {
            m_board = a[0].numbers;
            m_mode = Board;
            return Reply{};
        });
        add({"quit"}, Config | Board, [this](const Args&) {
            m_mode = m_mode == Board ? Config : Priv;
            return Reply{};
        });
        add({"return"}, Config | Board, [this](const Args&) {
            m_mode = Priv;
            return Reply{};
        });
    }

    // A display command that locks the state while it reads.
    template <typename Fn> void display(std::vector<std::string> words, unsigned modes, Fn fn) {
        add(std::move(words), modes, [this, fn](const Args& a) {
            auto guard = m_state.lock();
            return fn(a);
        });
    }

    // An ONT command in board mode: «port» «ont» of the board's slot.
    template <typename Fn> void board(std::vector<std::string> words, Fn fn) {
        display(std::move(words), Board, [this, fn](const Args& a) {
            if (a[0].num() > 15)
                return paramError(a, 0);
            if (a[1].num() > 127)
                return paramError(a, 1);
            Onu* u = m_state.find(m_board[0], m_board[1], a[0].num(), a[1].num());
            if (!u)
                return Reply{{failure("The ONT does not exist")}};
            return fn(*u, a);
        });
    }

    // Smart mode stops at the optional parameters before running the command.
    Reply smart(const std::string& choices, std::function<Reply()> run) {
        if (!m_smart)
            return run();
        Reply r;
        r.question = "{ " + choices + " }:";
        const std::string line = m_line;
        r.answer = [this, line, run](const std::string&) {
            auto guard = m_state.lock();
            Reply out = run();
            out.lines.insert(out.lines.begin(), {"  Command:", "          " + line});
            return out;
        };
        return r;
    }

    void addDisplays() {
        display(
            {"display", "ont", "info", "<int>", "<int>", "<int>", "<int>"}, Anywhere,
            [this](const Args& a) { return ontInfo(a[0].num(), a[1].num(), a[2].num(), a, 3); });
        display({"display", "ont", "info", "<fsp>", "<int>"}, Anywhere, [this](const Args& a) {
            const auto& n = a[0].numbers;
            return ontInfo(n[0], n[1], n[2], a, 1);
        });
        display({"display", "ont", "info", "<int>", "<int>"}, Board, [this](const Args& a) {
            return ontInfo(m_board[0], m_board[1], a[0].num(), a, 1);
        });
        display({"display", "ont", "info", "<int>", "all"}, Priv | Config, [this](const Args& a) {
            return ontList([&](const Onu& u) { return u.frame == a[0].num(); });
        });
        display({"display", "ont", "info", "<int>", "<int>", "<int>", "all"}, Anywhere,
                [this](const Args& a) {
                    return ontList([&](const Onu& u) {
                        return u.frame == a[0].num() && u.slot == a[1].num() &&
                               u.port == a[2].num();
                    });
                });
        display({"display", "ont", "info", "<int>", "all"}, Board, [this](const Args& a) {
            return ontList([&](const Onu& u) {
                return u.frame == m_board[0] && u.slot == m_board[1] && u.port == a[0].num();
            });
        });
        display({"display", "ont", "autofind", "all"}, Anywhere,
                [this](const Args&) { return autofind([](const FoundOnu&) { return true; }); });
        display({"display", "ont", "autofind"}, Anywhere,
                [this](const Args&) { return autofind([](const FoundOnu&) { return true; }); });
        display({"display", "ont", "autofind", "<int>"}, Board, [this](const Args& a) {
            return autofind([&](const FoundOnu& f) {
                return f.frame == m_board[0] && f.slot == m_board[1] && f.port == a[0].num();
            });
        });
        display({"display", "mac-address", "all"}, Anywhere,
                [this](const Args&) { return macTable([](const Onu&, int) { return true; }); });
        display({"display", "mac-address", "vlan", "<int>"}, Anywhere, [this](const Args& a) {
            const int v = a[0].num();
            return macTable([v](const Onu&, int vlan) { return vlan == v; });
        });
        display({"display", "mac-address", "port", "<fsp>"}, Anywhere, [this](const Args& a) {
            const auto& n = a[0].numbers;
            return macTable([n](const Onu& u, int) {
                return u.frame == n[0] && u.slot == n[1] && u.port == n[2];
            });
        });
        display({"display", "vlan", "all"}, Anywhere, [this](const Args&) { return vlanList(); });
        display({"display", "vlan", "<int>"}, Anywhere,
                [this](const Args& a) { return vlanInfo(a[0].num()); });
        display({"display", "ont", "info", "by-sn", "<word>"}, Anywhere, [this](const Args& a) {
            QString sn = QString::fromStdString(a[0].text).toUpper();
            if (sn.size() == 16)
                sn = serialFromHex(sn);
            Onu* u = sn.size() == 12 ? m_state.findBySerial(sn) : nullptr;
            return u ? infoBlock(*u) : Reply{{failure("The ONT does not exist")}};
        });
        display({"display", "ont", "info", "summary", "<fsp>"}, Anywhere,
                [this](const Args& a) { return summary(a[0].numbers); });
        display({"display", "ont", "wan-info", "<fs>", "<int>", "<int>"}, Config,
                [this](const Args& a) {
                    const auto& n = a[0].numbers;
                    Onu* u = m_state.find(n[0], n[1], a[1].num(), a[2].num());
                    return u ? wanInfo(*u) : Reply{{failure("The ONT does not exist")}};
                });
        display({"display", "ont", "wlan-info", "<fsp>", "<int>"}, Config, [this](const Args& a) {
            const auto& n = a[0].numbers;
            Onu* u = m_state.find(n[0], n[1], n[2], a[1].num());
            return u ? wlanInfo(*u) : Reply{{failure("The ONT does not exist")}};
        });
        display({"display", "current-configuration", "ont", "<fsp>", "<int>"}, Anywhere,
                [this](const Args& a) {
                    const auto& n = a[0].numbers;
                    Onu* u = m_state.find(n[0], n[1], n[2], a[1].num());
                    return u ? currentConfig(*u) : Reply{{failure("The ONT does not exist")}};
                });
        display({"display", "service-port", "vlan", "<int>"}, Anywhere, [this](const Args& a) {
            const int v = a[0].num();
            return servicePorts([v](const Onu&, const ServicePort& sp) { return sp.vlan == v; });
        });
        display({"display", "service-port", "all"}, Anywhere, [this](const Args&) {
            return servicePorts([](const Onu&, const ServicePort&) { return true; });
        });
        display({"display", "service-port", "port", "<fsp>", "ont", "<int>"}, Anywhere,
                [this](const Args& a) {
                    const std::vector<int> n = a[0].numbers;
                    const int id = a[1].num();
                    return smart("<cr>|gemport<K>|sort-by<K>", [this, n, id] {
                        return servicePorts([n, id](const Onu& u, const ServicePort&) {
                            return u.frame == n[0] && u.slot == n[1] && u.port == n[2] &&
                                   u.id == id;
                        });
                    });
                });
        display({"display", "location", "<word>"}, Anywhere, [this](const Args& a) {
            return location(normalMac(QString::fromStdString(a[0].text)));
        });
        display({"display", "mac-address", "ont", "<fsp>", "<int>"}, Anywhere,
                [this](const Args& a) {
                    const auto& n = a[0].numbers;
                    Onu* u = m_state.find(n[0], n[1], n[2], a[1].num());
                    return u ? ontMacs(*u) : Reply{{failure("The ONT does not exist")}};
                });
        display({"display", "time"}, Anywhere,
                [this](const Args&) { return Reply{{"  " + hwTime(m_state.now())}}; });
        display({"undo", "service-port", "port", "<fsp>", "ont", "<int>"}, Config,
                [this](const Args& a) {
                    const std::vector<int> n = a[0].numbers;
                    const int id = a[1].num();
                    return smart("<cr>|gemport<K>",
                                 [this, n, id] { return undoServicePorts(n, id); });
                });
        display({"undo", "service-port", "<int>"}, Config, [this](const Args& a) {
            for (Onu& u : m_state.onus)
                for (qsizetype i = 0; i < u.servicePorts.size(); ++i)
                    if (u.servicePorts[i].index == a[0].num()) {
                        u.servicePorts.removeAt(i);
                        return Reply{};
                    }
            return Reply{{failure("No service virtual port can be operated")}};
        });
    }

    // "0/ 1/2": the slot right-aligned in two, as the ONT lists print it.
    static std::string listFsp(int frame, int slot, int port) {
        return std::to_string(frame) + "/" + rpad(std::to_string(slot), 2) + "/" +
               std::to_string(port);
    }

    std::string portTotals(const std::string& port, int total, int online) const {
        const std::string n = std::to_string(total), on = std::to_string(online);
        if (m_state.config.newSummaryHeader)
            return "  In port " + port + ", the total number of ONTs are: " + n +
                   ", online: " + on + ", offline: " + std::to_string(total - online);
        return "  In port " + port + ", the total of ONTs are: " + n + ", online: " + on;
    }

    // The ONT lists: per port a state table, a description table and the
    // port's totals.
    template <typename Pred> Reply ontList(Pred want) {
        QList<QList<Onu*>> ports;
        for (Onu* u : m_state.all()) {
            if (!want(*u))
                continue;
            const Onu* last = ports.isEmpty() ? nullptr : ports.last().first();
            if (!last || last->frame != u->frame || last->slot != u->slot || last->port != u->port)
                ports.append(QList<Onu*>());
            ports.last().append(u);
        }
        if (ports.isEmpty())
            return {{failure("There is no ONT available")}};
        Reply r;
        for (const QList<Onu*>& list : ports) {
            const Onu& first = *list.first();
            const std::string fsp = listFsp(first.frame, first.slot, first.port);
            r.lines.insert(r.lines.end(),
                           {Dashes77,
                            "  F/S/P   ONT  SN                Control     Run      Config   "
                            "Match    Protect",
                            "          ID                     flag        state    state    "
                            "state    side",
                            Dashes77});
            int online = 0;
            for (Onu* u : list) {
                const bool up = m_state.isOnline(*u);
                online += up;
                r.lines.push_back("  " + pad(fsp, 8) + rpad(std::to_string(u->id), 3) + "  " +
                                  pad(str(serialHex(u->serial)), 18) + pad("active", 12) +
                                  pad(up ? "online" : "offline", 9) +
                                  pad(up ? "normal" : "initial", 9) +
                                  pad(up ? "match" : "initial", 9) + "no");
            }
            r.lines.insert(r.lines.end(),
                           {Dashes77, "  F/S/P   ONT  Description", "          ID", Dashes77});
            for (Onu* u : list)
                r.lines.push_back("  " + pad(fsp, 8) + rpad(std::to_string(u->id), 3) + "  " +
                                  str(u->description));
            r.lines.insert(r.lines.end(),
                           {Dashes77, portTotals(fsp + " ", list.size(), online), Dashes77});
        }
        return r;
    }

    template <typename Pred> Reply autofind(Pred want) {
        const std::string dashes = "  " + std::string(76, '-');
        const auto f = [](const std::string& label, const std::string& value) {
            return field(label, 20, value);
        };
        Reply r;
        int n = 0;
        for (const FoundOnu& o : m_state.found) {
            if (!want(o))
                continue;
            r.lines.insert(
                r.lines.end(),
                {dashes, f("Number", std::to_string(++n)),
                 f("F/S/P", std::to_string(o.frame) + "/" + std::to_string(o.slot) + "/" +
                                std::to_string(o.port)),
                 f("Ont SN", str(serialHex(o.serial) + QStringLiteral(" (") + o.serial.left(4) +
                                 QLatin1Char('-') + o.serial.mid(4) + QLatin1Char(')'))),
                 f("Password", "0x00000000000000000000"), f("Loid", ""), f("Checkcode", ""),
                 f("VendorID", str(o.serial.left(4))), f("Ont Version", str(o.hardware)),
                 f("Ont SoftwareVersion", str(o.software)), f("Ont EquipmentID", str(o.type)),
                 f("Ont autofind time", hwTime(o.found))});
        }
        if (n == 0)
            return {{failure("The automatically found ONTs do not exist")}};
        r.lines.insert(r.lines.end(),
                       {dashes, "  The number of GPON autofind ONT is " + std::to_string(n)});
        return r;
    }

    // The service port a MAC was learned on: the ONT's one for that VLAN.
    static std::string servicePortOf(const Onu& u, int vlan) {
        for (const ServicePort& sp : u.servicePorts)
            if (sp.vlan == vlan)
                return std::to_string(sp.index);
        return u.servicePorts.isEmpty() ? "-" : std::to_string(u.servicePorts.first().index);
    }

    template <typename Pred> Reply macTable(Pred want) {
        const std::string dashes = "  " + std::string(73, '-');
        Reply r{{"  It will take some time, please wait...", dashes,
                 "  SRV-P BUNDLE TYPE MAC            MAC TYPE F /S /P  VPI  VCI   VLAN ID",
                 "  INDEX INDEX", dashes}};
        int total = 0;
        eachMac([&](const Onu& u, const QString& m, int vlan) {
            if (!want(u, vlan))
                return;
            const std::string fsp = std::to_string(u.frame) + " /" +
                                    pad(std::to_string(u.slot), 2) + "/" + std::to_string(u.port);
            r.lines.push_back("  " + rpad(servicePortOf(u, vlan), 5) + " " + pad("-", 7) +
                              pad("gpon", 5) + pad(str(dashedMac(m, false)), 15) +
                              pad("dynamic", 9) + pad(fsp, 9) + pad(std::to_string(u.id), 5) +
                              pad("1", 6) + std::to_string(vlan));
            ++total;
        });
        if (total == 0)
            return {{failure("There is not any MAC address record")}};
        r.lines.insert(r.lines.end(),
                       {dashes, "  Total: " + std::to_string(total),
                        "  Note: F--Frame, S--Slot, P--Port,",
                        "        VPI indicates ONT ID for PON, VCI indicates GEM index for GPON,",
                        "        v/e--vlan/encap, pri-tag--priority-tagged,",
                        "        ppp--pppoe, ip--ipoe, ip4--ipv4oe, ip6--ipv6oe"});
        return r;
    }

    // VLAN -> its service ports; the OLT's VLANs are those service ports use.
    QMap<int, QList<std::pair<Onu*, ServicePort>>> vlans() {
        QMap<int, QList<std::pair<Onu*, ServicePort>>> map;
        for (Onu* u : m_state.all())
            for (const ServicePort& sp : u->servicePorts)
                map[sp.vlan].append({u, sp});
        return map;
    }

    Reply vlanList() {
        const auto map = vlans();
        if (map.isEmpty())
            return {{failure("The VLAN does not exist")}};
        Reply r{{Dashes77, "  VLAN   Type    Attribute  STND-Port NUM  SERV-Port NUM  VLAN-Con NUM",
                 Dashes77}};
        for (auto it = map.begin(); it != map.end(); ++it)
            r.lines.push_back("  " + pad(std::to_string(it.key()), 7) + pad("smart", 8) +
                              pad("common", 11) + rpad("1", 13) + "  " +
                              rpad(std::to_string(it.value().size()), 13) + "  " + rpad("-", 12));
        r.lines.insert(r.lines.end(), {Dashes77, "  Total: " + std::to_string(map.size()),
                                       "  Note : STND-Port--standard port, SERV-Port--service "
                                       "virtual port,",
                                       "         VLAN-Con--vlan-connect"});
        return r;
    }

    Reply vlanInfo(int vlan) {
        const auto list = vlans().value(vlan);
        if (list.isEmpty())
            return {{failure("The VLAN does not exist")}};
        const std::string v = std::to_string(vlan);
        Reply r{{"  VLAN ID: " + v, "  VLAN name: VLAN_" + v, "  VLAN type: smart",
                 "  VLAN attribute: common", "  VLAN description: ", "  Standard port number: 1",
                 "  Service virtual port number: " + std::to_string(list.size()), Dashes77,
                 "  INDEX    TYPE  STATE  F/ S/ P  VPI   VCI   FLOWTYPE  FLOWPARA", Dashes77}};
        for (const auto& [u, sp] : list) {
            const std::string fsp = std::to_string(u->frame) + "/" +
                                    pad(std::to_string(u->slot), 2) + "/" + std::to_string(u->port);
            r.lines.push_back("  " + rpad(std::to_string(sp.index), 5) + "    " + pad("gpon", 6) +
                              pad(m_state.isOnline(*u) ? "up" : "down", 7) + pad(fsp, 9) +
                              pad(std::to_string(u->id), 6) + pad(std::to_string(sp.gem), 6) +
                              pad("vlan", 10) + std::to_string(sp.userVlan));
        }
        r.lines.insert(r.lines.end(),
                       {Dashes77, "  Note : F--Frame, S--Slot, P--Port,",
                        "         VPI indicates ONT ID for PON, VCI indicates GEM index for GPON"});
        return r;
    }

    Reply ontInfo(int frame, int slot, int port, const Args& a, size_t idArg) {
        if (a[idArg].num() > 127)
            return paramError(a, idArg);
        Onu* u = m_state.find(frame, slot, port, a[idArg].num());
        return u ? infoBlock(*u) : Reply{{failure("The ONT does not exist")}};
    }

    Reply infoBlock(Onu& u) {
        const bool up = m_state.isOnline(u);
        const auto f = [](const std::string& label, const std::string& value) {
            return field(label, 24, value);
        };
        const std::string dash = "-";
        const bool old = m_state.config.olderRelease; // no units after the numbers
        Reply r{{Dashes77, f("F/S/P", fspText(u)), f("ONT-ID", std::to_string(u.id)),
                 f("Control flag", "active"), f("Run state", up ? "online" : "offline"),
                 f("Config state", up ? "normal" : "initial"),
                 f("Match state", up ? "match" : "initial"), f("DBA type", up ? "SR" : dash),
                 f("ONT distance(m)", up ? std::to_string(u.distance) : dash),
                 f("ONT battery state", "not support"),
                 f("Memory occupation", up ? (old ? "41" : "41%") : dash),
                 f("CPU occupation", up ? "3%" : dash),
                 f("Temperature", up ? fixed(u.temperature, 0) + (old ? "" : "(C)") : dash),
                 f("Authentic type", "SN-auth"),
                 f("SN", str(serialHex(u.serial) + QStringLiteral(" (") + u.serial.left(4) +
                             QLatin1Char('-') + u.serial.mid(4) + QLatin1Char(')'))),
                 f("Management mode", "OMCI"), f("Software work mode", "normal"),
                 f("Isolation state", "normal"), f("ONT IP 0 address/mask", dash)}};
        // A long description goes on under the value column.
        const std::string desc = str(u.description);
        r.lines.push_back(f("Description", desc.substr(0, 51)));
        for (size_t at = 51; at < desc.size(); at += 51)
            r.lines.push_back(std::string(28, ' ') + desc.substr(at, 51));
        const bool gasp = u.lastCause == QLatin1String("dying-gasp");
        r.lines.insert(r.lines.end(),
                       {f("Last down cause", u.lastCause.isEmpty() ? dash : str(u.lastCause)),
                        f("Last up time", hwTime(u.upSince)),
                        f("Last down time", hwTime(u.lastDown)),
                        f("Last dying gasp time", gasp ? hwTime(u.lastDown) : dash),
                        f("ONT online duration", up ? days(m_state.uptimeSeconds(u)) : dash)});
        // An MA5800 also tells how long the ONT's system has run.
        if (m_state.config.model.startsWith(QLatin1String("MA5800")))
            r.lines.push_back(
                f("ONT system up duration", up ? days(m_state.uptimeSeconds(u)) : dash));
        r.lines.insert(r.lines.end(),
                       {f("Type C support", "Not support"), f("Interoperability-mode", "ITU-T"),
                        f("Power reduction status", "-"),
                        f("FEC upstream state", "use-profile-config"), Dashes77,
                        f("Line profile ID", "10"), f("Line profile name", "line-hsi"),
                        f("Tr069 management", u.acsOnly ? "Enable" : "Disable"), Dashes77});
        return r;
    }

    Reply summary(const std::vector<int>& n) {
        const auto list = m_state.onPort(n[0], n[1], n[2]);
        if (list.isEmpty())
            return {{failure("There is no ONT available")}};
        int online = 0;
        for (Onu* u : list)
            online += m_state.isOnline(*u);
        const std::string port =
            std::to_string(n[0]) + "/" + std::to_string(n[1]) + "/" + std::to_string(n[2]);
        Reply r{{Dashes78, portTotals(port, list.size(), online), Dashes78,
                 "  ONT  Run     Last                Last                Last",
                 "  ID   State   UpTime              DownTime            DownCause", Dashes78}};
        const auto t = [](const QDateTime& d) {
            return d.isValid() ? str(timeText(d)) : std::string("-");
        };
        for (Onu* u : list) {
            const bool up = m_state.isOnline(*u);
            const std::string row = "  " + pad(std::to_string(u->id), 5) +
                                    pad(up ? "online" : "offline", 8) + pad(t(u->upSince), 20) +
                                    pad(t(u->lastDown), 20) +
                                    (u->lastCause.isEmpty() ? "-" : str(u->lastCause));
            r.lines.push_back(row.substr(0, 80));
        }
        r.lines.insert(r.lines.end(),
                       {Dashes78,
                        "  ONT        SN        Type          Distance Rx/Tx power  Description",
                        "  ID                                    (m)      (dBm)", Dashes78});
        for (Onu* u : list) {
            const bool up = m_state.isOnline(*u);
            r.lines.push_back("  " + pad(std::to_string(u->id), 4) +
                              pad(str(serialHex(u->serial)), 17) + pad(str(u->type), 17) +
                              pad(up ? std::to_string(u->distance) : "-", 6) +
                              pad(up ? fixed(u->rx, 2) + "/" + fixed(u->tx, 2) : "-/-", 13) +
                              str(u->description));
        }
        r.lines.push_back(Dashes78);
        return r;
    }

    Reply wanInfo(Onu& u) {
        if (!m_state.isOnline(u))
            return {{failure("The ONT is not online")}};
        const auto f = [](const std::string& label, const std::string& value) {
            return field(label, 27, value);
        };
        Reply r{{Dashes69, f("F/S/P", fspText(u)), f("ONT ID", std::to_string(u.id)), Dashes69}};
        if (u.acsOnly)
            return r; // the WAN is the ACS's: OMCI knows none
        const Wan& w = u.wan;
        const bool bridged = w.mode.compare(QLatin1String("Bridge"), Qt::CaseInsensitive) == 0;
        const bool pppoe = w.mode.compare(QLatin1String("PPPoE"), Qt::CaseInsensitive) == 0;
        const bool old = m_state.config.olderRelease;
        const auto v = [bridged](const QString& s) { return bridged ? std::string("-") : str(s); };
        r.lines.insert(
            r.lines.end(),
            {f("Index", "1"),
             f("Name", std::string(bridged ? "1_INTERNET_B_VID_" : "1_INTERNET_R_VID_") +
                           std::to_string(w.vlan)),
             f("Service type", "Internet"),
             f("Connection type", bridged ? "IP bridged" : "IP routed"),
             f(old ? "Connection status" : "IPv4 Connection status", bridged ? "-" : "Connected"),
             f(old ? "IP access type" : "IPv4 access type", bridged ? "-"
                                                            : pppoe ? "PPPoE"
                                                                    : "DHCP"),
             f(old ? "IP" : "IPv4 address", v(w.ip)), f("Subnet mask", v(w.mask)),
             f("Default gateway", v(w.gateway)), f("Manage VLAN", std::to_string(w.vlan)),
             f("Manage priority", "0"), f("Option60", "Disable"), f("IPv4 Primary DNS", v(w.dns1)),
             f("IPv4 Secondary DNS", v(w.dns2)),
             f("MAC address",
               bridged || w.mac.isEmpty() ? "--------------" : str(dashedMac(w.mac, true))),
             f("L2 encap-type", pppoe ? "PPPoE" : "IPoE"), Dashes69});
        return r;
    }

    Reply wlanInfo(Onu& u) {
        if (!m_state.isOnline(u))
            return {{failure("The ONT is not online")}};
        const auto f = [](const std::string& label, const std::string& value) {
            return field(label, 25, value);
        };
        const std::string dashes = "  " + std::string(78, '-');
        Reply r{{dashes, f("F/S/P", fspText(u)), f("ONT ID", std::to_string(u.id)),
                 f("The total number of SSID", std::to_string(u.wifi.size()))}};
        for (const Ssid& s : u.wifi)
            r.lines.insert(r.lines.end(),
                           {dashes, f("SSID Index", std::to_string(s.index)),
                            f("SSID", str(s.name)), f("Wireless Standard", str(s.standard)),
                            f("Administrative state", s.enabled ? "enable" : "disable"),
                            f("Operational state", s.enabled ? "up" : "down"),
                            f("Maximum associate number", "32"),
                            f("Current associate number", std::to_string(s.clients))});
        r.lines.push_back(dashes);
        return r;
    }

    Reply currentConfig(const Onu& u) {
        const std::string board = std::to_string(u.frame) + "/" + std::to_string(u.slot);
        const std::string ont = std::to_string(u.port) + " " + std::to_string(u.id);
        Reply r{{"#", "[gpon]", "  <gpon-" + board + ">", " interface gpon " + board}};
        const Wan& w = u.wan;
        const std::string vlan = " vlan " + std::to_string(w.vlan) + " priority 0";
        if (w.mode.compare(QLatin1String("PPPoE"), Qt::CaseInsensitive) == 0)
            r.lines.push_back(" ont ipconfig " + ont + " ip-index 0 pppoe" + vlan +
                              " user-account username " + str(w.user) + " password " +
                              str(w.password));
        else if (w.mode.compare(QLatin1String("DHCP"), Qt::CaseInsensitive) == 0)
            r.lines.push_back(" ont ipconfig " + ont + " ip-index 0 dhcp" + vlan);
        if (w.vlan)
            r.lines.push_back(" ont internet-config " + ont + " ip-index 0");
        const Voip& v = u.voip;
        if (!v.username.isEmpty()) {
            r.lines.push_back(" if-sip add " + ont + " 1 sipagent-profile profile-id " +
                              std::to_string(v.sipProfileId));
            r.lines.push_back(" sippstnuser add " + ont + " 1 mgid 1 username " + str(v.username) +
                              " password " + str(v.password) + " telno " + str(v.telno));
        }
        r.lines.insert(r.lines.end(), {"#", "return"});
        return r;
    }

    template <typename Pred> Reply servicePorts(Pred want) {
        Reply r{{"  Switch-Oriented Flow List", Dashes77,
                 "   INDEX VLAN VLAN     PORT F/ S/ P VPI  VCI   FLOW  FLOW       RX   TX   STATE",
                 "         ID   ATTR     TYPE                    TYPE  PARA", Dashes77}};
        int total = 0, up = 0;
        for (Onu* u : m_state.all())
            for (const ServicePort& sp : u->servicePorts) {
                if (!want(*u, sp))
                    continue;
                const bool online = m_state.isOnline(*u);
                char row[160];
                std::snprintf(row, sizeof row,
                              "%8d %-4d %-8s %-4s %d/%-2d/%-2d %-4d %-5d %-5s %-10d %-4d %-4d %s",
                              sp.index, sp.vlan, "common", "gpon", u->frame, u->slot, u->port,
                              u->id, sp.gem, "vlan", sp.userVlan, 8, 8, online ? "up" : "down");
                r.lines.push_back(row);
                ++total;
                up += online;
            }
        if (total == 0)
            return {{failure("No service virtual port can be operated")}};
        char totals[80];
        std::snprintf(totals, sizeof totals, "   Total : %d  (Up/Down : %4d/%d)", total, up,
                      total - up);
        r.lines.insert(r.lines.end(),
                       {Dashes77, totals, "   Note : F--Frame, S--Slot, P--Port,",
                        "          VPI indicates ONT ID for PON, VCI indicates GEM index for GPON,",
                        "          v/e--vlan/encap, pri-tag--priority-tagged,",
                        "          ppp--pppoe, ip--ipoe, ip4--ipv4oe, ip6--ipv6oe",
                        "          ont, the index of ONT, ont-port, the index of ONT port"});
        return r;
    }

    Reply undoServicePorts(const std::vector<int>& n, int id) {
        Onu* u = m_state.find(n[0], n[1], n[2], id);
        if (!u || u->servicePorts.isEmpty())
            return {{failure("No service virtual port can be operated")}};
        Reply r{{"  Warning: The operation will delete multiple or all service ports and cause "
                 "interruptions of many user services."}};
        r.question = "  Are you sure to release service virtual port(s)? (y/n)[n]:";
        r.answer = [this, n, id](const std::string& a) -> Reply {
            if (a != "y" && a != "Y")
                return {};
            auto guard = m_state.lock();
            Onu* o = m_state.find(n[0], n[1], n[2], id);
            const std::string count = std::to_string(o ? o->servicePorts.size() : 0);
            if (o)
                o->servicePorts.clear();
            return {{"  The number of total service virtual port in this",
                     "  operation:       " + count, "  Deleting start...", "",
                     "  Deleting end:", "  The number of total service virtual port which need be",
                     "  deleted:   " + count,
                     "  The number of total service virtual port which have been",
                     "  deleted: " + count, ""}};
        };
        return r;
    }

    // Where the OLT learned a MAC: online ONTs' WAN MACs and what is behind them.
    template <typename Fn> void eachMac(Fn fn) {
        for (Onu* u : m_state.all()) {
            if (!m_state.isOnline(*u))
                continue;
            if (!u->wan.mac.isEmpty())
                fn(*u, u->wan.mac, u->wan.vlan);
            for (const MacEntry& m : u->macs)
                fn(*u, m.mac, m.vlan);
        }
    }

    Reply location(const QString& mac) {
        const std::string dashes = "  " + std::string(70, '-');
        Reply r{{"  It will take several minutes, please wait or press CTRL_C to break", dashes,
                 "  MAC             MAC TYPE  F/S/P    ONT ID  Port ID  Port Type  VLAN", dashes}};
        eachMac([&](const Onu& u, const QString& m, int vlan) {
            if (m != mac)
                return;
            char row[160];
            std::snprintf(row, sizeof row, "  %-16s%-10s%-9s%6d  %7d  %-11s%d",
                          str(dashedMac(m, false)).c_str(), "DYNAMIC",
                          (std::to_string(u.frame) + "/" + rpad(std::to_string(u.slot), 2) + "/" +
                           std::to_string(u.port))
                              .c_str(),
                          u.id, 1, "ETH", vlan);
            r.lines.push_back(row);
        });
        r.lines.push_back(dashes);
        return r;
    }

    Reply ontMacs(Onu& want) {
        Reply r{{Dashes63, " F/S/P   ONTID    ONT        ONT       MAC-ADDRESS        VLAN",
                 "                   port-type  port-ID", Dashes63}};
        int total = 0;
        eachMac([&](const Onu& u, const QString& m, int vlan) {
            if (&u != &want)
                return;
            char row[160];
            std::snprintf(row, sizeof row, " %d/%2d/%d%7d    %-3s%15d   %-14s%9d", u.frame, u.slot,
                          u.port, u.id, "ETH", 1, str(dashedMac(m, false)).c_str(), vlan);
            r.lines.push_back(row);
            ++total;
        });
        r.lines.insert(r.lines.end(), {Dashes63, " Total: " + std::to_string(total)});
        return r;
    }

    Reply confirmThen(const std::string& question, std::function<Reply(Onu&)> action, Onu& u) {
        const std::vector<int> where = {u.frame, u.slot, u.port, u.id};
        Reply r;
        r.question = question;
        r.answer = [this, where, action](const std::string& a) -> Reply {
            if (a != "y" && a != "Y")
                return {};
            auto guard = m_state.lock();
            Onu* o = m_state.find(where[0], where[1], where[2], where[3]);
            if (!o)
                return {{failure("The ONT does not exist"), ""}};
            if (!m_state.isOnline(*o))
                return {{failure("The ONT is not online"), ""}};
            return action(*o);
        };
        return r;
    }

    void addBoard() {
        board({"display", "ont", "optical-info", "<int>", "<int>"},
              [this](Onu& u, const Args&) { return opticalInfo(u); });
        display({"display", "ont", "optical-info", "<int>", "all"}, Board,
                [this](const Args& a) { return opticalAll(a[0].num()); });
        board({"display", "ont", "wan-info", "<int>", "<int>"},
              [this](Onu& u, const Args&) { return wanInfo(u); });
        board({"display", "ont", "wlan-info", "<int>", "<int>"},
              [this](Onu& u, const Args&) { return wlanInfo(u); });
        board({"display", "statistics", "ont-eth", "<int>", "<int>", "ont-port", "<int>"},
              [this](Onu& u, const Args&) { return statistics(u); });
        board({"ont", "reset", "<int>", "<int>"}, [this](Onu& u, const Args&) {
            return confirmThen(
                "  Are you sure to reset the ONT(s)? (y/n)[n]:",
                [this](Onu& o) {
                    m_state.reboot(o, QStringLiteral("ONT is reset by ONT command"));
                    return Reply{{""}};
                },
                u);
        });
        board({"ont", "factory-setting-restore", "<int>", "<int>"}, [this](Onu& u, const Args&) {
            if (!u.serial.startsWith(QLatin1String("HWTC")))
                return Reply{{failure("The ONT can not support this operation")}};
            return confirmThen(
                "  Are you sure to restore the factory settings of the ONT? (y/n)[n]:",
                [this](Onu& o) {
                    m_state.reboot(o, QStringLiteral("ONT is reset by ONT command"));
                    return Reply{{""}};
                },
                u);
        });
        board({"ont", "delete", "<int>", "<int>"}, [this](Onu& u, const Args&) -> Reply {
            if (!u.servicePorts.isEmpty())
                return {{failure("This configured object has some service virtual"), "  ports"}};
            m_state.remove(u.frame, u.slot, u.port, u.id);
            return {{"  Number of ONTs that can be deleted: 1, success: 1"}};
        });
        board({"ont", "ipconfig", "<int>", "<int>", "ip-index", "<int>", "pppoe", "vlan", "<int>",
               "priority", "<int>", "user-account", "username", "<word>", "password", "<word>"},
              [this](Onu& u, const Args& a) {
                  return setWan(u, QStringLiteral("PPPoE"), a[3].num(), a[5].text, a[6].text);
              });
        board({"ont", "ipconfig", "<int>", "<int>", "ip-index", "<int>", "dhcp", "vlan", "<int>",
               "priority", "<int>"},
              [this](Onu& u, const Args& a) {
                  return setWan(u, QStringLiteral("DHCP"), a[3].num(), {}, {});
              });
        board({"ont", "internet-config", "<int>", "<int>", "ip-index", "<int>"},
              [](Onu&, const Args&) { return Reply{}; });
        board(
            {"if-sip", "add", "<int>", "<int>", "<int>", "sipagent-profile", "profile-id", "<int>"},
            [](Onu& u, const Args& a) {
                u.voip.sipProfileId = a[3].num();
                return Reply{};
            });
        board({"sippstnuser", "add", "<int>", "<int>", "<int>", "mgid", "<int>", "username",
               "<word>", "password", "<word>", "telno", "<word>"},
              [](Onu& u, const Args& a) -> Reply {
                  if (!u.voip.username.isEmpty())
                      return {{failure("Make configuration repeatedly")}};
                  u.voip.username = u.voip.userid = QString::fromStdString(a[4].text);
                  u.voip.password = QString::fromStdString(a[5].text);
                  u.voip.telno = QString::fromStdString(a[6].text);
                  return {};
              });
        board({"undo", "sippstnuser", "<int>", "<int>", "<int>"}, [](Onu& u, const Args&) {
            u.voip.username.clear();
            u.voip.userid.clear();
            u.voip.password.clear();
            u.voip.telno.clear();
            return Reply{};
        });
    }

    Reply setWan(Onu& u, const QString& mode, int vlan, const std::string& user,
                 const std::string& password) {
        if (u.acsOnly)
            return {}; // taken by the OLT, ignored by an ONT the ACS manages
        u.wan.mode = mode;
        u.wan.vlan = vlan;
        u.wan.user = QString::fromStdString(user);
        u.wan.password = QString::fromStdString(password);
        return {};
    }

    Reply opticalInfo(Onu& u) {
        if (!m_state.isOnline(u))
            return {{failure("The ONT is not online")}};
        const auto f = [](const std::string& label, const std::string& value) {
            return field(label, 39, value);
        };
        Reply r{{Dashes77, f("ONU NNI port ID", "0"), f("Module type", "GPON"),
                 f("Module sub-type", "CLASS B+"), f("Used type", "ONU"),
                 f("Encapsulation Type", "BOSA ON BOARD"),
                 f("Rx optical power(dBm)", fixed(u.rx, 2)),
                 f("Rx power current warning threshold(dBm)", "[-,-]"),
                 f("Rx power current alarm threshold(dBm)", "[-29.0,-7.0]"),
                 f("Tx optical power(dBm)", fixed(u.tx, 2)),
                 f("Tx power current warning threshold(dBm)", "[-,-]"),
                 f("Tx power current alarm threshold(dBm)", "[0.0,5.0]"),
                 f("Laser bias current(mA)", fixed(u.bias, 0)),
                 f("Temperature(C)", fixed(u.temperature, 0)), f("Voltage(V)", fixed(u.voltage, 3)),
                 f("OLT Rx ONT optical power(dBm)", fixed(u.oltRx, 2)),
                 f("CATV Rx optical power(dBm)", "-"), Dashes77}};
        // Older releases start at the receive power.
        if (m_state.config.olderRelease)
            r.lines.erase(r.lines.begin() + 1, r.lines.begin() + 6);
        return r;
    }

    Reply opticalAll(int port) {
        Reply r{{"  ONT  Rx power  Tx power  OLT Rx ONT  Temperature  Voltage  Current  Distance",
                 "  ID   (dBm)     (dBm)     power(dBm)  (C)          (V)      (mA)     (m)"}};
        for (Onu* u : m_state.onPort(m_board[0], m_board[1], port))
            if (m_state.isOnline(*u))
                r.lines.push_back(rpad(std::to_string(u->id), 5) + "  " + pad(fixed(u->rx, 2), 10) +
                                  pad(fixed(u->tx, 2), 10) + pad(fixed(u->oltRx, 2), 12) +
                                  pad(fixed(u->temperature, 0), 13) + pad(fixed(u->voltage, 3), 9) +
                                  pad(fixed(u->bias, 0), 9) + std::to_string(u->distance));
        return r;
    }

    Reply statistics(Onu& u) {
        if (!m_state.isOnline(u))
            return {{failure("The ONT is not online")}};
        const auto f = [](const std::string& label, qint64 v) {
            return "  " + pad(label, 36) + ":" + rpad(std::to_string(v), 19);
        };
        const qint64 in = m_state.inBytes(u), out = m_state.outBytes(u);
        const qint64 inPk = u.inPackets + (in - u.inBytes) / 560;
        const qint64 outPk = u.outPackets + (out - u.outBytes) / 560;
        return {{f("Received frames", inPk), f("Received bytes", in),
                 f("Received broadcast frames", 0), f("Received multicast frames", 0),
                 f("Sent frames", outPk), f("Sent bytes", out), f("Sent broadcast frames", 0),
                 f("Sent multicast frames", 0)}};
    }

    std::string m_access;
    std::string m_host;
    unsigned m_mode = User;
    bool m_smart = true;
    int m_failures = 0;
    std::vector<int> m_board = {0, 0};
};

} // namespace

std::unique_ptr<CliSession> makeHuaweiSession(OltState& state, Faults& faults, Sink& sink,
                                              const std::string& accessType) {
    return std::make_unique<HuaweiSession>(state, faults, sink, accessType);
}

} // namespace oltemu
