// ZTE ZXAN (C300/C320, and C600 when the model says so) command line: login,
// modes, paging and the ONU commands the oltd driver uses, printed the way
// the device prints them.
#include "cli_session.h"

#include <QLocale>

#include <set>

namespace oltemu {

namespace {

enum Mode : unsigned {
    UserExec = 1,
    Exec = 2,
    Config = 4,
    IfOlt = 8,
    IfOnu = 16,
    Mng = 32,
    Gpon = 64,
};
constexpr unsigned Privileged = Exec | Config | IfOlt | IfOnu | Mng | Gpon;

const std::string NoInfo = "No related information to show.";
const std::string NoOnu = "The ONU does not exist.";
const std::string Zero = "0000-00-00 00:00:00";

// Labels of detail-info run to column 23; a longer label runs into its value.
std::string detail(const std::string& label, const std::string& value) {
    return pad(label, 23) + value;
}

// The wan-ip block pads labels to 16 and puts one blank after a longer one,
// but none after a label of exactly 16 ("Current gateway:").
std::string wanLine(const std::string& label, const std::string& value) {
    if (label.size() < 16)
        return pad(label, 16) + value;
    return label + (label.size() == 16 ? "" : " ") + value;
}

std::string dbm(double v) {
    return fixed(v, 3) + "(dbm)";
}

std::string duration(qint64 s) {
    return std::to_string(s / 3600) + "h " + std::to_string(s / 60 % 60) + "m " +
           std::to_string(s % 60) + "s";
}

std::string macRow(const QString& mac, int vlan, const std::string& port, const std::string& vc) {
    return pad(str(dottedMac(mac)), 17) + pad(std::to_string(vlan), 7) + pad("Dynamic", 10) +
           pad(port, 26) + vc;
}

class ZteSession : public CliSession {
public:
    ZteSession(OltState& state, Faults& faults, Sink& sink)
        : CliSession(state, faults, sink) {
        {
            auto guard = m_state.lock();
            m_c600 = m_state.config.model.startsWith(QLatin1String("C6"));
            m_older = m_state.config.olderRelease;
            m_gponCode = std::to_string(m_state.config.gponCode);
        }
        if (m_c600)
            m_naming = {"gpon_olt-", "gpon_onu-"};
        addSetup();
        addShows();
        addConfig();
        addMng();
    }

protected:
    Reply login() override {
        std::string banner;
        {
            auto guard = m_state.lock();
            banner = str(m_state.config.banner);
        }
        Reply r;
        if (!banner.empty()) {
            size_t start = 0;
            for (size_t nl; (nl = banner.find('\n', start)) != std::string::npos; start = nl + 1)
                r.lines.push_back(banner.substr(start, nl - start));
            r.lines.push_back(banner.substr(start));
            r.lines.push_back("");
        }
        askUser(r);
        return r;
    }

    Reply afterAuthentication() override {
        auto guard = m_state.lock();
        m_mode = m_state.config.privileged ? Exec : UserExec;
        return {};
    }

    std::string prompt() const override {
        static const std::map<unsigned, std::string> suffix = {
            {UserExec, ">"},         {Exec, "#"},
            {Config, "(config)#"},   {IfOlt, "(config-if)#"},
            {IfOnu, "(config-if)#"}, {Mng, "(gpon-onu-mng)#"},
            {Gpon, "(config-gpon)#"}};
        // A C600 names the interface in its interface modes.
        if (m_c600 && (m_mode == IfOlt || m_mode == IfOnu))
            return m_host + "(config-if-" + m_ifName + ")#";
        return m_host + suffix.at(m_mode);
    }
    unsigned mode() const override { return m_mode; }
    std::string pagerMarker() const override { return "--More--"; }
    std::string pagerErase() const override {
        return std::string(8, '\b') + std::string(8, ' ') + std::string(8, '\b');
    }

    Reply syntaxError(SyntaxError kind, int column) override {
        if (m_c600) {
            if (kind == SyntaxError::Incomplete)
                return {{"%Error 140304: Incomplete command."}};
            return {{std::string(column, ' ') + "^",
                     "%Error 140303: Invalid input detected at '^' marker."}};
        }
        if (kind == SyntaxError::Incomplete)
            return {{"%Error 20203: Incomplete command."}};
        std::string text = "%Error 20200: Invalid input detected at '^' marker.";
        if (kind == SyntaxError::Parameter)
            text = "%Error 20202: Invalid input detected at '^' marker.Invalid parameter";
        return {{std::string(column, ' ') + "^", text}};
    }

    // Space pages on, Enter shows one more line, any other key stops.
    PagerKey pagerKey(char c) const override {
        if (c == ' ')
            return PagerKey::Page;
        return c == '\r' || c == '\n' ? PagerKey::Line : PagerKey::Stop;
    }

private:
    void askUser(Reply& r) {
        r.question = "Username:";
        r.noFaults = true;
        r.answer = [this](const std::string& user) {
            Reply p;
            p.question = "Password:";
            p.hideAnswer = true;
            p.noFaults = true;
            p.answer = [this, user](const std::string& password) {
                return checkLogin(user, password);
            };
            return p;
        };
    }

    Reply checkLogin(const std::string& user, const std::string& password) {
        auto guard = m_state.lock();
        const OltConfig& c = m_state.config;
        m_host = str(c.hostname);
        Reply r;
        r.noFaults = true;
        if (!m_faults.wrongPassword && user == str(c.username) && password == str(c.password)) {
            m_mode = c.privileged ? Exec : UserExec;
            return r;
        }
        if (c.badLoginLine)
            r.lines = {"%Error 20210: Bad username or password."};
        if (++m_failures >= 3) {
            r.close = true;
            return r;
        }
        askUser(r);
        return r;
    }

