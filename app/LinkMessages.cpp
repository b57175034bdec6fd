#include "LinkMessages.hpp"

namespace quilvex {

QString JapaneseMessage(const LinkError& e)
{
    QString on = QStringLiteral("ポート「%1」").arg(QString::fromStdString(e.portText));
    if (!e.device.empty() && e.device != e.portText)
        on += QStringLiteral("（%1）").arg(QString::fromStdString(e.device));
    const QString reason = QString::fromStdString(e.reason);
    const QString because = reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reason);
    const QString cannotOpen = on + QStringLiteral("を開けません。\n");
    switch (e.kind) {
    case LinkErrorKind::NoPortNumber:
        return cannotOpen + QStringLiteral("ポート番号がありません。COM1 以上、または "
                                           "/dev/ttyUSB0 のようなデバイスのパスを指定してください。");
    case LinkErrorKind::Missing:
        return cannotOpen + QStringLiteral("そのデバイスはありません。") + because;
    case LinkErrorKind::NotADevice:
        return cannotOpen + QStringLiteral("シリアルポート（端末デバイス）ではありません。");
    case LinkErrorKind::BadSettings:
        return cannotOpen + QStringLiteral("通信設定「%1」が正しくありません。速度は 1 以上の整数（bps）で指定してください。")
                                .arg(QString::fromStdString(e.settings));
    case LinkErrorKind::RateRefused:
        return cannotOpen + QStringLiteral("ポートが通信設定「%1」を受け付けません。")
                                .arg(QString::fromStdString(e.settings)) + because;
    case LinkErrorKind::InUse:
        return cannotOpen + QStringLiteral("他のプログラムが使用中です。") + because;
    case LinkErrorKind::OpenFailed:
        return cannotOpen + (reason.isEmpty() ? QStringLiteral("原因は不明です。") : reason);
    case LinkErrorKind::Lost:
        return QStringLiteral("送信中に") + on + QStringLiteral("が使えなくなりました。\n") +
               (reason.isEmpty() ? QStringLiteral("デバイスが外されたか、相手側が閉じられました。") : reason);
    }
    return cannotOpen + reason;
}

}  // namespace quilvex
