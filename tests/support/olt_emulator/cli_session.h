#pragma once

#include "faults.h"
#include "olt_state.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace oltemu {

// Where a session's bytes go: the SSH channel or the telnet socket.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(const std::string& bytes) = 0;
    virtual void close() = 0;
};

// What the device prints for one input line.
struct Reply {
    Reply() = default;
    Reply(std::vector<std::string> text)
        : lines(std::move(text)) {}

    std::vector<std::string> lines; // each printed with CR LF, paged
    std::string question;           // printed after the lines, unterminated
    bool hideAnswer = false;        // the answer to the question is not echoed
    std::function<Reply(const std::string&)> answer;
    bool close = false; // the device hangs up after the lines
    bool noPrompt = false;
    bool noFaults = false; // login dialogue: misbehaviour applies to commands only
};

// One command form: literal words and typed slots.
//   <int> digits, <word> any token, <rest> the rest of the line,
//   <onu> gpon-onu_1/2/3:7, <olt> gpon-olt_1/2/3 (or as Naming spells them),
//   <vport> vport-1/2/3.7:1, <fsp> 0/1/2, <fs> 0/1
struct Arg {
    std::string text;
    int token = 0;            // index of the token in the line, for the caret
    std::vector<int> numbers; // the numbers inside a typed slot
    int num() const { return numbers.empty() ? 0 : numbers[0]; }
};
using Args = std::vector<Arg>;

struct Command {
    std::vector<std::string> words;
    unsigned modes = 0; // bit per dialect mode
    std::function<Reply(const Args&)> run;
};

enum class SyntaxError { None, Unknown, Incomplete, Parameter };

// What a key pressed at the pager marker does.
enum class PagerKey { Page, Line, Stop };

// How the dialect spells its PON ports and ONUs in <olt> and <onu> slots.
struct Naming {
    std::string olt = "gpon-olt_", onu = "gpon-onu_";
};

// The terminal engine both dialects share: echo, line ends, questions,
// paging and the misbehaviour switches. The dialects supply prompts,
// commands and their error texts.
class CliSession {
public:
    CliSession(OltState& state, Faults& faults, Sink& sink);
    virtual ~CliSession() = default;

    // Starts the dialogue: the login for telnet, the prompt after SSH's own
    // authentication.
    void start(bool authenticated);
    void feed(const std::string& bytes);
    bool closed() const { return m_closed; }

    static std::string busyText(Vendor vendor);

protected:
    virtual Reply login() = 0;
    virtual Reply afterAuthentication() = 0;
    virtual std::string prompt() const = 0;
    virtual unsigned mode() const = 0;
    virtual std::string pagerMarker() const = 0;
    virtual std::string pagerErase() const = 0;
    virtual Reply syntaxError(SyntaxError kind, int column) = 0;
    virtual PagerKey pagerKey(char c) const;

    Reply run(const std::string& line);
    Reply error(SyntaxError kind, const std::string& line, int token);
    Reply paramError(const Args& args, size_t arg);
    void add(std::vector<std::string> words, unsigned modes, std::function<Reply(const Args&)> run);

    OltState& m_state;
    Faults& m_faults;
    int m_pageLength = 24; // 0: no paging
    std::string m_line;    // the input line being run, for carets
    Naming m_naming;

private:
    void deliver(Reply reply, bool fromCommand);
    void pump(int page);
    int pageLength() const;
    void finish();
    void onLine(const std::string& line);
    void onKey(char c);

    Sink& m_sink;
    int m_defaultPage = 24;
    std::vector<Command> m_commands;
    std::vector<std::string> m_pending;
    Reply m_after;
    std::function<Reply(const std::string&)> m_answer;
    bool m_hideInput = false;
    bool m_waitPager = false;
    bool m_closed = false;
    std::string m_input;
    char m_lastEol = 0;
};

std::vector<std::pair<std::string, int>> tokenize(const std::string& line);
std::string pad(const std::string& s, size_t width);  // left aligned
std::string rpad(const std::string& s, size_t width); // right aligned
std::string str(const QString& s);
std::string fixed(double v, int decimals);

// A session of the emulated OLT's dialect; accessType names the transport in
// Huawei's last-login banner ("Telnet", "SSH").
std::unique_ptr<CliSession> makeSession(OltState& state, Faults& faults, Sink& sink,
                                        const std::string& accessType);
std::unique_ptr<CliSession> makeZteSession(OltState& state, Faults& faults, Sink& sink);
std::unique_ptr<CliSession> makeHuaweiSession(OltState& state, Faults& faults, Sink& sink,
                                              const std::string& accessType);

} // namespace oltemu