    Reply code(const std::string& text) const {
        return {{"%Code " + m_gponCode + "-GPONSRV : " + text}};
    }

    std::string oltName(int frame, int slot, int port) const {
        return m_naming.olt + std::to_string(frame) + "/" + std::to_string(slot) + "/" +
               std::to_string(port);
    }
    std::string onuName(int frame, int slot, int port, int id) const {
        return m_naming.onu + std::to_string(frame) + "/" + std::to_string(slot) + "/" +
               std::to_string(port) + ":" + std::to_string(id);
    }
    std::string onuName(const Onu& u) const { return onuName(u.frame, u.slot, u.port, u.id); }
    // The ONU's first virtual port: a suffix on a C320, an interface of its
    // own on a C600.
    std::string vportName(const Onu& u) const {
        if (!m_c600)
            return onuName(u) + ":1";
        return "vport-" + std::to_string(u.frame) + "/" + std::to_string(u.slot) + "/" +
               std::to_string(u.port) + "." + std::to_string(u.id) + ":1";
    }

    // The ONU a command names, or null with the device's answer in *missing.
    Onu* onu(const Arg& a) {
        const auto& n = a.numbers;
        return m_state.find(n[0], n[1], n[2], n[3]);
    }

    void addSetup() {
        add({"enable"}, UserExec, [this](const Args&) {
            Reply r;
            r.question = "Password:";
            r.hideAnswer = true;
            r.answer = [this](const std::string& password) -> Reply {
                auto guard = m_state.lock();
                if (password != str(m_state.config.enablePassword))
                    return {{"%Error 20209: Bad password."}};
                m_mode = Exec;
                return {};
            };
            return r;
        });
        add({"exit"}, UserExec | Exec, [](const Args&) {
            Reply r;
            r.close = true;
            return r;
        });
        add({"terminal", "length", "<int>"}, Exec, [this](const Args& a) {
            m_pageLength = a[0].num();
            return Reply{};
        });
        add({"configure", "terminal"}, Exec, [this](const Args&) {
            m_mode = Config;
            return Reply{{m_older
                              ? "Enter configuration commands, one per line.  End with CTRL/Z."
                              : "%Info 20272: Enter configuration commands, one per line. End with "
                                "CTRL/Z."}};
        });
        add({"write"}, Privileged, [](const Args&) {
            return Reply{{"Building configuration...", "[OK]"}};
        });
        add({"end"}, Config | IfOlt | IfOnu | Mng | Gpon, [this](const Args&) {
            m_mode = Exec;
            return Reply{};
        });
        add({"exit"}, Config | IfOlt | IfOnu | Mng | Gpon, [this](const Args&) {
            m_mode = m_mode == Config ? Exec : Config;
            return Reply{};
        });
    }

    void addShows() {
        const auto show = [this](std::vector<std::string> words, auto fn) {
            add(std::move(words), Privileged, [this, fn](const Args& a) {
                auto guard = m_state.lock();
                return fn(a);
            });
        };
        show({"show", "gpon", "onu", "detail-info", "<onu>"}, [this](const Args& a) {
            Onu* u = onu(a[0]);
            return u ? detailInfo(*u) : code(NoInfo);
        });
        show({"show", "pon", "power", "attenuation", "<onu>"}, [this](const Args& a) {
            Onu* u = onu(a[0]);
            return u ? attenuation(*u) : code(NoInfo);
        });
        show({"show", "pon", "power", "onu-rx", "<olt>"},
             [this](const Args& a) { return portPower(a[0], true); });
        show({"show", "pon", "power", "onu-tx", "<olt>"},
             [this](const Args& a) { return portPower(a[0], false); });
        show({"show", "gpon", "onu", "state"},
             [this](const Args&) { return states(m_state.all()); });
        show({"show", "gpon", "onu", "state", "<olt>"}, [this](const Args& a) {
            const auto& n = a[0].numbers;
            return states(m_state.onPort(n[0], n[1], n[2]));
        });
        show({"show", "gpon", "onu", "state", "<olt>", "<int>"}, [this](const Args& a) {
            const auto& n = a[0].numbers;
            Onu* u = m_state.find(n[0], n[1], n[2], a[1].num());
            return u ? states({u}) : code(NoInfo);
        });
        show({"show", "gpon", "remote-onu", "wan-ip", "<onu>"}, [this](const Args& a) {
            Onu* u = onu(a[0]);
            return u && m_state.isOnline(*u) ? wanIp(*u) : code(NoInfo);
        });
        show({"show", "gpon", "remote-onu", "voip-linestatus", "<onu>"}, [this](const Args& a) {
            Onu* u = onu(a[0]);
            if (!u || !m_state.isOnline(*u))
                return code(NoInfo);
            const std::string state = u->voip.username.isEmpty() ? "Idle" : str(u->voip.lineState);
            return Reply{{"Port          Line state", "--------------------------------",
                          pad("pots_0/1", 14) + (state.empty() ? "Registered" : state)}};
        });
        show({"show", "onu", "running", "config", "<onu>"}, [this](const Args& a) {
            Onu* u = onu(a[0]);
            return u ? runningConfig(*u) : code(NoInfo);
        });
        show({"show", "interface", "<onu>"}, [this](const Args& a) {
            Onu* u = onu(a[0]);
            return u ? interfaceCounters(*u) : code(NoInfo);
        });
        show({"show", "vlan", "<int>"}, [this](const Args& a) { return vlan(a[0].num()); });
        show({"show", "mac", "vlan", "<int>"}, [this](const Args& a) {
            const int v = a[0].num();
            return macs([v](const Onu&, int vlan) { return vlan == v; }, v);
        });
        show({"show", "mac", "gpon", "onu", "<onu>"}, [this](const Args& a) {
            const Onu* want = onu(a[0]);
            if (!want)
                return code(NoInfo);
            return macs([want](const Onu& u, int) { return &u == want; }, -1);
        });
        show({"show", "gpon", "onu", "by", "sn", "<word>"}, [this](const Args& a) {
            const QString sn = QString::fromStdString(a[0].text).toUpper();
            Onu* u = sn.size() == 12 ? m_state.findBySerial(sn) : nullptr;
            if (!u)
                return code(NoInfo);
            return Reply{{"SearchResult", "-----------------", onuName(*u)}};
        });
        addConfigShows(show);
        show({"show", "clock"}, [this](const Args&) {
            const QString t = QLocale::c().toString(m_state.now(),
                                                    QStringLiteral("hh:mm:ss '%1' ddd MMM d yyyy"));
            return Reply{{str(t.arg(m_state.config.timezone))}};
        });
    }

