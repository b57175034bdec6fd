#include "OutputError.hpp"

#include "Pattern.hpp"
#include "PortRules.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace quilvex {
namespace {

// Each kind once, in both languages. The pieces in braces are filled in:
// {open} "cannot open" with the port, {on} the port, {text} what the user
// gave, {address} the address served, {settings}, {suggest} the device path
// a text probably means, {example} a device path as this platform writes one,
// {because} the system's reason if any, {why} that reason or the row's own
// explanation, {ports} the serial ports the system has.
struct Wording {
    OutputErrorKind kind;
    std::string_view english;
    std::string_view japanese;
    std::string_view englishWhy = {};
    std::string_view japaneseWhy = {};
};

constexpr std::array kWordings{
    Wording{OutputErrorKind::NoPortNumber,
            "{open}: the text selects no port (use COM1 or above, or a device path such as {example})",
            "{open}ポート番号がありません。COM1 以上、または {example} のようなデバイスのパスを指定してください。"},
    Wording{OutputErrorKind::NotAPortName,
            "{open}: only COM1, COM2, ... are port numbers; for a device give its path, such as {suggest}",
            "{open}ポート番号として使えるのは COM1、COM2 … だけです。\nデバイスはパスで指定してください（例: {suggest}）。"},
    Wording{OutputErrorKind::Missing, "{open}: no such device (--list-ports lists the serial ports this system has)",
            "{open}そのデバイスはありません。\n{ports}"},
    Wording{OutputErrorKind::NotADevice, "{open}: not a serial or terminal device",
            "{open}シリアルポート（端末デバイス）ではありません。"},
    Wording{OutputErrorKind::PermissionDenied,
            "{open}: permission denied (on Linux, join the group that owns the device, often dialout)",
            "{open}このユーザーにはデバイスを開く権限がありません。"
            "Linux ではデバイスの所有グループ（多くは dialout）に加えてください。"},
    Wording{OutputErrorKind::BadSettings,
            "{open}: \"{settings}\" is not a line setting (the rate must be a whole number of bit/s above 0)",
            "{open}通信設定「{settings}」が正しくありません。速度は 1 以上の整数（bps）で指定してください。"},
    Wording{OutputErrorKind::RateRefused, "{open}: the port refused the settings \"{settings}\"{because}",
            "{open}ポートが通信設定「{settings}」を受け付けません。{because}"},
    Wording{OutputErrorKind::InUse, "{open}: in use by another program", "{open}他のプログラムが使用中です。"},
    Wording{OutputErrorKind::OpenFailed, "{open}{because}", "{open}{why}", {}, "原因は不明です。"},
    Wording{OutputErrorKind::Lost, "lost {on} while sending: {why}", "送信中に{on}が使えなくなりました。\n{why}",
            "the device went away (unplugged, or the other end closed)",
            "デバイスが外されたか、相手側が閉じられました。"},
    Wording{OutputErrorKind::BadAddress, "\"{text}\" is not an address{because}",
            "「{text}」は TCP のアドレスではありません。\ntcp://127.0.0.1:10110 のように指定してください。"},
    Wording{OutputErrorKind::HostNotFound, "cannot serve TCP on \"{text}\": cannot look up the host name{because}",
            "「{text}」のホスト名が見つかりません。{because}\n"
            "ホスト名を確かめるか、tcp://127.0.0.1:10110 のように数字のアドレスで指定してください。"},
    Wording{OutputErrorKind::AddressInUse, "cannot serve TCP on {address}: another program listens there",
            "TCP アドレス {address} で待ち受けできません。\n他のプログラムがそこで待ち受けています。"},
    Wording{OutputErrorKind::ListenFailed, "cannot serve TCP on {address}{because}",
            "TCP アドレス {address} で待ち受けできません。{because}"},
    Wording{OutputErrorKind::PathExists,
            "cannot make the virtual port \"{text}\": the path already exists (it is left as it is)",
            "「{text}」はすでにあります。"},
    Wording{OutputErrorKind::UnsafePath,
            "cannot make the virtual port \"{text}\": {why} is another user's link in a directory anyone may "
            "write to, so it is not followed",
            "仮想ポート「{text}」を作れません。\n{why}は誰でも書き込めるディレクトリにある他のユーザーのリンクなので、"
            "たどりません。",
            "a directory on the way", "途中のディレクトリ"},
    Wording{OutputErrorKind::WriteFailed, "cannot write to {text}{because}", "{text} に書き込めません。{because}"},
};

// The system's and Qt's English reasons the window may pass on, by the
// words that tell them apart (errno texts, Qt's socket and serial texts,
// the resolver's, and the file readers').
struct Reason {
    std::string_view english;
    std::string_view japanese;
};

constexpr std::array kReasons{
    Reason{"No such file or directory", "ファイルまたはデバイスがありません。"},
    Reason{"Permission denied", "アクセスする権限がありません。"},
    Reason{"Device or resource busy", "デバイスは使用中です。"},
    Reason{"Input/output error", "入出力エラーが起きました。"},
    Reason{"Broken pipe", "読み手が閉じられました。"},
    Reason{"No space left on device", "ディスクの空きがありません。"},
    Reason{"Inappropriate ioctl for device", "端末デバイスではありません。"},
    Reason{"Is a directory", "フォルダーです。"},
    Reason{"Name or service not known", "その名前のホストはありません。"},
    Reason{"No address associated with hostname", "そのホスト名にはアドレスがありません。"},
    Reason{"Temporary failure in name resolution", "名前解決が一時的にできません。"},
    Reason{"Host not found", "ホストが見つかりません。"},
    Reason{"The address is protected", "そのポート番号で待ち受ける権限がありません。"},
    Reason{"address is already in use", "アドレスは使用中です。"},
    Reason{"Cannot assign requested address", "このコンピューターのアドレスではありません。"},
    Reason{"Connection refused", "接続を拒否されました。"},
    Reason{"Network is unreachable", "ネットワークに届きません。"},
    Reason{"Unsupported operation", "この操作はできません。"},
    Reason{"it is a directory", "フォルダーです。"},
    Reason{"it is empty", "空です。"},
    Reason{"it is not text", "テキストではありません（NUL バイトがあります）。"},
    Reason{"a FIFO nobody wrote to", "書き込む相手のいない FIFO です。"},
    Reason{"it is a terminal", "端末です。ファイルか FIFO を指定してください。"},
};

static_assert(InEnumOrder(kWordings, &Wording::kind, OutputErrorKind::WriteFailed),
              "one wording per kind, in the order of the kinds");

}  // namespace

