#include "core/SystemErrorText.h"

#include <cerrno>
#include <cstring>

namespace kopix {

namespace {

// The errors a user can cause or meet while reading and writing files and talking to the desktop.
struct Reason {
    int number;
    const char16_t* text;
};
constexpr Reason reasons[] = {
    {EPERM, u"この操作は許可されていません"},
    {ENOENT, u"そのようなファイルやフォルダーはありません"},
    {EIO, u"入出力エラーが発生しました"},
    {ENXIO, u"そのようなデバイスやアドレスはありません"},
    {EBADF, u"ファイル記述子が正しくありません"},
    {EAGAIN, u"リソースが一時的に使用できません"},
    {ENOMEM, u"メモリが足りません"},
    {EACCES, u"アクセスが許可されていません"},
    {EBUSY, u"デバイスまたはリソースが使用中です"},
    {EEXIST, u"同じ名前のファイルがすでにあります"},
    {EXDEV, u"別のファイルシステムへは移動できません"},
    {ENODEV, u"そのようなデバイスはありません"},
    {ENOTDIR, u"フォルダーではありません"},
    {EISDIR, u"フォルダーです"},
    {EINVAL, u"引数が正しくありません"},
    {ENFILE, u"システムで開いているファイルが多すぎます"},
    {EMFILE, u"開いているファイルが多すぎます"},
    {ETXTBSY, u"実行中のプログラムのファイルです"},
    {EFBIG, u"ファイルが大きすぎます"},
    {ENOSPC, u"デバイスに空き領域がありません"},
    {ESPIPE, u"位置を移動できないファイルです"},
    {EROFS, u"読み取り専用のファイルシステムです"},
    {EMLINK, u"リンクが多すぎます"},
    {EPIPE, u"相手側が閉じています"},
    {ENAMETOOLONG, u"ファイル名が長すぎます"},
    {ENOSYS, u"この機能はサポートされていません"},
    {ENOTEMPTY, u"フォルダーが空ではありません"},
    {ELOOP, u"シンボリックリンクの階層が多すぎます"},
    {EOVERFLOW, u"値が大きすぎます"},
    {EOPNOTSUPP, u"この操作はサポートされていません"},
    {ECONNREFUSED, u"接続が拒否されました"},
    {ECONNRESET, u"接続が相手側からリセットされました"},
    {ETIMEDOUT, u"相手が時間内に応答しませんでした"},
    {EHOSTUNREACH, u"ホストに到達できません"},
    {ESTALE, u"ネットワーク上のファイルが無効になりました"},
    {EDQUOT, u"ディスク使用量の制限を超えています"},
    {ENOTCONN, u"接続されていません"},
    {ECANCELED, u"操作は取り消されました"},
};

} // namespace

QString systemErrorText(int errorNumber) {
    for (const Reason& reason : reasons) {
        if (reason.number == errorNumber)
            return QString::fromUtf16(reason.text);
    }
    QString text = QString::fromLocal8Bit(std::strerror(errorNumber));
    while (!text.isEmpty() && (text.back().isSpace() || text.back() == u'.'))
        text.chop(1);
    return QStringLiteral("%1 (エラー %2)").arg(text).arg(errorNumber);
}

} // namespace kopix