    template <typename Show> void addConfigShows(const Show& show) {
        const std::vector<std::string> uncfg =
            m_c600 ? std::vector<std::string>{"show", "pon", "onu", "uncfg"}
                   : std::vector<std::string>{"show", "gpon", "onu", "uncfg"};
        show(uncfg, [this](const Args&) { return unconfigured(nullptr); });
        std::vector<std::string> onPort = uncfg;
        onPort.push_back("<olt>");
        show(onPort, [this](const Args& a) { return unconfigured(&a[0].numbers); });
        show({"show", "running-config"}, [this](const Args&) { return Reply{fullConfig()}; });
        show({"show", "running-config", "|", "include", "<rest>"}, [this](const Args& a) {
            std::string want = a[0].text;
            want.erase(want.find_last_not_of(' ') + 1);
            Reply r;
            for (const std::string& l : fullConfig())
                if (l.find(want) != std::string::npos)
                    r.lines.push_back(l);
            return r;
        });
        const auto onuConfig = [this](const Args& a) {
            Onu* u = onu(a[0]);
            if (!u)
                return code(NoInfo);
            Reply r{{"Building configuration..."}};
            for (const std::string& l : onuInterface(*u))
                r.lines.push_back(l);
            r.lines.push_back("end");
            return r;
        };
        if (!m_c600) {
            show({"show", "running-config", "interface", "<onu>"}, onuConfig);
        } else {
            show({"show", "running-config-interface", "<onu>"}, onuConfig);
            show({"show", "running-config-interface", "<vport>"}, [this](const Args& a) {
                Onu* u = onu(a[0]);
                if (!u)
                    return code(NoInfo);
                Reply r{{"Building configuration..."}};
                for (const std::string& l : vportInterface(*u))
                    r.lines.push_back(l);
                r.lines.push_back("end");
                return r;
            });
        }
        show({"show", "version"}, [this](const Args&) { return version(); });
        show({"show", "gpon", "remote-onu", "equip", "<onu>"}, [this](const Args& a) {
            Onu* u = onu(a[0]);
            if (!u || !m_state.isOnline(*u))
                return code(NoInfo);
            const auto f = [](const std::string& label, const std::string& value) {
                return pad(label, 22) + value;
            };
            return Reply{{f("ONU interface:", onuName(*u)), f("Vendor ID:", str(u->serial.left(4))),
                          f("Version:", str(u->hardware)), f("Product code:", "0"),
                          f("Equipment ID:", str(u->type)),
                          f("Main software version:", str(u->software)),
                          f("Serial number:", str(u->serial))}};
        });
        show({"show", "onu", "profile", "vlan", "<word>"}, [this](const Args& a) {
            const QString name = QString::fromStdString(a[0].text);
            if (!m_state.config.vlanProfiles.contains(name))
                return code(NoInfo);
            return Reply{{wanLine("Profile name:", a[0].text), wanLine("Tag mode:", "tag"),
                          wanLine("CVLAN:", std::to_string(m_state.config.vlanProfiles[name])),
                          wanLine("CVLAN priority:", "0")}};
        });
    }

    Reply unconfigured(const std::vector<int>* port) {
        std::vector<std::string> rows;
        std::map<std::string, int> perPort; // a C320 numbers them per port from 1
        for (const FoundOnu& f : m_state.found) {
            if (port && (f.frame != (*port)[0] || f.slot != (*port)[1] || f.port != (*port)[2]))
                continue;
            const std::string olt = oltName(f.frame, f.slot, f.port);
            if (m_c600)
                rows.push_back(pad(olt, 20) + pad(str(f.type), 21) + pad(str(f.serial), 20) +
                               "N/A");
            else
                rows.push_back(pad(onuName(f.frame, f.slot, f.port, ++perPort[olt]), 25) +
                               pad(str(f.serial), 20) + "unknown");
        }
        if (rows.empty())
            return code(NoInfo);
        Reply r{{m_c600 ? "OltIndex            Model                SN                  PW"
                        : "OnuIndex                 Sn                  State",
                 std::string(m_c600 ? 72 : 69, '-')}};
        r.lines.insert(r.lines.end(), rows.begin(), rows.end());
        return r;
    }

