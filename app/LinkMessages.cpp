#include "LinkMessages.hpp"

namespace quilvex {

QString JapaneseMessage(const LinkError& e)
{
    const QString text = QString::fromStdString(ShortenedForMessage(e.portText));
    QString on = QStringLiteral("ポート「%1」").arg(text);
    if (!e.device.empty() && e.device != e.portText)
        on += QStringLiteral("（%1）").arg(QString::fromStdString(ShortenedForMessage(e.device)));
    const QString reason = QString::fromStdString(e.reason);
    const QString because = reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reason);
    const QString settings = QString::fromStdString(e.settings);
    const QString cannotOpen = on + QStringLiteral("を開けません。\n");
    const QString address = e.device.empty() ? text
        : QStringLiteral("%1（%2）").arg(QString::fromStdString(e.device), text);
    switch (e.kind) {
    case LinkErrorKind::NoPortNumber:
        return cannotOpen + QStringLiteral("ポート番号がありません。COM1 以上、または "
                                           "/dev/ttyUSB0 のようなデバイスのパスを指定してください。");
    case LinkErrorKind::NotAPortName:
        return cannotOpen + QStringLiteral("ポート番号として使えるのは COM1、COM2 … だけです。"
                                           "デバイスはパスで指定してください（例: %1）。")
                                .arg(QString::fromStdString(SuggestedDevicePath(e.portText)));
    case LinkErrorKind::Missing:
        return cannotOpen + QStringLiteral("そのデバイスはありません。");
    case LinkErrorKind::NotADevice:
        return cannotOpen + QStringLiteral("シリアルポート（端末デバイス）ではありません。");
    case LinkErrorKind::PermissionDenied:
        return cannotOpen + QStringLiteral("このユーザーにはデバイスを開く権限がありません。"
                                           "Linux ではデバイスの所有グループ（多くは dialout）に加えてください。");
    case LinkErrorKind::BadSettings:
        return cannotOpen + QStringLiteral("通信設定「%1」が正しくありません。速度は 1 以上の整数（bps）で指定してください。")
                                .arg(settings);
    case LinkErrorKind::RateRefused:
        return cannotOpen + QStringLiteral("ポートが通信設定「%1」を受け付けません。").arg(settings) + because;
    case LinkErrorKind::InUse:
        return cannotOpen + QStringLiteral("他のプログラムが使用中です。");
    case LinkErrorKind::OpenFailed:
        return cannotOpen + (reason.isEmpty() ? QStringLiteral("原因は不明です。") : reason);
    case LinkErrorKind::Lost:
        return QStringLiteral("送信中に") + on + QStringLiteral("が使えなくなりました。\n") +
               (reason.isEmpty() ? QStringLiteral("デバイスが外されたか、相手側が閉じられました。") : reason);
    case LinkErrorKind::BadAddress:
        return QStringLiteral("「%1」は TCP のアドレスではありません。\ntcp://127.0.0.1:10110 のように指定してください。").arg(text);
    case LinkErrorKind::AddressInUse:
        return QStringLiteral("TCP アドレス %1 で待ち受けできません。\n他のプログラムがそこで待ち受けています。").arg(address);
    case LinkErrorKind::ListenFailed:
        return QStringLiteral("TCP アドレス %1 で待ち受けできません。").arg(address) + because;
    case LinkErrorKind::PathExists:
        return QStringLiteral("「%1」はすでにあります。").arg(text);
    case LinkErrorKind::WriteFailed:
        return QStringLiteral("%1 に書き込めません。").arg(text) + because;
    }
    return cannotOpen + reason;
}

}  // namespace quilvex
