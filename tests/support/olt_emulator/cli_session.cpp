#include "cli_session.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace oltemu {

namespace {

bool digits(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// Reads "«prefix»n«sep»n«sep»n..." into numbers; false when the token has
// another shape.
bool numbers(const std::string& tok, const std::string& prefix, const std::string& seps,
             std::vector<int>* out) {
    if (tok.compare(0, prefix.size(), prefix) != 0)
        return false;
    size_t pos = prefix.size();
    for (size_t i = 0; i <= seps.size(); ++i) {
        size_t end = pos;
        while (end < tok.size() && std::isdigit(static_cast<unsigned char>(tok[end])))
            ++end;
        if (end == pos || end - pos > 9)
            return false;
        out->push_back(std::stoi(tok.substr(pos, end - pos)));
        pos = end;
        if (i < seps.size()) {
            if (pos >= tok.size() || tok[pos] != seps[i])
                return false;
            ++pos;
        }
    }
    return pos == tok.size();
}

bool slotMatches(const std::string& slot, const std::string& tok, const Naming& naming,
                 std::vector<int>* out) {
    if (slot == "<word>" || slot == "<rest>")
        return true;
    if (slot == "<int>") {
        if (!digits(tok) || tok.size() > 9)
            return false;
        out->push_back(std::stoi(tok));
        return true;
    }
    if (slot == "<onu>")
        return numbers(tok, naming.onu, "//:", out);
    if (slot == "<olt>")
        return numbers(tok, naming.olt, "//", out);
    if (slot == "<vport>")
        return numbers(tok, "vport-", "//.:", out);
    if (slot == "<fsp>")
        return numbers(tok, "", "//", out);
    if (slot == "<fs>")
        return numbers(tok, "", "/", out);
    return false;
}

bool isSlot(const std::string& w) {
    return w.size() > 2 && w.front() == '<' && w.back() == '>';
}

} // namespace

std::vector<std::pair<std::string, int>> tokenize(const std::string& line) {
    std::vector<std::pair<std::string, int>> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            tokens.emplace_back(line.substr(start, i - start), static_cast<int>(start));
    }
    return tokens;
}