    Reply version() {
        const OltConfig& c = m_state.config;
        const std::string sw = !c.softwareVersion.isEmpty() ? str(c.softwareVersion)
                               : m_c600                     ? "V1.2.1"
                                                            : "V2.1.0";
        return {{m_c600 ? "ZXR10 ROSng Version V5.00.10" : "ZXR10 ROS Version V4.8.01A",
                 "ZXA10 " + str(c.model) + " Software, Version " + sw + ", RELEASE SOFTWARE",
                 "Copyright (c) 2000-" + std::to_string(m_state.now().date().year()) +
                     " by ZTE Corporation",
                 "Compiled Mar  2 2025, 10:20:33", "System uptime is 112 days 4 hours 12 minutes"}};
    }

    // The service ports of an ONU: those of the state, or one for its WAN VLAN.
    QList<ServicePort> servicePorts(const Onu& u) const {
        if (!u.servicePorts.isEmpty() || !u.wan.vlan)
            return u.servicePorts;
        return {ServicePort{1, u.wan.vlan, 1, u.wan.vlan}};
    }

    std::string servicePortLine(const ServicePort& sp) const {
        // QinQ: the OLT VLAN is an outer one around the subscriber's.
        const std::string uv = std::to_string(sp.userVlan);
        return "  service-port " + std::to_string(sp.index) + (m_c600 ? "" : " vport 1") +
               " user-vlan " + uv + " vlan " + uv +
               (sp.vlan != sp.userVlan ? " svlan " + std::to_string(sp.vlan) : "");
    }

    std::vector<std::string> onuInterface(const Onu& u) const {
        std::vector<std::string> l = {"interface " + onuName(u), "  name " + str(u.name),
                                      "  description " + str(u.description),
                                      "  tcont 1 profile HSI-100M", "  gemport 1 tcont 1"};
        if (!m_c600)
            for (const ServicePort& sp : servicePorts(u))
                l.push_back(servicePortLine(sp));
        l.push_back("!");
        return l;
    }

    std::vector<std::string> vportInterface(const Onu& u) const {
        std::vector<std::string> l = {"interface " + vportName(u)};
        for (const ServicePort& sp : servicePorts(u))
            l.push_back(servicePortLine(sp));
        l.push_back("!");
        return l;
    }

    // The whole running configuration: ONU types, profiles, ports, ONUs.
    std::vector<std::string> fullConfig() {
        const OltConfig& c = m_state.config;
        std::vector<std::string> l = {"Building configuration...", "!",
                                      "hostname " + str(c.hostname), "!", "pon"};
        std::map<std::string, std::pair<bool, bool>> types; // type -> (acs only, 5 GHz)
        for (Onu* u : m_state.all()) {
            auto& t = types[str(u->type)];
            t.first |= u->acsOnly;
            for (const Ssid& s : u->wifi)
                t.second |= s.index >= 5;
        }
        for (const auto& [type, info] : types) {
            l.push_back("  onu-type " + type +
                        " gpon max-tcont 8 max-gemport 32 max-switch-perslot 8 "
                        "max-flow-perswitch 8 max-iphost 5" +
                        (info.first ? " service-mgmt-via-non-omci" : ""));
            l.push_back("  onu-type-if " + type + " eth_0/1-4");
            l.push_back("  onu-type-if " + type + " pots_0/1-2");
            l.push_back("  onu-type-if " + type + (info.second ? " wifi_0/1-8" : " wifi_0/1-4"));
        }
        l.insert(l.end(), {"!", "gpon"});
        for (auto it = c.vlanProfiles.begin(); it != c.vlanProfiles.end(); ++it)
            l.push_back("  onu profile vlan " + str(it.key()) + " tag-mode tag cvlan " +
                        std::to_string(it.value()));
        for (auto it = c.sipProfiles.begin(); it != c.sipProfiles.end(); ++it)
            l.push_back("  sip-profile " + str(it.key()) + " proxy-server " +
                        str(it.value().proxy) + " port 5060 domain " + str(it.value().domain));
        l.push_back("!");
        const QList<Onu*> onus = m_state.all();
        for (qsizetype i = 0; i < onus.size(); ++i) {
            const Onu& u = *onus[i];
            if (i == 0 || onus[i - 1]->port != u.port || onus[i - 1]->slot != u.slot) {
                if (i > 0)
                    l.push_back("!");
                l.push_back("interface " + oltName(u.frame, u.slot, u.port));
                l.push_back("  no shutdown");
            }
            l.push_back("  onu " + std::to_string(u.id) + " type " + str(u.type) + " sn " +
                        str(u.serial));
        }
        if (!onus.isEmpty())
            l.push_back("!");
        for (Onu* u : onus) {
            const auto block = onuInterface(*u);
            l.insert(l.end(), block.begin(), block.end());
        }
        if (m_c600)
            for (Onu* u : onus) {
                const auto block = vportInterface(*u);
                l.insert(l.end(), block.begin(), block.end());
            }
        for (Onu* u : onus) {
            const Reply mng = runningConfig(*u);
            l.insert(l.end(), mng.lines.begin(), mng.lines.end());
        }
        l.push_back("end");
        return l;
    }