std::string JapaneseReason(std::string_view english)
{
    // Qt's own texts come translated already.
    if (std::any_of(english.begin(), english.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return std::string(english);
    for (const Reason& reason : kReasons)
        if (english.find(reason.english) != std::string_view::npos)
            return std::string(reason.japanese);
    return "（" + std::string(english) + "）";
}

std::string OutputErrorMessage(const OutputError& e, Language language, const std::vector<std::string>& systemPorts)
{
    const bool english = language == Language::English;
    const Wording& w = kWordings[static_cast<std::size_t>(e.kind)];
    const std::string text = ShortenedForMessage(e.portText);
    const bool namesDevice = !e.device.empty() && e.device != e.portText;
    const std::string device = ShortenedForMessage(e.device);
    const std::string on = english ? "port \"" + text + "\"" + (namesDevice ? " (" + device + ")" : "")
                                   : "ポート「" + text + "」" + (namesDevice ? "（" + device + "）" : "");
    const std::string address = !namesDevice ? text
        : english ? device + " (\"" + text + "\")" : device + "（" + text + "）";
    const std::string because = e.reason.empty() ? std::string()
        : english ? ": " + e.reason : JapaneseReason(e.reason);
    const std::string why = e.reason.empty() ? std::string(english ? w.englishWhy : w.japaneseWhy)
        : english ? e.reason : JapaneseReason(e.reason);
    std::string ports;
    for (const std::string& port : systemPorts)
        ports += (ports.empty() ? "" : "、") + port;
    ports = ports.empty() ? "このシステムにはシリアルポートがありません。" : "このシステムのシリアルポート：" + ports;

    return FilledPattern(english ? w.english : w.japanese,
                {{"open", english ? "cannot open " + on : on + "を開けません。\n"},
                 {"on", on},
                 {"text", text},
                 {"address", address},
                 {"settings", e.settings},
                 {"suggest", SuggestedDevicePath(text)},
                 {"example", ExampleDevicePath()},
                 {"because", because},
                 {"why", why},
                 {"ports", ports}});
}

}  // namespace quilvex