std::string pad(const std::string& s, size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

std::string rpad(const std::string& s, size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string str(const QString& s) {
    return s.toStdString();
}

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string CliSession::busyText(Vendor vendor) {
    return vendor == Vendor::Huawei ? "System is busy, please try after a while" : std::string();
}

CliSession::CliSession(OltState& state, Faults& faults, Sink& sink)
    : m_state(state)
    , m_faults(faults)
    , m_sink(sink) {
    auto guard = m_state.lock();
    m_pageLength = m_defaultPage = m_state.config.pageLength;
}

void CliSession::add(std::vector<std::string> words, unsigned modes,
                     std::function<Reply(const Args&)> run) {
    m_commands.push_back({std::move(words), modes, std::move(run)});
}

void CliSession::start(bool authenticated) {
    deliver(authenticated ? afterAuthentication() : login(), false);
}

void CliSession::feed(const std::string& bytes) {
    std::string echo;
    const auto flush = [&] {
        if (!echo.empty() && !m_closed)
            m_sink.write(echo);
        echo.clear();
    };
    for (char c : bytes) {
        if (m_closed)
            return;
        if (m_waitPager) {
            flush();
            onKey(c);
            continue;
        }
        if (c == '\0')
            continue;
        if (c == '\r' || c == '\n') {
            // CR LF, LF CR and a lone CR or LF each end one line.
            if (m_lastEol && m_lastEol != c) {
                m_lastEol = 0;
                continue;
            }
            m_lastEol = c;
            echo += "\r\n";
            flush();
            std::string line;
            line.swap(m_input);
            onLine(line);
            continue;
        }
        m_lastEol = 0;
        if (c == '\b' || c == 0x7f) {
            if (!m_input.empty()) {
                m_input.pop_back();
                if (!m_hideInput)
                    echo += "\b \b";
            }
            continue;
        }
        m_input += c;
        if (!m_hideInput)
            echo += c;
    }
    flush();
}

void CliSession::onLine(const std::string& line) {
    if (m_answer) {
        auto answer = std::move(m_answer);
        m_answer = nullptr;
        m_hideInput = false;
        deliver(answer(line), true);
        return;
    }
    if (tokenize(line).empty()) {
        m_sink.write(prompt());
        return;
    }
    m_line = line;
    deliver(run(line), true);
}

PagerKey CliSession::pagerKey(char c) const {
    if (c == 'q' || c == 'Q')
        return PagerKey::Stop;
    return c == '\r' || c == '\n' ? PagerKey::Line : PagerKey::Page;
}

void CliSession::onKey(char c) {
    // The LF of a CR LF is the same key press as its CR.
    if (c == '\n' && m_lastEol == '\r') {
        m_lastEol = 0;
        return;
    }
    m_lastEol = c == '\r' || c == '\n' ? c : 0;
    m_waitPager = false;
    m_sink.write(pagerErase());
    switch (pagerKey(c)) {
    case PagerKey::Stop:
        m_pending.clear();
        pump(0);
        break;
    case PagerKey::Line:
        pump(2); // one more line, then the marker again
        break;
    case PagerKey::Page:
        pump(pageLength());
        break;
    }
}

int CliSession::pageLength() const {
    // A stuck pager pages whatever length the session asked for.
    if (m_faults.pagerStuck)
        return m_defaultPage > 0 ? m_defaultPage : 24;
    return m_pageLength;
}

void CliSession::deliver(Reply reply, bool fromCommand) {
    if (const int delay = m_faults.delayMs; delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    std::vector<std::string> lines = std::move(reply.lines);
    fromCommand = fromCommand && !reply.noFaults;
    if (fromCommand && !lines.empty() && m_faults.dropMidOutput) {
        std::string all;
        for (const std::string& l : lines)
            all += l + "\r\n";
        m_sink.write(all.substr(0, all.size() / 2));
        m_sink.close();
        m_closed = true;
        return;
    }
    if (fromCommand && !lines.empty() && m_faults.garble) {
        // Half the answer, with every 11th character replaced: what a
        // noisy line or a confused firmware leaves of it.
        std::string all;
        for (const std::string& l : lines)
            all += l + "\n";
        all.resize(all.size() / 2);
        for (size_t i = 10; i < all.size(); i += 11)
            if (all[i] != '\n')
                all[i] = '~';
        lines.clear();
        size_t start = 0;
        for (size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1)
            lines.push_back(all.substr(start, nl - start));
        lines.push_back(all.substr(start));
    }
    m_pending = std::move(lines);
    m_after = std::move(reply);
    std::reverse(m_pending.begin(), m_pending.end());
    pump(pageLength());
}

void CliSession::pump(int page) {
    std::string out;
    int shown = 0;
    while (!m_pending.empty()) {
        if (page > 0 && shown == page - 1 && m_pending.size() > 1) {
            out += pagerMarker();
            m_sink.write(out);
            m_waitPager = true;
            return;
        }
        out += m_pending.back() + "\r\n";
        m_pending.pop_back();
        ++shown;
    }
    m_sink.write(out);
    finish();
}

void CliSession::finish() {
    if (m_after.close) {
        m_sink.close();
        m_closed = true;
        return;
    }
    if (!m_after.question.empty()) {
        m_sink.write(m_after.question);
        m_answer = std::move(m_after.answer);
        m_hideInput = m_after.hideAnswer;
        return;
    }
    if (!m_after.noPrompt)
        m_sink.write(prompt());
}

Reply CliSession::run(const std::string& line) {
    const auto tokens = tokenize(line);
    std::vector<const Command*> cands;
    for (const Command& c : m_commands)
        if (c.modes & mode())
            cands.push_back(&c);
    const Command* restMatch = nullptr;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& tok = tokens[i].first;
        bool exact = false;
        std::vector<std::string> prefixed;
        for (const Command* c : cands)
            if (i < c->words.size() && !isSlot(c->words[i])) {
                exact |= c->words[i] == tok;
                if (c->words[i].compare(0, tok.size(), tok) == 0 &&
                    std::find(prefixed.begin(), prefixed.end(), c->words[i]) == prefixed.end())
                    prefixed.push_back(c->words[i]);
            }
        std::vector<const Command*> next;
        bool slotFailed = false;
        for (const Command* c : cands) {
            if (i >= c->words.size())
                continue;
            const std::string& w = c->words[i];
            std::vector<int> ignored;
            if (w == "<rest>") {
                restMatch = restMatch ? restMatch : c;
            } else if (isSlot(w)) {
                if (slotMatches(w, tok, m_naming, &ignored))
                    next.push_back(c);
                else
                    slotFailed = true;
            } else if (w == tok || (!exact && prefixed.size() == 1 && prefixed[0] == w)) {
                next.push_back(c);
            }
        }
        if (next.empty()) {
            if (restMatch)
                break;
            return error(slotFailed ? SyntaxError::Parameter : SyntaxError::Unknown, line,
                         static_cast<int>(i));
        }
        cands = std::move(next);
    }
    const Command* chosen = nullptr;
    for (const Command* c : cands)
        if (c->words.size() == tokens.size()) {
            chosen = c;
            break;
        }
    if (!chosen)
        chosen = restMatch;
    if (!chosen)
        return error(SyntaxError::Incomplete, line, static_cast<int>(tokens.size()));
    Args args;
    for (size_t i = 0; i < chosen->words.size() && i < tokens.size(); ++i) {
        const std::string& w = chosen->words[i];
        if (w == "<rest>") {
            args.push_back({line.substr(tokens[i].second), static_cast<int>(i), {}});
            break;
        }
        if (isSlot(w)) {
            Arg a{tokens[i].first, static_cast<int>(i), {}};
            slotMatches(w, tokens[i].first, m_naming, &a.numbers);
            args.push_back(std::move(a));
        }
    }
    return chosen->run(args);
}

Reply CliSession::error(SyntaxError kind, const std::string& line, int token) {
    const auto tokens = tokenize(line);
    const int column = token < static_cast<int>(tokens.size())
                           ? tokens[token].second
                           : static_cast<int>(line.find_last_not_of(' ') + 1);
    return syntaxError(kind, static_cast<int>(prompt().size()) + column);
}

Reply CliSession::paramError(const Args& args, size_t arg) {
    return error(SyntaxError::Parameter, m_line, args.at(arg).token);
}

std::unique_ptr<CliSession> makeSession(OltState& state, Faults& faults, Sink& sink,
                                        const std::string& accessType) {
    Vendor vendor;
    {
        auto guard = state.lock();
        vendor = state.config.vendor;
    }
    if (vendor == Vendor::Zte)
        return makeZteSession(state, faults, sink);
    return makeHuaweiSession(state, faults, sink, accessType);
}

} // namespace oltemu