    Reply detailInfo(Onu& u) {
        const bool up = m_state.isOnline(u);
        Reply r;
        auto& l = r.lines;
        l.push_back(detail("ONU interface:", onuName(u)));
        l.push_back(detail("  Name:", str(u.name)));
        l.push_back(detail("  Type:", str(u.type)));
        l.push_back(detail("  State:", "ready"));
        l.push_back(detail("  Admin state:", "enable"));
        l.push_back(detail("  Phase state:", up ? "working" : str(u.offlinePhase)));
        if (!m_older) // newer releases add the config state and multicast encryption
            l.push_back(detail("  Config state:", "success"));
        l.push_back(detail("  Authentication mode:", "sn"));
        l.push_back(detail("  SN Bind:", "enable with SN check"));
        l.push_back(detail("  Serial number:", str(u.serial)));
        l.push_back(detail("  Password:", ""));
        l.push_back(detail("  Description:", str(u.description)));
        l.push_back(detail("  Vport mode:", "gemport"));
        l.push_back(detail("  DBA Mode:", "Hybrid"));
        l.push_back(detail("  ONU Status:", "enable"));
        l.push_back(detail("  OMCI BW Profile:", "N/A"));
        l.push_back(detail("  Line Profile:", "N/A"));
        l.push_back(detail("  Service Profile:", "N/A"));
        if (!m_older)
            l.push_back(detail("  Multicast encryption:", "disable"));
        l.push_back(detail("  ONU Distance:", std::to_string(up ? u.distance : 0) + "m"));
        l.push_back(detail("  Online Duration:", duration(m_state.uptimeSeconds(u))));
        l.push_back(detail("  FEC:", "none"));
        l.push_back(detail("  1PPS+ToD:", "disable"));
        l.push_back(std::string(42, '-'));
        l.push_back("       Authpass Time          OfflineTime             Cause");
        int n = 0;
        for (const HistoryRow& h : u.history) {
            const std::string auth = h.authpass.isEmpty() ? Zero : str(h.authpass);
            const std::string off = h.offline.isEmpty() ? Zero : str(h.offline);
            l.push_back(rpad(std::to_string(++n), 4) + "   " + auth + "    " + off + "     " +
                        str(h.cause));
        }
        return r;
    }

    Reply attenuation(Onu& u) {
        const bool up = m_state.isOnline(u);
        const auto val = [up](double v) { return up ? dbm(v) : std::string("N/A"); };
        const auto att = [up](double a, double b) {
            return up ? fixed(a - b, 3) + "(dB)" : std::string("N/A");
        };
        return {{"           OLT                  ONU              Attenuation",
                 std::string(74, '-'),
                 " up      " + pad("Rx :" + val(u.oltRx), 22) + pad("Tx:" + val(u.tx), 21) +
                     att(u.tx, u.oltRx),
                 "",
                 " down    " + pad("Tx :" + dbm(u.oltTx), 22) + pad("Rx:" + val(u.rx), 21) +
                     att(u.oltTx, u.rx)}};
    }

    Reply portPower(const Arg& port, bool rx) {
        const auto& n = port.numbers;
        const auto list = m_state.onPort(n[0], n[1], n[2]);
        if (list.isEmpty())
            return code(NoInfo);
        Reply r{{rx ? "Onu                 Rx power" : "Onu                 Tx power",
                 std::string(36, '-')}};
        for (Onu* u : list)
            r.lines.push_back(pad(onuName(*u), 20) +
                              (m_state.isOnline(*u) ? dbm(rx ? u->rx : u->tx) : "N/A"));
        return r;
    }

    Reply states(const QList<Onu*>& list) {
        if (list.isEmpty())
            return code(NoInfo);
        Reply r{{"OnuIndex               Admin State  OMCC State   O7 State     Phase State",
                 std::string(76, '-')}};
        int working = 0;
        for (Onu* u : list) {
            const bool up = m_state.isOnline(*u);
            working += up;
            r.lines.push_back(
                pad(onuName(*u), 23) + pad("enable", 13) + pad(up ? "enable" : "disable", 13) +
                pad(up ? "operation" : "unknown", 13) + (up ? "working" : str(u->offlinePhase)));
        }
        r.lines.push_back("ONU Number: " + std::to_string(working) + "/" +
                          std::to_string(list.size()));
        return r;
    }

    Reply wanIp(const Onu& u) {
        const Wan& w = u.wan;
        const bool pppoe = w.mode.compare(QLatin1String("PPPoE"), Qt::CaseInsensitive) == 0;
        return {{wanLine("WAN id:", "1"),
                 wanLine("Mode:", str(w.mode)),
                 wanLine("Authentication:", "auto"),
                 wanLine("User name:", pppoe ? str(w.user) : ""),
                 wanLine("Password:", pppoe ? str(w.password) : ""),
                 wanLine("Status:", "connected"),
                 wanLine("Ping response:", "enable"),
                 wanLine("Traceroute response:", "disable"),
                 wanLine("VLAN tag mode:", "tag"),
                 wanLine("CVLAN:", std::to_string(w.vlan)),
                 wanLine("CVLAN priority:", "0"),
                 wanLine("SVLAN:", "0"),
                 wanLine("Current IP:", str(w.ip)),
                 wanLine("Current mask:", str(w.mask)),
                 wanLine("Current gateway:", str(w.gateway)),
                 wanLine("Current primary DNS:", str(w.dns1)),
                 wanLine("Current secondary DNS:", str(w.dns2)),
                 wanLine("Domain name:", ""),
                 wanLine("Host name:", pppoe ? "omci_ipv4_pppoe_1" : "omci_ipv4_dhcp_1"),
                 wanLine("MAC address:", w.mac.isEmpty() ? "" : str(dottedMac(w.mac))),
                 wanLine("IP host id:", "1")}};
    }

