// The two command-line dialects the real drivers speak. Host names differ per
// OLT, so the prompts accept any host part and stay strict about the rest:
// output lines can hold '#' and '>' too.
#include "oltd/session/dialect.h"

namespace oltd {

namespace {

QRegularExpression re(const char* pattern) {
    return QRegularExpression(QString::fromLatin1(pattern));
}

Dialect makeZte() {
    Dialect d;
    d.name = QStringLiteral("zte");
    d.userPrompt = re(R"(^Username:\s*$)");
    d.passwordPrompt = re(R"(^Password:\s*$)");
    // A refused login shows "Username:" again, sometimes after an error line.
    d.loginRefused = re(R"((?i)bad (username|password)|invalid|authentication failed)");
    d.prompt = re(R"(^[\w.\-]+(\([^)]*\))?[#>]$)");
    d.userModePrompt = re(R"(^[\w.\-]+>$)");
    d.enableCommand = QStringLiteral("enable");
    d.enablePasswordPrompt = re(R"(^Password:\s*$)");
    // "terminal width 511" is refused by a C320, so only the length is set.
    d.setupCommands = {QStringLiteral("terminal length 0")};
    d.pager = re(R"(--More--)");
    d.pagerContinue = " ";
    // "Confirm to reboot? [yes/no]:" or "[Y/N]:", answered in the same spelling.
    d.confirmation = re(R"(\[(?<yes>yes|Y)/(?<no>no|N)\]:\s*$)");
    d.confirmYes = "yes\n";
    d.confirmNo = "no\n";
    d.logoutCommand = QStringLiteral("exit");
    return d;
}

Dialect makeHuawei() {
    Dialect d;
    d.name = QStringLiteral("huawei");
    d.userPrompt = re(R"(^>>User name:\s*$)");
    d.passwordPrompt = re(R"(^>>User password:\s*$)");
    d.loginRefused = re(R"((?i)invalid|Reenter times)");
    d.loginQuestions = {
        // An expired or initial password: keep it, the account is not ours to change.
        {re(R"(password needs to be changed.*\[Y/N\]:\s*$)"), "N\n"},
        // The notice some units want acknowledged before the first prompt.
        {re(R"(YES.NO.*[:?]\s*$)"), "yes\n"},
    };
    d.prompt = re(R"(^[\w.\-]+(\(config[^)]*\))?[#>]$)");
    d.userModePrompt = re(R"(^[\w.\-]+>$)");
    d.enableCommand = QStringLiteral("enable");
    d.setupCommands = {QStringLiteral("undo smart"), QStringLiteral("undo interactive"),
                       QStringLiteral("scroll"), QStringLiteral("infoswitch cli OFF")};
    d.pager = re(R"(---- More \( Press 'Q' to break \) ----)");
    d.pagerContinue = " ";
    // Optional parameters in smart mode: a bare Enter runs the command as typed.
    d.parameterQuestions = {{re(R"(^\s*\{.*\}:\s*$)"), "\n"}};
    d.confirmation = re(R"(\((?<yes>y)/(?<no>n)\)\[n\]:\s*$)");
    d.confirmYes = "y\n";
    d.confirmNo = "n\n";
    d.logoutCommand = QStringLiteral("quit");
    return d;
}

} // namespace

const Dialect& zteDialect() {
    static const Dialect d = makeZte();
    return d;
}

const Dialect& huaweiDialect() {
    static const Dialect d = makeHuawei();
    return d;
}

} // namespace oltd