    Reply runningConfig(const Onu& u) const {
        Reply r{{"pon-onu-mng " + onuName(u)}};
        const Wan& w = u.wan;
        if (w.vlan)
            r.lines.push_back("  service HSI gemport 1 vlan " + std::to_string(w.vlan));
        const std::string profile = " vlan-profile " + str(w.profile) + " host 1";
        const std::string wan = m_c600 ? "  wan-ip ipv4 mode " : "  wan-ip 1 mode ";
        // A WAN is configured only through a vlan-profile; a bridge has none.
        if (w.profile.isEmpty())
            ;
        else if (w.mode.compare(QLatin1String("PPPoE"), Qt::CaseInsensitive) == 0)
            r.lines.push_back(wan + "pppoe username " + str(w.user) + " password " +
                              str(w.password) + profile);
        else if (w.mode.compare(QLatin1String("DHCP"), Qt::CaseInsensitive) == 0)
            r.lines.push_back(wan + "dhcp" + profile);
        if (!m_c600 && !w.profile.isEmpty())
            r.lines.push_back("  wan-ip 1 ping-response enable traceroute-response enable");
        if (w.mtu)
            r.lines.push_back("  wan 1 mtu " + std::to_string(w.mtu));
        for (const Ssid& s : u.wifi) {
            const std::string port = "wifi_0/" + std::to_string(s.index);
            r.lines.push_back("  ssid ctrl " + port + " name " + str(s.name));
            if (!s.key.isEmpty())
                r.lines.push_back("  ssid auth wpa " + port + (m_c600 ? " auth-algrithm" : "") +
                                  " wpa2-psk encrypt aes key " + str(s.key));
            if (!s.enabled)
                r.lines.push_back("  interface wifi " + port + " state lock");
        }
        const Voip& v = u.voip;
        if (!v.username.isEmpty()) {
            r.lines.push_back("  voip protocol sip");
            if (!v.ipProfile.isEmpty())
                r.lines.push_back("  voip-ip mode dhcp vlan-profile " + str(v.ipProfile) +
                                  " host 2");
            r.lines.push_back("  sip-service pots_0/1 profile " + str(v.profile) + " userid " +
                              str(v.userid) + " username " + str(v.username) + " password " +
                              str(v.password));
        }
        r.lines.push_back("!");
        return r;
    }

    Reply interfaceCounters(Onu& u) {
        const bool up = m_state.isOnline(u);
        const qint64 inRate = up ? u.inRate : 0, outRate = up ? u.outRate : 0;
        const auto rate = [](const char* label, qint64 bps) {
            return std::string(label) + rpad(std::to_string(bps), 18) + " Bps" +
                   rpad(std::to_string(bps / 560), 17) + " pps";
        };
        const auto pair = [](const char* a, qint64 x, const char* b, qint64 y) {
            return std::string(a) + pad(std::to_string(x), 21) + b + std::to_string(y);
        };
        const qint64 in = m_state.inBytes(u), out = m_state.outBytes(u);
        const qint64 inPk = u.inPackets + (in - u.inBytes) / 560;
        const qint64 outPk = u.outPackets + (out - u.outBytes) / 560;
        return {{onuName(u) + (up ? " is activate,line protocol is up."
                                  : " is deactivate,line protocol is down."),
                 "  Description is none.", rate("  Input rate :", inRate),
                 rate("  Output rate:", outRate), "Total statistic:", " Input :",
                 pair("   PassPackets   :", inPk, "DropPackets   :", 0),
                 pair("   PassBytes     :", in, "UnicastsPkts  :", inPk),
                 " Output :", pair("   PassPackets   :", outPk, "DropPackets   :", 0),
                 pair("   PassBytes     :", out, "UnicastsPkts  :", outPk)}};
    }

    Reply vlan(int v) {
        std::vector<std::string> ports;
        for (Onu* u : m_state.all()) {
            bool member = u->wan.vlan == v;
            for (const ServicePort& sp : u->servicePorts)
                member |= sp.vlan == v || sp.userVlan == v;
            if (member)
                ports.push_back(vportName(*u));
        }
        std::set<std::string> uplinks;
        for (const UplinkMac& m : m_state.config.uplinkMacs)
            if (m.vlan == v)
                uplinks.insert(str(m.port));
        if (ports.empty() && uplinks.empty())
            return code(NoInfo);
        char name[16];
        std::snprintf(name, sizeof name, "VLAN%05d", v);
        Reply r{{"vlanid          :" + std::to_string(v), std::string("name            :") + name,
                 "description     :N/A", "multicast-packet:flood-unknown", "tpid:0x8100",
                 "port(untagged):", "port(tagged):"}};
        r.lines.insert(r.lines.end(), ports.begin(), ports.end());
        r.lines.insert(r.lines.end(), uplinks.begin(), uplinks.end());
        return r;
    }

    // The OLT's MAC table: what online ONUs and the uplinks have taught it.
    template <typename Pred> Reply macs(Pred want, int vlan) {
        std::vector<std::string> rows;
        for (Onu* u : m_state.all()) {
            if (!m_state.isOnline(*u))
                continue;
            // A C600 names the vport interface where a C320 names the ONU and its vport.
            const std::string port = m_c600 ? vportName(*u) : onuName(*u);
            const std::string vc = m_c600 ? "" : "vport 1";
            if (!u->wan.mac.isEmpty() && want(*u, u->wan.vlan))
                rows.push_back(macRow(u->wan.mac, u->wan.vlan, port, vc));
            for (const MacEntry& m : u->macs)
                if (want(*u, m.vlan))
                    rows.push_back(macRow(m.mac, m.vlan, port, vc));
        }
        if (vlan >= 0)
            for (const UplinkMac& m : m_state.config.uplinkMacs)
                if (m.vlan == vlan)
                    rows.push_back(macRow(m.mac, m.vlan, str(m.port), ""));
        if (rows.empty())
            return code(NoInfo);
        Reply r{{"Total mac address : " + std::to_string(rows.size()), " ",
                 "Mac address      Vlan   Type      Port                         Vc",
                 std::string(72, '-')}};
        r.lines.insert(r.lines.end(), rows.begin(), rows.end());
        return r;
    }

    void addConfig() {
        add({"interface", "<olt>"}, Config, [this](const Args& a) {
            m_port = a[0].numbers;
            m_ifName = a[0].text;
            m_mode = IfOlt;
            return Reply{};
        });
        add({"interface", "<onu>"}, Config, [this](const Args& a) {
            auto guard = m_state.lock();
            if (!onu(a[0]))
                return code(NoOnu);
            m_onu = a[0];
            m_ifName = a[0].text;
            m_mode = IfOnu;
            return Reply{};
        });
        if (m_c600)
            add({"interface", "<vport>"}, Config, [this](const Args& a) {
                auto guard = m_state.lock();
                const auto& n = a[0].numbers;
                if (!m_state.find(n[0], n[1], n[2], n[3]))
                    return code(NoOnu);
                m_ifName = a[0].text;
                m_mode = IfOnu;
                return Reply{};
            });
        add({"pon-onu-mng", "<onu>"}, Config, [this](const Args& a) {
            auto guard = m_state.lock();
            if (!onu(a[0]))
                return code(NoOnu);
            m_onu = a[0];
            m_mode = Mng;
            return Reply{};
        });
        add({"pon-onu"}, Config, [](const Args&) { return Reply{}; });
        add({"gpon"}, Config, [this](const Args&) {
            m_mode = Gpon;
            return Reply{};
        });
        add({"onu", "profile", "vlan", "<word>", "tag-mode", "tag", "cvlan", "<int>"}, Gpon,
            [this](const Args& a) {
                auto guard = m_state.lock();
                m_state.config.vlanProfiles.insert(QString::fromStdString(a[0].text), a[1].num());
                return Reply{};
            });
        add({"service-port", "<rest>"}, IfOnu, [](const Args&) { return Reply{}; });
        add({"no", "onu", "<int>"}, IfOlt, [this](const Args& a) {
            auto guard = m_state.lock();
            if (!m_state.remove(m_port[0], m_port[1], m_port[2], a[0].num()))
                return code(NoOnu);
            return Reply{};
        });
    }

    // Runs fn on the ONU of the mng mode, answering for a deleted one.
    template <typename Fn> void mng(std::vector<std::string> words, Fn fn) {
        add(std::move(words), Mng, [this, fn](const Args& a) {
            auto guard = m_state.lock();
            Onu* u = onu(m_onu);
            if (!u)
                return code(NoOnu);
            return fn(*u, a);
        });
    }

    Ssid* ssid(Onu& u, const Arg& port) {
        if (port.text.rfind("wifi_0/", 0) != 0 || port.text.size() < 8)
            return nullptr;
        const int index = std::atoi(port.text.c_str() + 7);
        for (Ssid& s : u.wifi)
            if (s.index == index)
                return &s;
        if (index < 1 || index > 8)
            return nullptr;
        u.wifi.append(Ssid{index,
                           {},
                           {},
                           index >= 5 ? QStringLiteral("IEEE 802.11ac")
                                      : QStringLiteral("IEEE 802.11b/g/n")});
        return &u.wifi.last();
    }

    Reply setWan(Onu& u, const QString& mode, const std::string& profileName,
                 const std::string& user = {}, const std::string& password = {}) {
        const QString profile = QString::fromStdString(profileName);
        if (!m_state.config.vlanProfiles.contains(profile))
            return code("The vlan profile does not exist.");
        if (u.acsOnly)
            return {}; // the OLT takes it; the ONU, managed over TR-069, ignores it
        u.wan.mode = mode;
        u.wan.profile = profile;
        u.wan.vlan = m_state.config.vlanProfiles.value(profile);
        if (mode == QLatin1String("PPPoE")) {
            u.wan.user = QString::fromStdString(user);
            u.wan.password = QString::fromStdString(password);
        }
        return {};
    }

    // Reboot and factory reset ask first on firmware set up to ("confirm").
    Reply confirmThen(std::function<Reply()> action, const std::string& what) {
        const std::string style = str(m_state.config.confirm);
        if (style.empty())
            return action();
        Reply r;
        r.question = "Confirm to " + what + "? [" + style + "]:";
        r.answer = [this, action, style](const std::string& answer) -> Reply {
            const bool yes = style == "Y/N" ? (answer == "y" || answer == "Y") : answer == "yes";
            if (!yes)
                return {};
            auto guard = m_state.lock();
            return action();
        };
        return r;
    }

    void addMng() {
        if (m_c600) {
            mng({"wan-ip", "ipv4", "mode", "pppoe", "username", "<word>", "password", "<word>",
                 "vlan-profile", "<word>", "host", "<int>"},
                [this](Onu& u, const Args& a) {
                    return setWan(u, QStringLiteral("PPPoE"), a[2].text, a[0].text, a[1].text);
                });
            mng({"wan-ip", "ipv4", "mode", "dhcp", "vlan-profile", "<word>", "host", "<int>"},
                [this](Onu& u, const Args& a) {
                    return setWan(u, QStringLiteral("DHCP"), a[0].text);
                });
        } else {
            mng({"wan-ip", "<int>", "mode", "pppoe", "username", "<word>", "password", "<word>",
                 "vlan-profile", "<word>", "host", "<int>"},
                [this](Onu& u, const Args& a) {
                    return setWan(u, QStringLiteral("PPPoE"), a[3].text, a[1].text, a[2].text);
                });
            mng({"wan-ip", "<int>", "mode", "dhcp", "vlan-profile", "<word>", "host", "<int>"},
                [this](Onu& u, const Args& a) {
                    return setWan(u, QStringLiteral("DHCP"), a[1].text);
                });
            mng({"wan-ip", "<int>", "ping-response", "<word>", "traceroute-response", "<word>"},
                [](Onu&, const Args&) { return Reply{}; });
        }
        mng({"wan", "<int>", "mtu", "<int>"}, [this](Onu& u, const Args& a) {
            if (a[1].num() < 576 || a[1].num() > 1500)
                return paramError(a, 1);
            if (!u.acsOnly)
                u.wan.mtu = a[1].num();
            return Reply{};
        });
        mng({"ssid", "ctrl", "<word>", "name", "<word>"}, [this](Onu& u, const Args& a) {
            Ssid* s = ssid(u, a[0]);
            if (!s)
                return paramError(a, 0);
            if (a[1].text.empty() || a[1].text.size() > 32)
                return paramError(a, 1);
            if (!u.acsOnly)
                s->name = QString::fromStdString(a[1].text);
            return Reply{};
        });
        const auto key = [this](Onu& u, const Args& a) {
            Ssid* s = ssid(u, a[0]);
            if (!s)
                return paramError(a, 0);
            if (a[1].text.size() < 8 || a[1].text.size() > 63)
                return paramError(a, 1);
            if (!u.acsOnly)
                s->key = QString::fromStdString(a[1].text);
            return Reply{};
        };
        if (m_c600)
            mng({"ssid", "auth", "wpa", "<word>", "auth-algrithm", "wpa2-psk", "encrypt", "aes",
                 "key", "<word>"},
                key);
        else
            mng({"ssid", "auth", "wpa", "<word>", "wpa2-psk", "encrypt", "aes", "key", "<word>"},
                key);
        mng({"ssid", "auth", "wpa", "<word>", "key", "<word>"}, key);
        mng({"interface", "wifi", "<word>", "state", "<word>"}, [this](Onu& u, const Args& a) {
            Ssid* s = ssid(u, a[0]);
            if (!s)
                return paramError(a, 0);
            if (a[1].text != "lock" && a[1].text != "unlock")
                return paramError(a, 1);
            if (!u.acsOnly)
                s->enabled = a[1].text == "unlock";
            return Reply{};
        });
        mng({"voip", "protocol", "sip"}, [](Onu&, const Args&) { return Reply{}; });
        mng({"voip-ip", "mode", "dhcp", "vlan-profile", "<word>", "host", "<int>"},
            [this](Onu& u, const Args& a) {
                const QString profile = QString::fromStdString(a[0].text);
                if (!m_state.config.vlanProfiles.contains(profile))
                    return code("The vlan profile does not exist.");
                u.voip.ipProfile = profile;
                return Reply{};
            });
        mng({"sip-service", "<word>", "profile", "<word>", "userid", "<word>", "username", "<word>",
             "password", "<word>"},
            [this](Onu& u, const Args& a) {
                if (a[0].text != "pots_0/1" && a[0].text != "pots_0/2")
                    return paramError(a, 0);
                u.voip.profile = QString::fromStdString(a[1].text);
                u.voip.userid = QString::fromStdString(a[2].text);
                u.voip.username = QString::fromStdString(a[3].text);
                u.voip.password = QString::fromStdString(a[4].text);
                u.voip.lineState = QStringLiteral("Registered");
                return Reply{};
            });
        const auto restart = [this](const std::string& what, const QString& cause) {
            return [this, what, cause](Onu& u, const Args&) {
                if (!m_state.isOnline(u))
                    return code(NoInfo);
                const Arg target = m_onu;
                return confirmThen(
                    [this, target, cause]() -> Reply {
                        Onu* o = onu(target);
                        if (!o)
                            return code(NoOnu);
                        m_state.reboot(*o, cause);
                        return {};
                    },
                    what);
            };
        };
        mng({"reboot"}, restart("reboot", QStringLiteral("DyingGasp")));
        mng({"restore", "factory"}, restart("restore factory", QStringLiteral("DyingGasp")));
    }

    bool m_c600 = false;
    bool m_older = false;
    std::string m_gponCode = "32310";
    unsigned m_mode = UserExec;
    std::string m_ifName; // the interface of the interface mode, for a C600's prompt
    std::string m_host = [this] {
        auto guard = m_state.lock();
        return str(m_state.config.hostname);
    }();
    int m_failures = 0;
    Arg m_onu;
    std::vector<int> m_port;
};

} // namespace

std::unique_ptr<CliSession> makeZteSession(OltState& state, Faults& faults, Sink& sink) {
    return std::make_unique<ZteSession>(state, faults, sink);
}

} // namespace oltemu
